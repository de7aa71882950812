#include "controls/htmlabel.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QRegularExpression>
#include <QTextDocument>
#include <cmath>

THTMLabel::THTMLabel(QWidget* parent) : QLabel(parent), m_linkColor(0x06, 0xF9, 0xF9) {
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QLabel::linkActivated, this, &THTMLabel::AnchorClick);
    SetLinkColor(m_linkColor);
}

void THTMLabel::SetHTMLText(const QString& text) {
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (normalised.endsWith(QLatin1Char('\n')))
        normalised.chop(1);
    m_lines = normalised.isEmpty() ? QStringList() : normalised.split(QLatin1Char('\n'));
    Refresh();
}

QString THTMLabel::HTMLTextWithLineEnds() const {
    QString text;
    for (const QString& line : m_lines)
        text += line + QLatin1String("\r\n");
    return text;
}

void THTMLabel::SetLinkColor(const QColor& color) {
    m_linkColor = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Link, color);
    pal.setColor(QPalette::LinkVisited, color);
    setPalette(pal);
    Refresh();
}

void THTMLabel::SetAutoHeight(bool on) {
    m_autoHeight = on;
    FitHeight();
}

QString THTMLabel::ToRichText(const QString& html) {
    QString text = html;
    // Hidden spans carry data for searching, never for the eye; each closes with its own case.
    static const QRegularExpression lower(QStringLiteral("<z>.*?</z>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression upper(QStringLiteral("<Z>.*?</Z>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    text.remove(lower);
    text.remove(upper);
    // The module's texts never hold pictures: one that comes with data would be read from disk.
    static const QRegularExpression picture(QStringLiteral("<img\\b[^>]*>"),
                                            QRegularExpression::CaseInsensitiveOption);
    text.remove(picture);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QSize THTMLabel::MeasureHtml(int maxWidth) const {
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(font());
    doc.setHtml(ToRichText(HTMLText()));
    if (maxWidth > 0)
        doc.setTextWidth(maxWidth);
    const int width = static_cast<int>(
        std::ceil(maxWidth > 0 ? std::min<qreal>(doc.idealWidth(), maxWidth) : doc.idealWidth()));
    const int height = static_cast<int>(std::ceil(doc.documentLayout()->documentSize().height()));
    return {width, height};
}

void THTMLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    FitHeight();
}

void THTMLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitHeight();
}

void THTMLabel::Refresh() {
    QString rich = ToRichText(HTMLText());
    // Qt colours links from the application's palette when it reads the text, not from the
    // label's: a style sheet in the text carries the label's own link colour.
    static const QRegularExpression anchor(QStringLiteral("<a[\\s>]"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (m_linkColor.isValid() && rich.contains(anchor))
        rich.prepend(QStringLiteral("<style>a { color: %1; }</style>").arg(m_linkColor.name()));
    setText(rich);
    FitHeight();
}

void THTMLabel::FitHeight() {
    if (!m_autoHeight || m_fitting || width() <= 0)
        return;
    m_fitting = true;
    const int height = MeasureHtml(width()).height();
    if (height != this->height())
        resize(width(), height);
    m_fitting = false;
}
