<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
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
        <translation>Info</translation>
    </message>
    <message>
        <source>ZR Information</source>
        <translation>ZR-Informationen</translation>
    </message>
    <message>
        <source>select_printer</source>
        <translation>Drucker auswählen</translation>
    </message>
    <message>
        <source>statusGroupBox</source>
        <translation>Druckerstatus</translation>
    </message>
    <message>
        <source>mediaGroupTitle</source>
        <translation>Medieninformationen</translation>
    </message>
    <message>
        <source>tcGroupBox</source>
        <translation>Gesamtzähler</translation>
    </message>
    <message>
        <source>fwGroupBox</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>serialNoGroupBox</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>updateButton</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>sheets</source>
        <translation>Blatt</translation>
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
        <translation>Bereit</translation>
    </message>
    <message>
        <source>st_00001</source>
        <translation>Druckvorgang läuft</translation>
    </message>
    <message>
        <source>st_00500</source>
        <translation>Druckkopf kühlt ab</translation>
    </message>
    <message>
        <source>st_00900</source>
        <translation>Bereit (Energiesparmodus)</translation>
    </message>
    <message>
        <source>st_01000</source>
        <translation>Klappe offen</translation>
    </message>
    <message>
        <source>st_01010</source>
        <translation>Kein Abfallbehälter</translation>
    </message>
    <message>
        <source>st_01100</source>
        <translation>Papier aufgebraucht</translation>
    </message>
    <message>
        <source>st_01200</source>
        <translation>Farbband aufgebraucht</translation>
    </message>
    <message>
        <source>st_01300</source>
        <translation>Papierstau</translation>
    </message>
    <message>
        <source>st_01400</source>
        <translation>Farbbandfehler</translation>
    </message>
    <message>
        <source>st_01500</source>
        <translation>Fehler bei der Papierformateinstellung</translation>
    </message>
    <message>
        <source>st_01600</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02000</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02100</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02200</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02300</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02400</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02500</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02600</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02610</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02700</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_02800</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_03000</source>
        <translation>Systemfehler</translation>
    </message>
    <message>
        <source>st_99999</source>
        <translation>Offline</translation>
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
        <translation>Bitte warten Sie einen Moment.&#10;Der Druck wird automatisch fortgesetzt.</translation>
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
        <translation>Verbinden Sie den Drucker mit dem Computer und schalten Sie ihn ein.</translation>
    </message>
    <message>
        <source>ms_00100</source>
        <translation>Schließen Sie die Klappe des Druckers.</translation>
    </message>
    <message>
        <source>ms_00101</source>
        <translation>Setzen Sie den Abfallbehälter ein.</translation>
    </message>
    <message>
        <source>ms_00102</source>
        <translation>Legen Sie neue Medien ein.&#10;(Papier und Farbband immer als Satz austauschen.)</translation>
    </message>
    <message>
        <source>ms_00103</source>
        <translation>Legen Sie neue Medien ein.&#10;(Papier und Farbband immer als Satz austauschen.)</translation>
    </message>
    <message>
        <source>ms_00104</source>
        <translation>Nehmen Sie das Papier heraus und legen Sie es richtig wieder ein.</translation>
    </message>
    <message>
        <source>ms_00105</source>
        <translation>Legen Sie das Farbband richtig ein.</translation>
    </message>
    <message>
        <source>ms_00106</source>
        <translation>Überprüfen Sie die Papierformateinstellung und die Größe des Farbbands.</translation>
    </message>
    <message>
        <source>ms_00107</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00108</source>
        <translation>&#10;&lt;&lt; Es ist ein falscher Medientyp eingelegt. &gt;&gt;</translation>
    </message>
    <message>
        <source>ms_00200</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00201</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00202</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00203</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00204</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00205</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00206</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00207</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00208</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00209</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>ms_00210</source>
        <translation>Starten Sie Drucker und Computer neu.&#10;Wenn der Drucker danach weiterhin nicht funktioniert, wenden Sie sich an den Kundendienst.</translation>
    </message>
</context>
<context>
    <name>VersionDialog</name>
    <message>
        <source>ZR Information</source>
        <translation>ZR-Informationen</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
</TS>
