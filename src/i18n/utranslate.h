#pragma once

#include <QString>
#include <initializer_list>

struct ZrunTranslationSource;
class QWidget;

// The host's translation of a Spanish text, which is its own key; the key itself when
// there is no translator or no translation.
QString TranslateText(const ZrunTranslationSource* source, const QString& key);

// Translates, once, the captions and marked-up texts of a window and of every control it holds.
void TranslateForm(const ZrunTranslationSource* source, QWidget* window);

// Fills the placeholders of a format text (%s, %d, %i, %u, %S, %ls, %li, %lu) with the
// arguments in order; "%%" is a percent sign. Translated formats come from the host, so a
// missing argument leaves its placeholder empty and extra arguments are ignored: a format
// text can never make the module read what was not passed.
QString FormatText(const QString& format, std::initializer_list<QString> arguments);
