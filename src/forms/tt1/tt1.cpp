#include "forms/tt1/tt1.h"

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "forms/tt1/tooltipmanager.h"
#include "module/formvars.h"
#include "support/htmltext.h"
#include "support/utilsresource.h"

#include <QBitmap>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {
// The original frame lay outside the client area; this one is drawn over the window's edges, so
// the text keeps clear of it, a little more at the top to balance the pointer's room below.
constexpr int kTextMargin = 6;
constexpr int kExtraTopMargin = 4;
constexpr int kExtraWindowHeight = 9;
constexpr int kFitSlack = 5;       // label width beyond the measured text
constexpr int kOverflowSlack = 45; // label width beyond the available width
constexpr int kHoverMargin = 3;
constexpr int kHideTimerInterval = 100;
constexpr QSize kDesignSize(570, 328);
constexpr std::uint32_t kBackgroundPicture = 21047;
constexpr QColor kBodyColor(0x2A, 0x2A, 0x2D);
// The registered variants (right and left).
constexpr int kVariantTextWidth = 400;
constexpr QSize kVariantSize(434, 320);
constexpr int kVariantHideDelay = 2000;

std::int64_t MonotonicMilliseconds() {
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock.elapsed();
}

// Point size as the original form data gives it: height -11 px is 8 pt on a 96 dpi screen.
int FontSizeOf(const QFont& font) {
    return QFontInfo(font).pointSize();
}
} // namespace

