#pragma once

#include <QMargins>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QTimer;
class TImage;
class THTMLabel;
class TZRUNBorder;

// The module's tooltip window: borderless, always on top, never activated, with a skinned
// frame, a picture background and an HTML text that may hold links. It carries the showing,
// sizing and hiding of every tooltip; TTooltipFormRight and TTooltipFormLeft are the two
// registered variants.
//
// The instance made with the public constructor is the shared one: it is frmTT1 while it
// lives and it hosts the tooltip manager's show-hint hook.
class TfrmTT1 : public QWidget {
    Q_OBJECT

public:
    // The milliseconds clock the hide delay is measured with; tests replace it.
    using TickSource = std::function<std::int64_t()>;

    explicit TfrmTT1(QWidget* owner = nullptr);
    ~TfrmTT1() override;
    Q_DISABLE_COPY_MOVE(TfrmTT1)

    // Shows the marked-up text with the window's anchor corner at (x, y): direction 0 opens
    // right and below that point, 1 left and below, 2 right and above, 3 left and above.
    virtual void ShowAt(const QString& text, int direction, int x, int y);
    // Stops the hide timer, hides the window if it shows and forgets the hint's owner.
    void Hide();

    int TextWidth() const { return m_textWidth; }
    int WindowHeight() const { return m_windowHeight; }
    int MinWidth() const { return m_minWidth; }
    int MinHeight() const { return m_minHeight; }
    void SetMinSize(int width, int height);
    void* ResourceLibrary() const { return m_resourceLibrary; }
    std::int64_t HideStart() const { return m_hideStart; }

    void SetTickSource(TickSource ticks);
    std::int64_t Now() const;

    // The label's size for a measured text: 5 px of slack when the text fits the available
    // width, else the available width plus 45 px with one font size of height per whole
    // multiple of the available width that the text needed.
    static QSize LabelSizeFor(const QSize& measured, const QSize& available, int fontSize);

    // Form handlers.
    void lblMsgAnchorClick(const QString& anchor);
    void timHideToolTipTimer();

protected:
    // For the variants: not the shared instance, pictures from the resource library. The window
    // is named, registers for its direction and offsets (see TZrToolTipFormInfo) and takes the
    // frame pictures when there is a library.
    TfrmTT1(QWidget* owner, void* resourceLibrary, const QString& name, int direction, int offsetX,
            int offsetY, const std::array<std::uint32_t, 8>& borderPictures);

    // The eight frame pictures in TZRUNBorder's order; the client area moves inside them.
    void SetBorderPictures(const std::array<std::uint32_t, 8>& ids);

    TImage* imgCenterCenter = nullptr;
    THTMLabel* lblMsg = nullptr;
    QTimer* timHideToolTip = nullptr;
    TZRUNBorder* wndBorder = nullptr;

private:
    void BuildForm();
    void LayOutClient();
    void UpdateShape();
    QRect BackgroundOnScreen() const;
    // Where a window wanted at a place goes so that all of it lies in the available area of the
    // screen its anchor point is on; a window larger than that area is cut to it first.
    QPoint OnScreen(const QRect& wanted, const QPoint& anchor);

    std::int64_t m_hideStart = 0;
    QString m_traceText;
    int m_textWidth = 300;
    int m_windowHeight = 200;
    int m_minWidth = 0;
    int m_minHeight = 0;
    void* m_resourceLibrary = nullptr;
    QMargins m_edges; // thickness of the frame's edges
    bool m_shared = false;
    TickSource m_ticks;
};
