#include "forms/visibletext.h"

#include "support/htmltext.h"

namespace {

bool IsHidden(char32_t c) {
    if (c < 0x80)
        return c < 0x20 || c == 0x7F;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    // Drawn as nothing, though Unicode counts them as letters or marks.
    return c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0;
}

// The code point at i and the number of UTF-16 units it takes; a lone surrogate is its own.
char32_t CodePointAt(QStringView text, qsizetype i, qsizetype& units) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(c, text.at(i + 1));
    }
    units = 1;
    return c.unicode();
}

QString Mark(char32_t c) {
    return QStringLiteral("<U+%1>").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString VisibleText(const QString& text) {
    const QStringView view(text);
    qsizetype first = -1;
    for (qsizetype i = 0, units = 1; i < view.size(); i += units) {
        if (IsHidden(CodePointAt(view, i, units))) {
            first = i;
            break;
        }
    }
    if (first < 0)
        return text;
    QString out = text.left(first);
    out.reserve(text.size() + 16);
    for (qsizetype i = first, units = 1; i < view.size(); i += units) {
        const char32_t c = CodePointAt(view, i, units);
        if (IsHidden(c))
            out += Mark(c);
        else
            out += view.mid(i, units);
    }
    return out;
}

QString VisibleMarkup(const QString& text) {
    return EscapeHtml(VisibleText(text));
}

QString ShortenMiddle(const QString& text, qsizetype maxChars) {
    static const QString dots = QStringLiteral("...");
    if (text.size() <= maxChars || maxChars <= dots.size())
        return text;
    const qsizetype kept = maxChars - dots.size();
    qsizetype head = kept * 2 / 5;
    qsizetype tailStart = text.size() - (kept - head);
    if (head > 0 && text.at(head - 1).isHighSurrogate())
        --head;
    if (tailStart < text.size() && text.at(tailStart).isLowSurrogate())
        ++tailStart;
    return text.left(head) + dots + text.mid(tailStart);
}
