#include "support/htmltext.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Moves what precedes each opening mark to the output and drops the span through its closing
// mark. A span that never closes hides the rest of the text (it is never output twice).
QString RemoveSpans(const QString& text, QLatin1String open, QLatin1String close) {
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(open, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        const qsizetype end = text.indexOf(close, at + open.size(), Qt::CaseSensitive);
        if (end < 0)
            return out;
        from = end + close.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

// A "<" with no later ">" is text, not the start of a tag.
QString RemoveTags(const QString& text) {
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(QLatin1Char('<'), from);
        if (at < 0)
            break;
        const qsizetype end = text.indexOf(QLatin1Char('>'), at + 1);
        if (end < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        from = end + 1;
    }
    out += QStringView(text).mid(from);
    return out;
}

QString DecodeEntities(QString text) {
    if (!text.contains(QLatin1Char('&')))
        return text;
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QString(QChar(0xA0)));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

int BorderWidth() {
    return 1;
}

class Fitter {
public:
    Fitter(const QFont& font, int maxWidth) : m_font(font), m_start(font), m_maxWidth(maxWidth) {}

    QString Run(const QString& text, int* lineCount) {
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text.at(i);
            const bool last = i == n - 1;
            if (c != QLatin1Char('<'))
                m_segment += c;
            if (c == QLatin1Char('<')) {
                m_inTag = true;
                m_tag = QStringLiteral("<");
            } else if (c == QLatin1Char('>') && m_inTag) {
                m_inTag = false;
                m_tag += c;
                ReadTag(m_tag, m_bold, true);
                ApplyStyle(m_bold);
                if (!last)
                    continue;
            } else if (m_inTag) {
                m_tag += c;
                continue;
            }
            if (c == QLatin1Char(' ') || c == QLatin1Char('<') || last)
                m_width += Measure(m_segment);
            if (Margin() + m_width > m_maxWidth)
                Overflow();
            if (c == QLatin1Char(' ')) {
                m_output += m_pending + m_segment;
                m_pending.clear();
                m_segment.clear();
            } else if (c == QLatin1Char('<')) {
                m_pending += m_segment;
                m_segment = QStringLiteral("<");
            }
        }
        m_output += m_pending + m_segment;
        if (m_output.isEmpty())
            m_lines = 0;
        if (lineCount)
            *lineCount = m_lines;
        return m_output;
    }

private:
    int Margin() const { return 4 * BorderWidth(); }

    int Measure(const QString& html) const {
        const QString plain = HtmlToPlainText(html);
        return TextWidthInPixels(m_font, plain, static_cast<int>(plain.size()));
    }

    void ApplyStyle(int bold) { m_font.setBold(bold > 0 ? true : m_start.bold()); }

    // Bold marks always count; breaks only in the main scan.
    void ReadTag(const QString& tag, int& bold, bool breaks) {
        const QString lower = tag.toLower();
        if (lower == QLatin1String("<b>")) {
            ++bold;
        } else if (lower == QLatin1String("</b>")) {
            --bold;
        } else if (breaks && (lower == QLatin1String("<br>") || lower == QLatin1String("<br/>") ||
                              lower == QLatin1String("<br />"))) {
            m_output += m_pending + m_segment;
            m_pending.clear();
            m_segment.clear();
            ++m_lines;
            m_width = 0;
        }
    }

    void Overflow() {
        if (!m_output.isEmpty()) {
            if (m_pending.startsWith(QLatin1String("<BR />"))) {
                m_output += m_pending + QLatin1String("<BR />");
                m_pending.clear();
            } else {
                m_pending.prepend(QLatin1String("<BR />"));
            }
            ++m_lines;
        }
        // Cut the word itself into pieces that fit, never inside a tag.
        const QString segment = m_segment;
        int bold = m_bold;
        const int savedBold = m_bold;
        qsizetype pieceStart = 0;
        int lastWidth = 0;
        bool inTag = false;
        QString tag;
        for (qsizetype k = 0; k < segment.size(); ++k) {
            const QChar ch = segment.at(k);
            if (ch == QLatin1Char('<')) {
                inTag = true;
                tag = QStringLiteral("<");
                continue;
            }
            if (inTag) {
                tag += ch;
                if (ch == QLatin1Char('>')) {
                    inTag = false;
                    ReadTag(tag, bold, false);
                }
                continue;
            }
            ApplyStyle(bold);
            const int width = Measure(segment.mid(pieceStart, k - pieceStart + 1));
            if (Margin() + width <= m_maxWidth || k == pieceStart) {
                lastWidth = width;
                continue;
            }
            m_pending += segment.mid(pieceStart, k - pieceStart) + QLatin1String("<BR />");
            ++m_lines;
            pieceStart = k;
            lastWidth = Measure(segment.mid(k, 1));
        }
        m_segment = segment.mid(pieceStart);
        ApplyStyle(savedBold);
        m_width = lastWidth;
    }

    QFont m_font;
    const QFont m_start;
    const int m_maxWidth;
    QString m_output;
    QString m_pending;
    QString m_segment;
    QString m_tag;
    bool m_inTag = false;
    int m_bold = 0;
    int m_width = 0;
    int m_lines = 1;
};

double PointSizeOf(const QFont& font) {
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    qreal dpi = 96.0;
    if (auto* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    return font.pixelSize() * 72.0 / dpi;
}

} // namespace

QString HtmlToPlainText(const QString& html) {
    QString text = html;
    text.replace(QLatin1String("<BR>"), QLatin1String("\n"), Qt::CaseInsensitive);
    text.replace(QLatin1String("<HR>"), QLatin1String("\n"), Qt::CaseInsensitive);
    text = RemoveSpans(text, QLatin1String("<z>"), QLatin1String("</z>"));
    text = RemoveSpans(text, QLatin1String("<Z>"), QLatin1String("</Z>"));
    return DecodeEntities(RemoveTags(text));
}

QString FitHtmlToWidth(const QString& html, const QFont& font, int maxWidth, int* lineCount) {
    return Fitter(font, maxWidth).Run(html, lineCount);
}

int TextWidthInPixels(const QFont& font, const QString& text, int count) {
    if (count <= 0 || text.isEmpty())
        return 0;
    return QFontMetrics(font).horizontalAdvance(text.left(count));
}

void ApplyClearTypeFonts(QWidget* window) {
    if (!window)
        return;
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        QFont font = control->font();
        if (PointSizeOf(font) < 9.0)
            continue;
        font.setStyleStrategy(QFont::PreferAntialias);
        control->setFont(font);
    }
}

QString EscapeHtml(const QString& text) {
    return text.toHtmlEscaped();
}
