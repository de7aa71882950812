#include "controls/htmlabel.h"

#include "controls/focusframe.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>
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
    UpdateKeyboardLinks(rich);
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

void THTMLabel::UpdateKeyboardLinks(const QString& rich) {
    static const QRegularExpression target(
        QStringLiteral("<a\\s[^>]*href\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"),
        QRegularExpression::CaseInsensitiveOption);
    m_anchors.clear();
    for (auto it = target.globalMatch(rich); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        m_anchors << (match.capturedStart(1) >= 0 ? match.captured(1) : match.captured(2));
    }
    m_focusedAnchor =
        m_anchors.isEmpty() ? -1 : std::clamp<int>(m_focusedAnchor, 0, int(m_anchors.size()) - 1);
    // The label walks its links itself (Qt's own keyboard links stop on the label first, where
    // Enter does nothing); the mouse keeps Qt's handling.
    // A label that loses its links while focused keeps the focus until Tab moves it on.
    setFocusPolicy(m_anchors.isEmpty() ? Qt::NoFocus : Qt::TabFocus);
}

QString THTMLabel::FocusedAnchor() const {
    return hasFocus() && m_focusedAnchor >= 0 && m_focusedAnchor < m_anchors.size()
               ? m_anchors.at(m_focusedAnchor)
               : QString();
}

void THTMLabel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason)
        m_focusedAnchor = 0;
    else if (event->reason() == Qt::BacktabFocusReason)
        m_focusedAnchor = static_cast<int>(m_anchors.size()) - 1;
    else if (m_focusedAnchor < 0 && !m_anchors.isEmpty())
        m_focusedAnchor = 0;
}

bool THTMLabel::focusNextPrevChild(bool next) {
    // Tab goes from link to link before it leaves the label.
    if (hasFocus() && !m_anchors.isEmpty()) {
        const int to = m_focusedAnchor + (next ? 1 : -1);
        if (to >= 0 && to < m_anchors.size()) {
            m_focusedAnchor = to;
            update();
            return true;
        }
    }
    return QLabel::focusNextPrevChild(next);
}

void THTMLabel::keyPressEvent(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    const int key = event->key();
    const QString anchor = FocusedAnchor();
    if (plain && !anchor.isEmpty() &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        event->accept();
        Q_EMIT AnchorClick(anchor);
        return;
    }
    QLabel::keyPressEvent(event);
}

void THTMLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Around the text, not the whole label: the label is often far wider than its words.
    const QRect text =
        contentsRect().intersected(QRect(contentsRect().topLeft(), MeasureHtml(width()) + QSize(4, 2)));
    QPainter painter(this);
    focusframe::Paint(painter, text, m_linkColor.isValid() ? m_linkColor : focusframe::kOnDark, 2);
}
