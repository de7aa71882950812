#pragma once

#include <QHash>
#include <QString>

// The console's English texts for the module's Spanish keys (keys exactly as the module asks:
// markup, placeholders and line ends included).
QHash<QString, QString> EnglishCatalogue();

// The names of the item types: the module has none of its own and asks for the keys TYPE_n in
// every language, so a Spanish console answers these while every other Spanish text passes
// through as its own key.
QHash<QString, QString> SpanishItemTypeNames();
