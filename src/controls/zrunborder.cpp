#include "controls/zrunborder.h"

#include "support/utilsresource.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace {

QSize LogicalSize(const QImage& image) {
    if (image.isNull())
        return {0, 0};
    const QSizeF size = image.deviceIndependentSize();
    return {qRound(size.width()), qRound(size.height())};
}

// Moves the window its caption bar belongs to.
class CaptionDrag final : public QObject {
public:
    explicit CaptionDrag(QWidget* bar) : QObject(bar), m_bar(bar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_bar)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            QWidget* window = m_bar->window();
            // The window system moves the window itself where it can, as it does for a caption.
            if (QWindow* handle = window->windowHandle(); handle && handle->startSystemMove()) {
                m_dragging = false;
                return true;
            }
            m_dragging = true;
            m_offset = mouse->globalPosition().toPoint() - window->pos();
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!m_dragging || !(mouse->buttons() & Qt::LeftButton))
                return false;
            m_bar->window()->move(mouse->globalPosition().toPoint() - m_offset);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_dragging) {
                m_dragging = false;
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    QWidget* m_bar;
    QPoint m_offset;
    bool m_dragging = false;
};

} // namespace

TZRUNBorder::TZRUNBorder(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("wndBorder"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    if (parent) {
        parent->installEventFilter(this);
        FollowParent();
    }
}

TZRUNBorder::~TZRUNBorder() {
    if (QWidget* parent = parentWidget())
        parent->removeEventFilter(this);
}

void TZRUNBorder::SetResources(void* module, const std::array<std::uint32_t, 8>& ids,
                               std::u16string_view type) {
    std::array<QImage, 8> pictures;
    for (std::size_t i = 0; i < ids.size(); ++i)
        pictures[i] = LoadPngResourceForScreen(module, ids[i], type);
    SetPictures(pictures);
}

void TZRUNBorder::SetPictures(const std::array<QImage, 8>& pictures) {
    m_pieces = pictures;
    FollowParent();
    update();
}

bool TZRUNBorder::HasPictures() const {
    return std::any_of(m_pieces.begin(), m_pieces.end(), [](const QImage& image) { return !image.isNull(); });
}

void TZRUNBorder::GetRect(QRect& rect) const {
    const QWidget* owner = parentWidget() ? parentWidget() : this;
    rect = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
}

QRect TZRUNBorder::PieceRect(Piece piece) const {
    const QSize size = LogicalSize(m_pieces[piece]);
    if (size.isEmpty())
        return {};
    auto sizeOf = [this](Piece p) { return LogicalSize(m_pieces[p]); };
    // The window's size even before a hidden window has passed its pending resize on to the frame.
    const QSize area = parentWidget() ? parentWidget()->size() : QWidget::size();
    const int w = area.width();
    const int h = area.height();
    switch (piece) {
    case TopLeft:
        return {QPoint(0, 0), size};
    case TopRight:
        return {QPoint(w - size.width(), 0), size};
    case BottomRight:
        return {QPoint(w - size.width(), h - size.height()), size};
    case BottomLeft:
        return {QPoint(0, h - size.height()), size};
    case Top: {
        const int from = sizeOf(TopLeft).width();
        return {from, 0, w - sizeOf(TopRight).width() - from, size.height()};
    }
    case Bottom: {
        const int from = sizeOf(BottomLeft).width();
        return {from, h - size.height(), w - sizeOf(BottomRight).width() - from, size.height()};
    }
    case Left: {
        const int from = sizeOf(TopLeft).height();
        return {0, from, size.width(), h - sizeOf(BottomLeft).height() - from};
    }
    case Right: {
        const int from = sizeOf(TopRight).height();
        return {w - size.width(), from, size.width(), h - sizeOf(BottomRight).height() - from};
    }
    }
    return {};
}

void TZRUNBorder::SetResizable(bool on) {
    m_resizable = on;
    setAttribute(Qt::WA_TransparentForMouseEvents, !on);
    if (!on)
        unsetCursor();
    UpdateMouseRegion();
}

int TZRUNBorder::GripWidth() const {
    int grip = 5;
    grip = std::max(grip, LogicalSize(m_pieces[Top]).height());
    grip = std::max(grip, LogicalSize(m_pieces[Bottom]).height());
    grip = std::max(grip, LogicalSize(m_pieces[Left]).width());
    grip = std::max(grip, LogicalSize(m_pieces[Right]).width());
    return grip;
}

QRegion TZRUNBorder::RoundedWindowRegion(const QSize& size, qreal radius) {
    const int w = size.width();
    const int h = size.height();
    if (w <= 0 || h <= 0)
        return {};
    const qreal r = std::clamp<qreal>(radius, 0, std::min(w, h) / 2);
    auto insetOfRow = [r](int row) {
        const qreal dy = r - row - 0.5;
        const qreal reach = std::sqrt(std::max<qreal>(0.0, r * r - dy * dy));
        return std::max(0, static_cast<int>(std::ceil(r - 0.5 - reach)));
    };
    const int rows = static_cast<int>(std::ceil(r));
    QRegion region(0, rows, w, h - 2 * rows);
    for (int row = 0; row < rows; ++row) {
        const int inset = insetOfRow(row);
        region += QRect(inset, row, w - 2 * inset, 1);
        region += QRect(inset, h - 1 - row, w - 2 * inset, 1);
    }
    return region;
}

void TZRUNBorder::paintEvent(QPaintEvent*) {
    if (!HasPictures())
        return;
    QPainter painter(this);
    // Edges are alike along their length: nearest-neighbour stretching keeps them crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (int i = 0; i < 8; ++i) {
        const auto piece = static_cast<Piece>(i);
        const QImage& image = m_pieces[piece];
        const QRect target = PieceRect(piece);
        if (image.isNull() || target.width() <= 0 || target.height() <= 0)
            continue;
        painter.drawImage(QRectF(target), image, QRectF(image.rect()));
    }
}

