#include "englishcatalogue.h"

QHash<QString, QString> EnglishCatalogue() {
    const char* const pairs[][2] = {
        // Suspects window.
        {"Papelera de reciclaje", "Recycle bin"},
        {"<a href=\"#\">Restaurar archivos neutralizados...</a>",
         "<a href=\"#\">Restore neutralised files...</a>"},
        {"No bloquearlo", "Unblock it"},
        {"Eliminarlo", "Remove it"},
        {"Si alguna vez %s neutraliza un programa que deseas utilizar puedes recuperarlo desde aquí",
         "If %s ever neutralises a program you want to use, you can get it back here"},
        {"Desbloqueando elemento...", "Unblocking item..."},
        // Descriptions and the reasons of the unblock warning.
        {"Está bloqueado por ser <b>una aplicación publicitaria</b>.",
         "Blocked for being <b>an adware application</b>."},
        {"Está bloqueado por ser <b>una barra de herramientas</b>.", "Blocked for being <b>a toolbar</b>."},
        {"Está bloqueado por ser <b>una herramienta de administración de red</b>.",
         "Blocked for being <b>a network administration tool</b>."},
        {"Está bloqueado por ser un programa posiblemente no deseado.",
         "Blocked for being a potentially unwanted program."},
        {"Está bloqueado porque <b>podría estar infectado por un virus</b> y se ha enviado al laboratorio de "
         "%s para "
         "analizarlo en detalle.",
         "Blocked because <b>it could be infected by a virus</b>; it has been sent to the %s laboratory for "
         "a "
         "detailed analysis."},
        {"¿Por qué lo hemos bloqueado?", "Why did we block it?"},
        {"%s, bloqueado por ser <b>una aplicación publicitaria</b>.",
         "%s, blocked for being <b>an adware application</b>."},
        {"%s, bloqueado por ser <b>una barra de herramientas</b>.",
         "%s, blocked for being <b>a toolbar</b>."},
        {"%s, bloqueado por ser <b>una herramienta de administración de red</b>.",
         "%s, blocked for being <b>a network administration tool</b>."},
        {"%s, bloqueado por ser un programa posiblemente no deseado.",
         "%s, blocked for being a potentially unwanted program."},
        // The unblock warning.
        {"No bloquear elemento", "Unblock item"},
        {"Vas a desbloquear el elemento:", "You are about to unblock the item:"},
        {"<B>%s recomienda no desbloquear éste elemento</B> ya que podría resultar muy perjudicial para el "
         "funcionamiento de tu PC y la integridad de tus archivos.",
         "<B>%s recommends not unblocking this item</B>: it could seriously harm your PC and the integrity "
         "of your "
         "files."},
        {"¿Deseas ignorar la recomendación y continuar?",
         "Do you want to ignore the recommendation and go on?"},
        {"Sí, deseo continuar", "Yes, go on"},
        {"No", "No"},
        {"Sí", "Yes"},
        {"Aceptar", "OK"},
        // The message window.
        {"Ha ocurrido un error inesperado", "An unexpected error occurred"},
        {"Ha ocurrido un error inesperado con el Código %d", "An unexpected error occurred (code %d)"},
        {"Si quieres ayudarnos a mejorar <A HREF=\"sendSugest\">envíanos una sugerencia</A> con información "
         "acerca de "
         "este error y cómo se ha producido.",
         "If you want to help us improve, <A HREF=\"sendSugest\">send us a suggestion</A> about this error "
         "and how it "
         "came about."},
        {"Cerrar", "Close"},
        // The action history window.
        {"Historial de acciones", "Action history"},
        {"Buscar:", "Search:"},
        {"Acción", "Action"},
        {"Ubicación", "Location"},
        {"Fecha/Hora", "Date/Time"},
        {"No hay acciones", "No actions"},
        {"Escribe aquí la palabra a buscar", "Type the word to search for here"},
        {"Recuperando información desde Internet...", "Retrieving information from the Internet..."},
        {"Nombre desconocido", "Unknown name"},
        {"Mostrar detalles", "Show details"},
        {"Deshacer acción", "Undo action"},
        {"Rehacer acción", "Redo action"},
        {"Eliminar acción", "Remove action"},
        {"Deshaciendo acción...", "Undoing action..."},
        {"Rehaciendo acción...", "Redoing action..."},
        {"Archivo sospechoso neutralizado", "Suspicious file neutralised"},
        {"%s eliminado/a:", "%s deleted:"},
        {"%s neutralizado/a:", "%s neutralised:"},
        {"TYPE_201", "Adware application"},
        {"TYPE_202", "Toolbar"},
        {"TYPE_203", "Network administration tool"},
        {"TYPE_204", "Potentially unwanted program"},
        {"TYPE_205", "Spyware"},
        {"TYPE_206", "Remote access tool"},
        // The history's confirmations.
        {"%s \"%s\" en el archivo %s.", "%s \"%s\" in the file %s."},
        {"Vas a eliminar definitivamente la acción:", "You are about to remove the action for good:"},
        {"<B>Está acción no se podrá deshacer</B>. Los archivos a los que hace referencia se eliminarán y ya "
         "no "
         "se podrán recuperar.",
         "<B>This action cannot be undone</B>. The files it refers to will be deleted and can no longer be "
         "recovered."},
        {"¿Deseas continuar?", "Do you want to go on?"},
        {"Vas a deshacer la acción:", "You are about to undo the action:"},
        {"<B>%s recomienda no deshacer esta acción</B> ya que podría resultar muy perjudicial para el "
         "funcionamiento de tu PC y la integridad de tus archivos.",
         "<B>%s recommends not undoing this action</B>: it could seriously harm your PC and the integrity of "
         "your files."},
        // The console's own window: its heading and the status line.
        {"Centro de protección", "Protection centre"},
        {"Protección desactivada", "Protection off"},
        {"Protección activa · ningún elemento bloqueado", "Protection on · no blocked items"},
        {"Protección activa · 1 elemento bloqueado", "Protection on · 1 blocked item"},
        {"Protección activa · %1 elementos bloqueados", "Protection on · %1 blocked items"},
        {"%1 · fallo simulado: %2", "%1 · simulated fault: %2"},
        {"No se ha podido cargar el módulo %1.", "The module %1 could not be loaded."},
        {"El módulo %1 no se ha podido iniciar.", "The module %1 could not be started."},
        // Why the quarantine store cannot be used.
        {"No hay carpeta de datos del usuario para el almacén de cuarentena.",
         "There is no user data folder for the quarantine store."},
        {"No se puede crear la carpeta %1 para el almacén de cuarentena.",
         "The folder %1 for the quarantine store cannot be created."},
        {"Falta el controlador SQLite de Qt: no se puede abrir el almacén de cuarentena %1.",
         "Qt's SQLite driver is missing: the quarantine store %1 cannot be opened."},
        {"No se puede abrir ni crear el almacén de cuarentena %1.",
         "The quarantine store %1 cannot be opened or created."},
        {"El archivo %1 no es una base de datos SQLite: no se usa como almacén de cuarentena.",
         "The file %1 is not an SQLite database: it is not used as the quarantine store."},
        {"La base de datos %1 no es un almacén de cuarentena de la consola: no se ha modificado.",
         "The database %1 is not a quarantine store of the console: it has been left unchanged."},
        {"El almacén de cuarentena %1 es de una versión más reciente de la consola (esquema %2).",
         "The quarantine store %1 belongs to a newer version of the console (schema %2)."},
        {"No se ha podido preparar el almacén de cuarentena %1.",
         "The quarantine store %1 could not be prepared."},
    };
    QHash<QString, QString> catalogue;
    for (const auto& pair : pairs)
        catalogue.insert(QString::fromUtf8(pair[0]), QString::fromUtf8(pair[1]));
    return catalogue;
}

QHash<QString, QString> SpanishItemTypeNames() {
    const char* const pairs[][2] = {
        {"TYPE_201", "Aplicación publicitaria"},
        {"TYPE_202", "Barra de herramientas"},
        {"TYPE_203", "Herramienta de administración de red"},
        {"TYPE_204", "Programa posiblemente no deseado"},
        {"TYPE_205", "Programa espía"},
        {"TYPE_206", "Herramienta de acceso remoto"},
    };
    QHash<QString, QString> names;
    for (const auto& pair : pairs)
        names.insert(QString::fromUtf8(pair[0]), QString::fromUtf8(pair[1]));
    return names;
}
