<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="es">
<context>
    <name>ZRUNSuspects</name>
    <!-- Suspects window. -->
    <message>
        <source>Papelera de reciclaje</source>
        <translation>Recycle bin</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;#&quot;&gt;Restaurar archivos neutralizados...&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;#&quot;&gt;Restore neutralised files...&lt;/a&gt;</translation>
    </message>
    <message>
        <source>No bloquearlo</source>
        <translation>Unblock it</translation>
    </message>
    <message>
        <source>Eliminarlo</source>
        <translation>Remove it</translation>
    </message>
    <message>
        <source>Si alguna vez %s neutraliza un programa que deseas utilizar puedes recuperarlo desde aquí</source>
        <translation>If %s ever neutralises a program you want to use, you can get it back here</translation>
    </message>
    <message>
        <source>Desbloqueando elemento...</source>
        <translation>Unblocking item...</translation>
    </message>
    <!-- Names a screen reader gives the picture-only buttons. -->
    <message>
        <source>Anterior</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Siguiente</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Minimizar</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>Maximizar</source>
        <translation>Maximise</translation>
    </message>
    <message>
        <source>Restaurar</source>
        <translation>Restore</translation>
    </message>
    <!-- Descriptions and the reasons of the unblock warning. -->
    <message>
        <source>Está bloqueado por ser &lt;b&gt;una aplicación publicitaria&lt;/b&gt;.</source>
        <translation>Blocked for being &lt;b&gt;an adware application&lt;/b&gt;.</translation>
    </message>
    <message>
        <source>Está bloqueado por ser &lt;b&gt;una barra de herramientas&lt;/b&gt;.</source>
        <translation>Blocked for being &lt;b&gt;a toolbar&lt;/b&gt;.</translation>
    </message>
    <message>
        <source>Está bloqueado por ser &lt;b&gt;una herramienta de administración de red&lt;/b&gt;.</source>
        <translation>Blocked for being &lt;b&gt;a network administration tool&lt;/b&gt;.</translation>
    </message>
    <message>
        <source>Está bloqueado por ser un programa posiblemente no deseado.</source>
        <translation>Blocked for being a potentially unwanted program.</translation>
    </message>
    <message>
        <source>Está bloqueado porque &lt;b&gt;podría estar infectado por un virus&lt;/b&gt; y se ha enviado al laboratorio de %s para analizarlo en detalle.</source>
        <translation>Blocked because &lt;b&gt;it could be infected by a virus&lt;/b&gt;; it has been sent to the %s laboratory for a detailed analysis.</translation>
    </message>
    <message>
        <source>¿Por qué lo hemos bloqueado?</source>
        <translation>Why did we block it?</translation>
    </message>
    <message>
        <source>%s, bloqueado por ser &lt;b&gt;una aplicación publicitaria&lt;/b&gt;.</source>
        <translation>%s, blocked for being &lt;b&gt;an adware application&lt;/b&gt;.</translation>
    </message>
    <message>
        <source>%s, bloqueado por ser &lt;b&gt;una barra de herramientas&lt;/b&gt;.</source>
        <translation>%s, blocked for being &lt;b&gt;a toolbar&lt;/b&gt;.</translation>
    </message>
    <message>
        <source>%s, bloqueado por ser &lt;b&gt;una herramienta de administración de red&lt;/b&gt;.</source>
        <translation>%s, blocked for being &lt;b&gt;a network administration tool&lt;/b&gt;.</translation>
    </message>
    <message>
        <source>%s, bloqueado por ser un programa posiblemente no deseado.</source>
        <translation>%s, blocked for being a potentially unwanted program.</translation>
    </message>
    <!-- The unblock warning. -->
    <message>
        <source>No bloquear elemento</source>
        <translation>Unblock item</translation>
    </message>
    <message>
        <source>Vas a desbloquear el elemento:</source>
        <translation>You are about to unblock the item:</translation>
    </message>
    <message>
        <source>&lt;B&gt;%s recomienda no desbloquear éste elemento&lt;/B&gt; ya que podría resultar muy perjudicial para el funcionamiento de tu PC y la integridad de tus archivos.</source>
        <translation>&lt;B&gt;%s recommends not unblocking this item&lt;/B&gt;: it could seriously harm your PC and the integrity of your files.</translation>
    </message>
    <message>
        <source>¿Deseas ignorar la recomendación y continuar?</source>
        <translation>Do you want to ignore the recommendation and go on?</translation>
    </message>
    <message>
        <source>Sí, deseo continuar</source>
        <translation>Yes, go on</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <!-- The message window. -->
    <message>
        <source>Ha ocurrido un error inesperado</source>
        <translation>An unexpected error occurred</translation>
    </message>
    <message>
        <source>Ha ocurrido un error inesperado con el Código %d</source>
        <translation>An unexpected error occurred (code %d)</translation>
    </message>
    <message>
        <source>Si quieres ayudarnos a mejorar &lt;A HREF=&quot;sendSugest&quot;&gt;envíanos una sugerencia&lt;/A&gt; con información acerca de este error y cómo se ha producido.</source>
        <translation>If you want to help us improve, &lt;A HREF=&quot;sendSugest&quot;&gt;send us a suggestion&lt;/A&gt; about this error and how it came about.</translation>
    </message>
    <message>
        <source>Cerrar</source>
        <translation>Close</translation>
    </message>
    <!-- The action history window. -->
    <message>
        <source>Historial de acciones</source>
        <translation>Action history</translation>
    </message>
    <message>
        <source>Buscar:</source>
        <translation>Search:</translation>
    </message>
    <message>
        <source>Acción</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>Ubicación</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>Fecha/Hora</source>
        <translation>Date/Time</translation>
    </message>
    <message>
        <source>No hay acciones</source>
        <translation>No actions</translation>
    </message>
    <message>
        <source>Escribe aquí la palabra a buscar</source>
        <translation>Type the word to search for here</translation>
    </message>
    <message>
        <source>Recuperando información desde Internet...</source>
        <translation>Retrieving information from the Internet...</translation>
    </message>
    <message>
        <source>Nombre desconocido</source>
        <translation>Unknown name</translation>
    </message>
    <message>
        <source>Mostrar detalles</source>
        <translation>Show details</translation>
    </message>
    <message>
        <source>Deshacer acción</source>
        <translation>Undo action</translation>
    </message>
    <message>
        <source>Rehacer acción</source>
        <translation>Redo action</translation>
    </message>
    <message>
        <source>Eliminar acción</source>
        <translation>Remove action</translation>
    </message>
    <message>
        <source>Deshaciendo acción...</source>
        <translation>Undoing action...</translation>
    </message>
    <message>
        <source>Rehaciendo acción...</source>
        <translation>Redoing action...</translation>
    </message>
    <message>
        <source>Archivo sospechoso neutralizado</source>
        <translation>Suspicious file neutralised</translation>
    </message>
    <message>
        <source>%s eliminado/a:</source>
        <translation>%s deleted:</translation>
    </message>
    <message>
        <source>%s neutralizado/a:</source>
        <translation>%s neutralised:</translation>
    </message>
    <message>
        <source>TYPE_201</source>
        <translation>Adware application</translation>
    </message>
    <message>
        <source>TYPE_202</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>TYPE_203</source>
        <translation>Network administration tool</translation>
    </message>
    <message>
        <source>TYPE_204</source>
        <translation>Potentially unwanted program</translation>
    </message>
    <message>
        <source>TYPE_205</source>
        <translation>Spyware</translation>
    </message>
    <message>
        <source>TYPE_206</source>
        <translation>Remote access tool</translation>
    </message>
    <!-- The history's confirmations. -->
    <message>
        <source>%s &quot;%s&quot; en el archivo %s.</source>
        <translation>%s &quot;%s&quot; in the file %s.</translation>
    </message>
    <message>
        <source>Vas a eliminar definitivamente la acción:</source>
        <translation>You are about to remove the action for good:</translation>
    </message>
    <message>
        <source>&lt;B&gt;Está acción no se podrá deshacer&lt;/B&gt;. Los archivos a los que hace referencia se eliminarán y ya no se podrán recuperar.</source>
        <translation>&lt;B&gt;This action cannot be undone&lt;/B&gt;. The files it refers to will be deleted and can no longer be recovered.</translation>
    </message>
    <message>
        <source>¿Deseas continuar?</source>
        <translation>Do you want to go on?</translation>
    </message>
    <message>
        <source>Vas a deshacer la acción:</source>
        <translation>You are about to undo the action:</translation>
    </message>
    <message>
        <source>&lt;B&gt;%s recomienda no deshacer esta acción&lt;/B&gt; ya que podría resultar muy perjudicial para el funcionamiento de tu PC y la integridad de tus archivos.</source>
        <translation>&lt;B&gt;%s recommends not undoing this action&lt;/B&gt;: it could seriously harm your PC and the integrity of your files.</translation>
    </message>
    <!-- The suspects window's loading, failure and unknown names. -->
    <message>
        <source>Cargando...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>No se ha podido obtener la lista de elementos bloqueados.</source>
        <translation>The list of blocked items could not be retrieved.</translation>
    </message>
    <message>
        <source>Pulsa F5 para volver a intentarlo.</source>
        <translation>Press F5 to try again.</translation>
    </message>
    <message>
        <source>Desconocido</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>Ubicación desconocida</source>
        <translation>Unknown location</translation>
    </message>
    <!-- The console's own texts: its title, status line and store errors. -->
    <message>
        <source>Centro de protección</source>
        <translation>Protection centre</translation>
    </message>
    <message>
        <source>Protección desactivada</source>
        <translation>Protection off</translation>
    </message>
    <message>
        <source>Protección activa · ningún elemento bloqueado</source>
        <translation>Protection on · no blocked items</translation>
    </message>
    <message>
        <source>Protección activa · 1 elemento bloqueado</source>
        <translation>Protection on · 1 blocked item</translation>
    </message>
    <message>
        <source>Protección activa · %1 elementos bloqueados</source>
        <translation>Protection on · %1 blocked items</translation>
    </message>
    <message>
        <source>%1 · fallo simulado: %2</source>
        <translation>%1 · simulated fault: %2</translation>
    </message>
    <message>
        <source>No se ha podido cargar el módulo %1.</source>
        <translation>The module %1 could not be loaded.</translation>
    </message>
    <message>
        <source>El módulo %1 no se ha podido iniciar.</source>
        <translation>The module %1 could not be started.</translation>
    </message>
    <message>
        <source>No hay carpeta de datos del usuario para el almacén de cuarentena.</source>
        <translation>There is no user data folder for the quarantine store.</translation>
    </message>
    <message>
        <source>No se puede crear la carpeta %1 para el almacén de cuarentena.</source>
        <translation>The folder %1 for the quarantine store cannot be created.</translation>
    </message>
    <message>
        <source>Falta el controlador SQLite de Qt: no se puede abrir el almacén de cuarentena %1.</source>
        <translation>Qt's SQLite driver is missing: the quarantine store %1 cannot be opened.</translation>
    </message>
    <message>
        <source>No se puede abrir ni crear el almacén de cuarentena %1.</source>
        <translation>The quarantine store %1 cannot be opened or created.</translation>
    </message>
    <message>
        <source>El archivo %1 no es una base de datos SQLite: no se usa como almacén de cuarentena.</source>
        <translation>The file %1 is not an SQLite database: it is not used as the quarantine store.</translation>
    </message>
    <message>
        <source>La base de datos %1 no es un almacén de cuarentena de la consola: no se ha modificado.</source>
        <translation>The database %1 is not a quarantine store of the console: it has been left unchanged.</translation>
    </message>
    <message>
        <source>El almacén de cuarentena %1 es de una versión más reciente de la consola (esquema %2).</source>
        <translation>The quarantine store %1 belongs to a newer version of the console (schema %2).</translation>
    </message>
    <message>
        <source>No se ha podido preparar el almacén de cuarentena %1.</source>
        <translation>The quarantine store %1 could not be prepared.</translation>
    </message>
</context>
</TS>