Qt::Edges TZRUNBorder::EdgesAt(const QPoint& position) const {
    const int grip = GripWidth();
    // Corners answer along a longer stretch of the edge, as a desktop frame's do.
    const int corner = std::max(grip * 3, 16);
    const int w = width();
    const int h = height();
    const int x = position.x();
    const int y = position.y();
    Qt::Edges edges;
    if (x < grip || (x < corner && (y < grip || y >= h - grip)))
        edges |= Qt::LeftEdge;
    if (x >= w - grip || (x >= w - corner && (y < grip || y >= h - grip)))
        edges |= Qt::RightEdge;
    if (y < grip || (y < corner && (x < grip || x >= w - grip)))
        edges |= Qt::TopEdge;
    if (y >= h - grip || (y >= h - corner && (x < grip || x >= w - grip)))
        edges |= Qt::BottomEdge;
    return edges;
}

void TZRUNBorder::mousePressEvent(QMouseEvent* event) {
    if (!m_resizable || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const Qt::Edges edges = EdgesAt(event->position().toPoint());
    if (!edges) {
        event->ignore();
        return;
    }
    QWidget* top = window();
    if (QWindow* handle = top->windowHandle();
        handle && top->isWindow() && handle->startSystemResize(edges)) {
        m_dragEdges = {};
        return;
    }
    m_dragEdges = edges;
    m_pressGlobal = event->globalPosition().toPoint();
    m_pressGeometry = top->geometry();
}

void TZRUNBorder::mouseMoveEvent(QMouseEvent* event) {
    if (!m_resizable)
        return;
    if (!m_dragEdges) {
        const Qt::Edges edges = EdgesAt(event->position().toPoint());
        if ((edges & Qt::LeftEdge && edges & Qt::TopEdge) ||
            (edges & Qt::RightEdge && edges & Qt::BottomEdge))
            setCursor(Qt::SizeFDiagCursor);
        else if ((edges & Qt::RightEdge && edges & Qt::TopEdge) ||
                 (edges & Qt::LeftEdge && edges & Qt::BottomEdge))
            setCursor(Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges & (Qt::TopEdge | Qt::BottomEdge))
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        return;
    }
    QWidget* top = window();
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    const QSize least = top->minimumSize().expandedTo(QSize(GripWidth() * 4, GripWidth() * 4));
    QRect geometry = m_pressGeometry;
    if (m_dragEdges & Qt::LeftEdge)
        geometry.setLeft(std::min(geometry.left() + delta.x(), geometry.right() + 1 - least.width()));
    if (m_dragEdges & Qt::RightEdge)
        geometry.setRight(std::max(geometry.right() + delta.x(), geometry.left() + least.width() - 1));
    if (m_dragEdges & Qt::TopEdge)
        geometry.setTop(std::min(geometry.top() + delta.y(), geometry.bottom() + 1 - least.height()));
    if (m_dragEdges & Qt::BottomEdge)
        geometry.setBottom(std::max(geometry.bottom() + delta.y(), geometry.top() + least.height() - 1));
    geometry.setSize(geometry.size().boundedTo(top->maximumSize()));
    top->setGeometry(geometry);
}

void TZRUNBorder::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragEdges = {};
}

bool TZRUNBorder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
            FollowParent();
            break;
        case QEvent::ChildAdded:
            // The frame stays above every control created after it.
            if (static_cast<QChildEvent*>(event)->child() != this &&
                static_cast<QChildEvent*>(event)->child()->isWidgetType())
                raise();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TZRUNBorder::FollowParent() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    if (geometry() != parent->rect())
        setGeometry(parent->rect());
    raise();
    UpdateMouseRegion();
}

void TZRUNBorder::UpdateMouseRegion() {
    if (!m_resizable) {
        clearMask();
        return;
    }
    // Only the frame takes the mouse; everything inside it reaches the window's controls.
    const int grip = GripWidth();
    QRegion region = QRegion(rect()) - QRegion(rect().adjusted(grip, grip, -grip, -grip));
    for (int i = 0; i < 8; ++i)
        region += PieceRect(static_cast<Piece>(i));
    if (!region.isEmpty())
        setMask(region);
}

void InstallCaptionDrag(QWidget* captionBar) {
    if (!captionBar)
        return;
    captionBar->installEventFilter(new CaptionDrag(captionBar));
}
