// The eight-piece frames of the dark windows and of the tooltips, and the tooltip background.
//
// Each set is drawn whole on one small canvas and then cut into its pieces, so the pieces join
// without a seam. Edge pieces are cut where the outline runs straight: they are the same all along
// their length and may be tiled or stretched.

#include "catalogue.h"

namespace artgen {
namespace {

constexpr int kEdge = 6;     // thickness of the edges and size of the plain corners
constexpr int kRun = 8;      // length of the edge pieces
constexpr int kPointer = 22; // size of the tooltip corners that carry the pointer
constexpr qreal kWindowRadius = 6;
constexpr qreal kTooltipRadius = 5;
constexpr qreal kTailFrom = 37; // degrees along the pointer corner's arc where the tail leaves it

// The window frame: a light outer line, brightest along the top, over a soft dark edge that fades
// inward. Inside that, the pieces are transparent and the window shows through.
void drawWindowFrame(QPainter& p, QSizeF size) {
    const QRectF outer(QPointF(0, 0), size);
    const int shade[] = {84, 38, 12};
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal inset = 1.5 + i;
        p.setPen(QPen(withAlpha(Qt::black, shade[i]), 1));
        p.drawRoundedRect(outer.adjusted(inset, inset, -inset, -inset), kWindowRadius - inset,
                          kWindowRadius - inset);
    }
    QPainterPath line;
    line.addRoundedRect(strokeRect(outer), kWindowRadius - 0.5, kWindowRadius - 0.5);
    strokeLitOutline(p, line, 1,
                     {QColor(0x86, 0x86, 0x89), QColor(0x68, 0x68, 0x6B), QColor(0x57, 0x57, 0x5A)});
}

enum class Pointer { None, BottomRight, BottomLeft };

const QColor kTooltipBody{0x2A, 0x2A, 0x2D};

// The outline of a tooltip through the middle of its 1 px line. A pointer corner is rounded wide
// and a short tail leaves it toward the window's corner, where the cursor is.
QPainterPath tooltipOutline(const QRectF& bounds, qreal radius, Pointer pointer) {
    const QRectF q = strokeRect(bounds);
    const qreal wide = kPointer - 2;
    const auto corner = [](const QPointF& centre, qreal r) {
        return QRectF(centre - QPointF(r, r), QSizeF(2 * r, 2 * r));
    };
    QPainterPath path;
    path.moveTo(q.left() + radius, q.top());
    path.arcTo(corner(QPointF(q.right() - radius, q.top() + radius), radius), 90, -90);

    if (pointer == Pointer::BottomRight) {
        const QRectF arc = corner(QPointF(q.right() - wide, q.bottom() - wide), wide);
        path.arcTo(arc, 0, -kTailFrom);
        path.lineTo(q.bottomRight());
        path.arcTo(arc, -(90 - kTailFrom), -kTailFrom);
    } else {
        path.arcTo(corner(QPointF(q.right() - radius, q.bottom() - radius), radius), 0, -90);
    }

    if (pointer == Pointer::BottomLeft) {
        const QRectF arc = corner(QPointF(q.left() + wide, q.bottom() - wide), wide);
        path.arcTo(arc, 270, -kTailFrom);
        path.lineTo(q.bottomLeft());
        path.arcTo(arc, 180 + kTailFrom, -kTailFrom);
    } else {
        path.arcTo(corner(QPointF(q.left() + radius, q.bottom() - radius), radius), 270, -90);
    }
    path.arcTo(corner(QPointF(q.left() + radius, q.top() + radius), radius), 180, -90);
    path.closeSubpath();
    return path;
}

void drawTooltip(QPainter& p, QSizeF size, Pointer pointer) {
    const QRectF bounds(QPointF(0, 0), size);
    const QPainterPath outline = tooltipOutline(bounds, kTooltipRadius, pointer);
    p.fillPath(outline, kTooltipBody);
    // A faint second line under the top keeps the edge lit without lightening the body.
    strokeLitOutline(p, tooltipOutline(bounds.adjusted(1, 1, -1, -1), kTooltipRadius - 1, pointer), 1,
                     {withAlpha(Qt::white, 22), withAlpha(Qt::white, 0), withAlpha(Qt::white, 0)});
    strokeLitOutline(p, outline, 1,
                     {QColor(0x7C, 0x7C, 0x81), QColor(0x62, 0x62, 0x67), QColor(0x52, 0x52, 0x57)});
}

struct Piece {
    std::uint32_t number;
    const char* position;
    QRect area;
};

void addPieces(std::vector<Picture>& pictures, const QString& set, QSize canvas,
               const std::function<void(QPainter&, QSizeF)>& drawCanvas, const std::vector<Piece>& pieces) {
    for (const Piece& piece : pieces) {
        const QRect area = piece.area;
        pictures.push_back({piece.number, area.size(),
                            set + QStringLiteral(", ") + QString::fromLatin1(piece.position), Backdrop::Panel,
                            [area, canvas, drawCanvas](QPainter& p) {
                                p.translate(-area.topLeft());
                                drawCanvas(p, QSizeF(canvas));
                            }});
    }
}

} // namespace

