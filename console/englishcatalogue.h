#pragma once

#include <QHash>
#include <QString>

// The console's English texts for the module's Spanish keys (keys exactly as the module asks:
// markup, placeholders and line ends included).
QHash<QString, QString> EnglishCatalogue();
