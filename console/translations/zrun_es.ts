<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="es">
<context>
    <name>ZRUNSuspects</name>
    <message>
        <source>TYPE_201</source>
        <translation>Aplicación publicitaria</translation>
    </message>
    <message>
        <source>TYPE_202</source>
        <translation>Barra de herramientas</translation>
    </message>
    <message>
        <source>TYPE_203</source>
        <translation>Herramienta de administración de red</translation>
    </message>
    <message>
        <source>TYPE_204</source>
        <translation>Programa posiblemente no deseado</translation>
    </message>
    <message>
        <source>TYPE_205</source>
        <translation>Programa espía</translation>
    </message>
    <message>
        <source>TYPE_206</source>
        <translation>Herramienta de acceso remoto</translation>
    </message>
</context>
</TS>
