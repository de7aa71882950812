#pragma once

#include <QLabel>
#include <QStringList>

// The HTML label of the windows: a small subset of HTML (bold, breaks, links, hidden
// spans) drawn as rich text, with link clicks reported by anchor text.
class THTMLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString HTMLText READ HTMLText WRITE SetHTMLText)
    Q_PROPERTY(QColor LinkColor READ LinkColor WRITE SetLinkColor)

public:
    explicit THTMLabel(QWidget* parent = nullptr);

    // The marked-up text as set, lines separated by line feeds.
    QString HTMLText() const { return m_lines.join(QLatin1Char('\n')); }
    void SetHTMLText(const QString& text);
    QStringList HTMLTextLines() const { return m_lines; }
    // The text as one string in which every line, the last included, ends with CR LF.
    QString HTMLTextWithLineEnds() const;

    QColor LinkColor() const { return m_linkColor; }

    // The link the keyboard is on (its target), empty while the label has no focus or no link.
    QString FocusedAnchor() const;
    void SetLinkColor(const QColor& color);

    // With auto height on, the label takes the height its text needs at its current width.
    void SetAutoHeight(bool on);
    bool AutoHeight() const { return m_autoHeight; }

    // Size of the text laid out at most maxWidth pixels wide.
    QSize MeasureHtml(int maxWidth) const;

    // The rich text Qt draws for a marked-up text: hidden spans dropped, line ends as blanks.
    static QString ToRichText(const QString& html);

Q_SIGNALS:
    void AnchorClick(const QString& anchor);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // A label with links is a tab stop whose links Tab walks and Enter or Space follows; one
    // without takes no keyboard focus.
    void UpdateKeyboardLinks(const QString& rich);

    void Refresh();
    void FitHeight();

    QStringList m_lines;
    QStringList m_anchors;    // the targets of the links, in order
    int m_focusedAnchor = -1; // the one Enter follows while the label has the focus
    QColor m_linkColor;
    bool m_autoHeight = false;
    bool m_fitting = false;
};
