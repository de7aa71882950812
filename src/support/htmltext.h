#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Plain text of the labels' marked-up text: breaks become line feeds, hidden spans and tags
// go, the few character entities the module writes are decoded.
QString HtmlToPlainText(const QString& html);

// Inserts "<BR />" breaks so that the text fits maxWidth pixels when drawn with font (bold
// parts measured in bold); lineCount receives the number of lines, 0 for an empty text.
QString FitHtmlToWidth(const QString& html, const QFont& font, int maxWidth, int* lineCount = nullptr);

// Width of the first count characters of text drawn with font on the screen.
int TextWidthInPixels(const QFont& font, const QString& text, int count);

// Smooth rendering for the larger fonts (9 pt and more) of the controls a window holds.
void ApplyClearTypeFonts(QWidget* window);

// Text from data (names, paths) made safe to put into marked-up text.
QString EscapeHtml(const QString& text);
