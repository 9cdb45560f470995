<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>StatusDialog</name>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>50%</source>
        <translation>50%</translation>
    </message>
    <message>
        <source>100%</source>
        <translation>100%</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>ZR Information</source>
        <translation>ZR – Informations</translation>
    </message>
    <message>
        <source>select_printer</source>
        <translation>Sélectionner l’imprimante</translation>
    </message>
    <message>
        <source>statusGroupBox</source>
        <translation>État de l’imprimante</translation>
    </message>
    <message>
        <source>mediaGroupTitle</source>
        <translation>Informations sur le support</translation>
    </message>
    <message>
        <source>tcGroupBox</source>
        <translation>Compteur total</translation>
    </message>
    <message>
        <source>fwGroupBox</source>
        <translation>Version du micrologiciel</translation>
    </message>
    <message>
        <source>serialNoGroupBox</source>
        <translation>Numéro de série</translation>
    </message>
    <message>
        <source>updateButton</source>
        <translation>Mettre à jour</translation>
    </message>
    <message>
        <source>sheets</source>
        <translation>feuilles</translation>
    </message>
    <message>
        <source>size_00200</source>
        <translation>5x3,5in</translation>
    </message>
    <message>
        <source>size_00210</source>
        <translation>5x7in</translation>
    </message>
    <message>
        <source>size_00301</source>
        <translation>6x4in</translation>
    </message>
    <message>
        <source>size_00310</source>
        <translation>6x8in</translation>
    </message>
    <message>
        <source>st_00000</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>st_00001</source>
        <translation>Impression en cours</translation>
    </message>
    <message>
        <source>st_00500</source>
        <translation>Refroidissement de la tête</translation>
    </message>
    <message>
        <source>st_00900</source>
        <translation>En attente (mode économie d’énergie)</translation>
    </message>
    <message>
        <source>st_01000</source>
        <translation>Capot ouvert</translation>
    </message>
    <message>
        <source>st_01010</source>
        <translation>Bac de récupération absent</translation>
    </message>
    <message>
        <source>st_01100</source>
        <translation>Fin du papier</translation>
    </message>
    <message>
        <source>st_01200</source>
        <translation>Fin du ruban</translation>
    </message>
    <message>
        <source>st_01300</source>
        <translation>Bourrage papier</translation>
    </message>
    <message>
        <source>st_01400</source>
        <translation>Erreur de ruban</translation>
    </message>
    <message>
        <source>st_01500</source>
        <translation>Erreur de réglage du format de papier</translation>
    </message>
    <message>
        <source>st_01600</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02000</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02100</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02200</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02300</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02400</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02500</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02600</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02610</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02700</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_02800</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_03000</source>
        <translation>Erreur système</translation>
    </message>
    <message>
        <source>st_99999</source>
        <translation>Hors ligne</translation>
    </message>
    <message>
        <source>ms_00001</source>
        <translation> </translation>
    </message>
    <message>
        <source>ms_00002</source>
        <translation> </translation>
    </message>
    <message>
        <source>ms_00003</source>
        <translation>Veuillez patienter.&#10;L’impression reprendra automatiquement.</translation>
    </message>
    <message>
        <source>ms_00004</source>
        <translation> </translation>
    </message>
    <message>
        <source>ms_00005</source>
        <translation> </translation>
    </message>
    <message>
        <source>ms_00006</source>
        <translation>Raccordez l’imprimante à l’ordinateur, puis mettez-la sous tension.</translation>
    </message>
    <message>
        <source>ms_00100</source>
        <translation>Fermez le capot de l’imprimante.</translation>
    </message>
    <message>
        <source>ms_00101</source>
        <translation>Installez le bac de récupération.</translation>
    </message>
    <message>
        <source>ms_00102</source>
        <translation>Chargez un nouveau support.&#10;(Remplacez toujours le papier et le ruban ensemble.)</translation>
    </message>
    <message>
        <source>ms_00103</source>
        <translation>Chargez un nouveau support.&#10;(Remplacez toujours le papier et le ruban ensemble.)</translation>
    </message>
    <message>
        <source>ms_00104</source>
        <translation>Retirez le papier et rechargez-le correctement.</translation>
    </message>
    <message>
        <source>ms_00105</source>
        <translation>Remettez le ruban en place correctement.</translation>
    </message>
    <message>
        <source>ms_00106</source>
        <translation>Vérifiez le réglage du format de papier et la taille du ruban.</translation>
    </message>
    <message>
        <source>ms_00107</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00108</source>
        <translation>&#10;&lt;&lt; Le type de support chargé est incorrect. &gt;&gt;</translation>
    </message>
    <message>
        <source>ms_00200</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00201</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00202</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00203</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00204</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00205</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00206</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00207</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00208</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00209</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
    <message>
        <source>ms_00210</source>
        <translation>Redémarrez l’imprimante et l’ordinateur.&#10;Si l’imprimante ne fonctionne toujours pas après le redémarrage, contactez le service après-vente.</translation>
    </message>
</context>
<context>
    <name>VersionDialog</name>
    <message>
        <source>ZR Information</source>
        <translation>ZR – Informations</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
</TS>