void addWindowFrame(std::vector<Picture>& pictures) {
    const int far = kEdge + kRun;
    const QSize canvas(far + kEdge, far + kEdge);
    // The border takes them in this order: top-left, top, top-right, right, bottom-right, bottom,
    // bottom-left, left. 21012 is a second bottom edge that completes the numbered set.
    addPieces(pictures, QStringLiteral("Window frame"), canvas, drawWindowFrame,
              {{21014, "top-left", QRect(0, 0, kEdge, kEdge)},
               {21016, "top", QRect(kEdge, 0, kRun, kEdge)},
               {21015, "top-right", QRect(far, 0, kEdge, kEdge)},
               {21017, "right", QRect(far, kEdge, kEdge, kRun)},
               {21018, "bottom-right", QRect(far, far, kEdge, kEdge)},
               {21010, "bottom", QRect(kEdge, far, kRun, kEdge)},
               {21011, "bottom-left", QRect(0, far, kEdge, kEdge)},
               {21013, "left", QRect(0, kEdge, kEdge, kRun)},
               {21012, "bottom (spare)", QRect(kEdge, far, kRun, kEdge)}});
}

void addTooltipPictures(std::vector<Picture>& pictures) {
    const int side = kEdge + kRun + kPointer;
    const QSize canvas(side, side);
    const int pointerAt = side - kPointer;
    const int edgeAt = side - kEdge;
    addPieces(pictures, QStringLiteral("Tooltip"), canvas,
              [](QPainter& p, QSizeF s) { drawTooltip(p, s, Pointer::BottomRight); },
              {{21037, "top-left", QRect(0, 0, kEdge, kEdge)},
               {21044, "top", QRect(kEdge, 0, kRun, kEdge)},
               {21038, "top-right", QRect(edgeAt, 0, kEdge, kEdge)},
               {21046, "right", QRect(edgeAt, kEdge, kEdge, kRun)},
               {21042, "bottom-right pointer", QRect(pointerAt, pointerAt, kPointer, kPointer)},
               {21043, "bottom", QRect(kEdge, edgeAt, kRun, kEdge)},
               {21039, "bottom-left", QRect(0, edgeAt, kEdge, kEdge)},
               {21045, "left", QRect(0, kEdge, kEdge, kRun)}});
    addPieces(pictures, QStringLiteral("Tooltip"), canvas,
              [](QPainter& p, QSizeF s) { drawTooltip(p, s, Pointer::BottomLeft); },
              {{21040, "bottom-right", QRect(edgeAt, edgeAt, kEdge, kEdge)},
               {21041, "bottom-left pointer", QRect(0, pointerAt, kPointer, kPointer)}});
    // The background is stretched over the whole tooltip: it is the body colour of the frame pieces,
    // so that it meets them without a visible join at any size.
    pictures.push_back({21047, QSize(16, 16), QStringLiteral("Tooltip background"), Backdrop::Checkerboard,
                        [](QPainter& p) { p.fillRect(QRectF(0, 0, 16, 16), kTooltipBody); }});
}

} // namespace artgen
