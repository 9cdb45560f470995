<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
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
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>ZR Information</source>
        <translation>ZR - Información</translation>
    </message>
    <message>
        <source>select_printer</source>
        <translation>Seleccionar impresora</translation>
    </message>
    <message>
        <source>statusGroupBox</source>
        <translation>Estado de la impresora</translation>
    </message>
    <message>
        <source>mediaGroupTitle</source>
        <translation>Información del soporte</translation>
    </message>
    <message>
        <source>tcGroupBox</source>
        <translation>Recuento total</translation>
    </message>
    <message>
        <source>fwGroupBox</source>
        <translation>Versión del firmware</translation>
    </message>
    <message>
        <source>serialNoGroupBox</source>
        <translation>Número de serie</translation>
    </message>
    <message>
        <source>updateButton</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>sheets</source>
        <translation>hojas</translation>
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
        <translation>En espera</translation>
    </message>
    <message>
        <source>st_00001</source>
        <translation>Imprimiendo</translation>
    </message>
    <message>
        <source>st_00500</source>
        <translation>Enfriando el cabezal</translation>
    </message>
    <message>
        <source>st_00900</source>
        <translation>En espera (modo de ahorro de energía)</translation>
    </message>
    <message>
        <source>st_01000</source>
        <translation>Tapa abierta</translation>
    </message>
    <message>
        <source>st_01010</source>
        <translation>Falta la caja de recortes</translation>
    </message>
    <message>
        <source>st_01100</source>
        <translation>Sin papel</translation>
    </message>
    <message>
        <source>st_01200</source>
        <translation>Cinta agotada</translation>
    </message>
    <message>
        <source>st_01300</source>
        <translation>Atasco de papel</translation>
    </message>
    <message>
        <source>st_01400</source>
        <translation>Error de la cinta</translation>
    </message>
    <message>
        <source>st_01500</source>
        <translation>Error en el ajuste del tamaño de papel</translation>
    </message>
    <message>
        <source>st_01600</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02000</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02100</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02200</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02300</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02400</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02500</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02600</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02610</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02700</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_02800</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_03000</source>
        <translation>Error del sistema</translation>
    </message>
    <message>
        <source>st_99999</source>
        <translation>Sin conexión</translation>
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
        <translation>Espere un momento.&#10;La impresión se reanudará automáticamente.</translation>
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
        <translation>Conecte la impresora al ordenador y enciéndala.</translation>
    </message>
    <message>
        <source>ms_00100</source>
        <translation>Cierre la tapa de la impresora.</translation>
    </message>
    <message>
        <source>ms_00101</source>
        <translation>Coloque la caja de recortes.</translation>
    </message>
    <message>
        <source>ms_00102</source>
        <translation>Cargue soporte nuevo.&#10;(Sustituya siempre el papel y la cinta a la vez.)</translation>
    </message>
    <message>
        <source>ms_00103</source>
        <translation>Cargue soporte nuevo.&#10;(Sustituya siempre el papel y la cinta a la vez.)</translation>
    </message>
    <message>
        <source>ms_00104</source>
        <translation>Retire el papel y vuelva a cargarlo correctamente.</translation>
    </message>
    <message>
        <source>ms_00105</source>
        <translation>Vuelva a colocar la cinta correctamente.</translation>
    </message>
    <message>
        <source>ms_00106</source>
        <translation>Compruebe el ajuste del tamaño de papel y el tamaño de la cinta.</translation>
    </message>
    <message>
        <source>ms_00107</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00108</source>
        <translation>&#10;&lt;&lt; Se ha cargado un tipo de soporte incorrecto. &gt;&gt;</translation>
    </message>
    <message>
        <source>ms_00200</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00201</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00202</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00203</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00204</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00205</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00206</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00207</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00208</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00209</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
    <message>
        <source>ms_00210</source>
        <translation>Reinicie la impresora y el ordenador.&#10;Si la impresora no se recupera tras el reinicio, póngase en contacto con el servicio técnico.</translation>
    </message>
</context>
<context>
    <name>VersionDialog</name>
    <message>
        <source>ZR Information</source>
        <translation>ZR - Información</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Versión</translation>
    </message>
</context>
</TS>