TfrmTT1::TfrmTT1(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      m_shared(true) {
    setObjectName(QStringLiteral("frmTT1"));
    BuildForm();
    frmTT1 = this;
    tooltips::InstallHook();
}

TfrmTT1::TfrmTT1(QWidget* owner, void* resourceLibrary, const QString& name, int direction, int offsetX,
                 int offsetY, const std::array<std::uint32_t, 8>& borderPictures)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      m_textWidth(kVariantTextWidth), m_resourceLibrary(resourceLibrary) {
    BuildForm();
    ShowPngResource(imgCenterCenter, m_resourceLibrary, kBackgroundPicture);
    setObjectName(name);
    resize(kVariantSize);
    tooltips::RegisterTooltipWindow(
        TZrToolTipFormInfo{this, true, QStringLiteral("black"), direction, offsetX, offsetY});
    tooltips::SetHideDelay(kVariantHideDelay);
    if (m_resourceLibrary)
        SetBorderPictures(borderPictures);
}

TfrmTT1::~TfrmTT1() {
    timHideToolTip->stop();
    tooltips::UnregisterTooltipWindow(this);
    if (m_shared && frmTT1 == this) {
        tooltips::RemoveHook();
        frmTT1 = nullptr;
    }
}

void TfrmTT1::BuildForm() {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    QFont formFont(QStringLiteral("Tahoma"));
    formFont.setPixelSize(11);
    setFont(formFont);
    resize(kDesignSize);

    imgCenterCenter = new TImage(this);
    imgCenterCenter->setObjectName(QStringLiteral("imgCenterCenter"));
    imgCenterCenter->SetStretch(true);
    // Until a picture comes, the body is drawn in the picture's own colour.
    imgCenterCenter->SetTransparent(false);
    QPalette body = imgCenterCenter->palette();
    body.setColor(QPalette::Window, kBodyColor);
    imgCenterCenter->setPalette(body);

    lblMsg = new THTMLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    QFont labelFont(QStringLiteral("Verdana"));
    labelFont.setPixelSize(11);
    lblMsg->setFont(labelFont);
    QPalette pal = lblMsg->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    lblMsg->setPalette(pal);
    lblMsg->SetLinkColor(QColor(0x00, 0xFF, 0xFF));
    lblMsg->setAttribute(Qt::WA_TranslucentBackground);
    lblMsg->setAutoFillBackground(false);
    connect(lblMsg, &THTMLabel::AnchorClick, this, &TfrmTT1::lblMsgAnchorClick);

    timHideToolTip = new QTimer(this);
    timHideToolTip->setObjectName(QStringLiteral("timHideToolTip"));
    timHideToolTip->setInterval(kHideTimerInterval);
    connect(timHideToolTip, &QTimer::timeout, this, &TfrmTT1::timHideToolTipTimer);

    wndBorder = new TZRUNBorder(this);
    LayOutClient();
}

// The frame is drawn over the window's edges: the background fills what lies inside them.
void TfrmTT1::LayOutClient() {
    imgCenterCenter->setGeometry(rect().marginsRemoved(m_edges));
    imgCenterCenter->lower();
}

void TfrmTT1::SetBorderPictures(const std::array<std::uint32_t, 8>& ids) {
    wndBorder->SetResources(m_resourceLibrary, ids, u"PNG");
    const auto size = [this](TZRUNBorder::Piece piece) {
        return wndBorder->Picture(piece).deviceIndependentSize().toSize();
    };
    m_edges = QMargins(size(TZRUNBorder::Left).width(), size(TZRUNBorder::Top).height(),
                       size(TZRUNBorder::Right).width(), size(TZRUNBorder::Bottom).height());
    // The text area: inside the edges, and with its last line above a pointer corner, which
    // reaches higher than the bottom edge.
    const int corners =
        std::max(size(TZRUNBorder::BottomLeft).height(), size(TZRUNBorder::BottomRight).height());
    QMargins text = m_edges;
    text.setBottom(
        std::max(m_edges.bottom(), corners - (kExtraWindowHeight - kExtraTopMargin) - kTextMargin));
    setContentsMargins(text);
    LayOutClient();
}

void TfrmTT1::SetMinSize(int width, int height) {
    m_minWidth = width;
    m_minHeight = height;
}

void TfrmTT1::SetTickSource(TickSource ticks) {
    m_ticks = std::move(ticks);
}

std::int64_t TfrmTT1::Now() const {
    return m_ticks ? m_ticks() : MonotonicMilliseconds();
}

QSize TfrmTT1::LabelSizeFor(const QSize& measured, const QSize& available, int fontSize) {
    if (available.width() > 0 && available.width() < measured.width())
        return QSize(available.width() + kOverflowSlack,
                     measured.height() + fontSize * (measured.width() / available.width()));
    return QSize(measured.width() + kFitSlack, measured.height());
}

void TfrmTT1::ShowAt(const QString& text, int direction, int x, int y) {
    const QMargins frame = contentsMargins();
    const auto resizeClient = [&](int width, int height) {
        resize(width + frame.left() + frame.right(), height + frame.top() + frame.bottom());
        LayOutClient();
    };

    // 1. A clean label and the window at its starting size.
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg->SetAutoHeight(false);
    lblMsg->resize(10, 10);
    lblMsg->SetHTMLText(QString());
    resizeClient(m_textWidth + 2 * kTextMargin, m_windowHeight + 2 * kTextMargin);

    // 2-3. The text wrapped to the text width, at the text area's corner.
    lblMsg->SetHTMLText(FitHtmlToWidth(text, lblMsg->font(), m_textWidth));
    const QRect background = contentsRect();
    lblMsg->move(background.topLeft() + QPoint(kTextMargin, kTextMargin + kExtraTopMargin));

    // 4-5. The label's size for the text.
    const QSize available(background.width() - 2 * kTextMargin, background.height() - 2 * kTextMargin);
    const QSize label = LabelSizeFor(lblMsg->MeasureHtml(m_textWidth), available, FontSizeOf(lblMsg->font()));
    lblMsg->resize(label);

    // 6. The window shrinks around the label.
    resizeClient(std::max(m_minWidth, background.width() - (available.width() - label.width())),
                 std::max(m_minHeight, background.height() - (available.height() - label.height())) +
                     kExtraWindowHeight);

    // 7. The anchor corner of the frame goes to (x, y).
    const QPoint anchor(x, y);
    QRect outer;
    wndBorder->GetRect(outer);
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    if (direction == 1 || direction == 3)
        x -= outer.width() - (topLeft.x() - outer.left());
    if (direction == 2 || direction == 3)
        y -= outer.height() - (topLeft.y() - outer.top());

    // 8. Shown on top, never activated, and wholly on the screen it opens on (a long text
    // would otherwise run off its edge); the hide delay counts from now.
    move(OnScreen(QRect(QPoint(x, y), size()), anchor));
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        UpdateShape();
    show();
    m_hideStart = Now();
    timHideToolTip->start();
}

// Without a compositor, X shows the see-through parts of the frame black: the window takes the
// frame's own outline.
void TfrmTT1::UpdateShape() {
    QImage shape(size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    render(&shape, QPoint(), QRegion(), QWidget::DrawChildren);
    // Faint edge pixels would show as dark specks: only the solid half of the edge counts.
    setMask(QBitmap::fromImage(shape.createAlphaMask(Qt::ThresholdAlphaDither)));
}

void TfrmTT1::Hide() {
    timHideToolTip->stop();
    if (isVisible()) {
        hide();
        tooltips::ClearCurrentOwner();
    }
}

QPoint TfrmTT1::OnScreen(const QRect& wanted, const QPoint& anchor) {
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return wanted.topLeft();
    const QRect area = screen->availableGeometry();
    if (wanted.width() > area.width() || wanted.height() > area.height()) {
        resize(std::min(wanted.width(), area.width()), std::min(wanted.height(), area.height()));
        LayOutClient();
    }
    const int x = std::clamp(wanted.left(), area.left(), area.left() + area.width() - width());
    const int y = std::clamp(wanted.top(), area.top(), area.top() + area.height() - height());
    return {x, y};
}

QRect TfrmTT1::BackgroundOnScreen() const {
    return QRect(imgCenterCenter->mapToGlobal(QPoint(0, 0)), imgCenterCenter->size());
}

void TfrmTT1::timHideToolTipTimer() {
    if (!isVisible()) {
        timHideToolTip->stop();
        return;
    }
    const std::int64_t now = Now();
    const QRect hoverArea =
        BackgroundOnScreen().adjusted(-kHoverMargin, -kHoverMargin, kHoverMargin, kHoverMargin);
    if (hoverArea.contains(QCursor::pos())) {
        // While the cursor rests on the tooltip, the delay starts over; leaving it leaves the grace.
        m_hideStart = std::max<std::int64_t>(0, now + tooltips::HoverGrace() - tooltips::HideDelay());
        return;
    }
    if (now - m_hideStart >= tooltips::HideDelay()) {
        hide();
        timHideToolTip->stop();
    }
}

void TfrmTT1::lblMsgAnchorClick(const QString& anchor) {
    if (IToolTipEvents* owner = tooltips::CurrentOwnerEvents())
        owner->AnchorClick(anchor);
}
