// The product mark: a shield carrying a restore arrow, the quarantine that gives files back. It is
// the window icon at every size Windows and the desktops ask for.

#include "catalogue.h"

#include <QtMath>

namespace artgen {

QPainterPath shieldPath(const QRectF& b) {
    const qreal l = b.left();
    const qreal r = b.right();
    const qreal t = b.top();
    const qreal w = b.width();
    const qreal h = b.height();
    const qreal cx = b.center().x();
    const qreal shoulder = t + h * 0.16;
    QPainterPath path;
    path.moveTo(cx, t);
    path.cubicTo(cx + w * 0.2, t + h * 0.075, r - w * 0.16, t + h * 0.1, r - w * 0.03, t + h * 0.1);
    path.quadTo(r, t + h * 0.1, r, shoulder);
    path.cubicTo(r, t + h * 0.52, r - w * 0.14, t + h * 0.8, cx, b.bottom());
    path.cubicTo(l + w * 0.14, t + h * 0.8, l, t + h * 0.52, l, shoulder);
    path.quadTo(l, t + h * 0.1, l + w * 0.03, t + h * 0.1);
    path.cubicTo(l + w * 0.16, t + h * 0.1, cx - w * 0.2, t + h * 0.075, cx, t);
    path.closeSubpath();
    return path;
}

namespace {

// A circular arrow turning back (counter-clockwise), open at the top, its head at the upper right
// pointing into the opening.
void drawRestoreArrow(QPainter& p, const QPointF& centre, qreal radius, qreal stroke, qreal headScale,
                      const QColor& colour) {
    const QRectF ring(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    const qreal start = 118;
    const qreal sweep = 292;
    QPainterPath arc;
    arc.arcMoveTo(ring, start);
    arc.arcTo(ring, start, sweep);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);

    const qreal end = qDegreesToRadians(start + sweep);
    const QPointF base(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    const QPointF ahead(-std::sin(end), -std::cos(end)); // counter-clockwise on screen
    const QPointF outward(std::cos(end), -std::sin(end));
    const qreal size = stroke * headScale;
    QPainterPath head;
    head.moveTo(base + ahead * size * 1.5);
    head.lineTo(base + outward * size * 1.15);
    head.lineTo(base - outward * size * 1.15);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

void drawProductIcon(QPainter& p, qreal size) {
    const bool tiny = size <= 24;
    const QRectF bounds = tiny ? QRectF(size * 0.06, size * 0.02, size * 0.88, size * 0.96)
                               : QRectF(size * 0.1, size * 0.05, size * 0.8, size * 0.88);
    const QPainterPath shield = shieldPath(bounds);
    if (!tiny) {
        paintShadow(p, shield, QPointF(0, size * 0.025), size * 0.035, withAlpha(Qt::black, 110));
    }
    p.fillPath(shield, verticalGradient(bounds.top(), bounds.bottom(), QColor(0x83, 0xA2, 0xEA),
                                        QColor(0x2A, 0x46, 0x9C)));
    QRadialGradient sheen(bounds.center().x(), bounds.top(), bounds.width() * 0.8);
    sheen.setColorAt(0, withAlpha(Qt::white, 70));
    sheen.setColorAt(1, withAlpha(Qt::white, 0));
    p.fillPath(shield, sheen);

    const qreal line = std::max<qreal>(1.0, size / 48.0);
    if (size >= 32) {
        const qreal inset = line * 1.5;
        QLinearGradient band(0, bounds.top(), 0, bounds.bottom());
        band.setColorAt(0, withAlpha(Qt::white, 130));
        band.setColorAt(0.5, withAlpha(Qt::white, 20));
        band.setColorAt(1, withAlpha(Qt::white, 0));
        p.setPen(QPen(QBrush(band), line));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shieldPath(bounds.adjusted(inset, inset, -inset, -inset)));
    }
    p.setPen(QPen(QColor(0x1A, 0x2C, 0x64), line));
    p.setBrush(Qt::NoBrush);
    const qreal half = line / 2;
    p.drawPath(shieldPath(bounds.adjusted(half, half, -half, -half)));

    const QPointF centre(bounds.center().x(), bounds.top() + bounds.height() * 0.47);
    // Small sizes get a heavier ring and a larger head, so the arrow still reads as one.
    const qreal radius = bounds.width() * (tiny ? 0.23 : 0.24);
    const qreal stroke = tiny ? std::max<qreal>(2.0, bounds.width() * 0.13) : bounds.width() * 0.095;
    const qreal headScale = tiny ? 1.45 : 1.25;
    if (size >= 32) {
        p.save();
        p.translate(0, line);
        drawRestoreArrow(p, centre, radius, stroke, headScale, withAlpha(QColor(0x10, 0x1C, 0x48), 110));
        p.restore();
    }
    drawRestoreArrow(p, centre, radius, stroke, headScale, Qt::white);
}

} // namespace

std::vector<QImage> productIconImages() {
    std::vector<QImage> images;
    for (const int size : {16, 24, 32, 48, 64, 256}) {
        images.push_back(render(QSize(size, size), 1, [size](QPainter& p) { drawProductIcon(p, size); }));
    }
    return images;
}

} // namespace artgen
