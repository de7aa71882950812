// The waiting picture shown over a darkened window while an action runs: an azure arc that sweeps
// round a faint track, with the product's shield resting in the middle.

#include "catalogue.h"

#include <QConicalGradient>
#include <QtMath>

namespace artgen {
namespace {

constexpr int kFrames = 16;
constexpr int kDelayMs = 80;
const QSize kSize(134, 105);

void drawShieldMark(QPainter& p, const QPointF& centre) {
    const QRectF bounds(centre - QPointF(10, 12), QSizeF(20, 24));
    const QPainterPath shield = shieldPath(bounds);
    p.fillPath(shield, verticalGradient(bounds.top(), bounds.bottom(), QColor(0x5C, 0x7B, 0xCF),
                                        QColor(0x2B, 0x40, 0x86)));
    p.setPen(QPen(withAlpha(skin::kSelection, 230), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shieldPath(bounds.adjusted(0.5, 0.5, -0.5, -0.5)));
    // A small check: the file comes back safe.
    QPainterPath check;
    check.moveTo(centre + QPointF(-4.5, 0));
    check.lineTo(centre + QPointF(-1.2, 3.5));
    check.lineTo(centre + QPointF(4.8, -3.8));
    p.setPen(glyphPen(Qt::white));
    p.drawPath(check);
}

QImage drawFrame(int index) {
    return render(kSize, 1, [index](QPainter& p) {
        const QPointF centre(kSize.width() / 2.0, kSize.height() / 2.0);
        const qreal radius = 30;
        const qreal width = 5;
        const QRectF ring(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));

        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(Qt::white, 20), width));
        p.drawEllipse(ring);

        // The head turns clockwise; the tail trails behind it, counter-clockwise, and fades out.
        const qreal head = 90 - 360.0 * index / kFrames;
        const qreal tail = 280;
        QConicalGradient sweep(centre, head);
        sweep.setColorAt(0, QColor(0xD8, 0xF3, 0xFF));
        sweep.setColorAt(0.06, skin::kAzure);
        sweep.setColorAt(0.4, withAlpha(skin::kSelection, 190));
        sweep.setColorAt(tail / 360.0, withAlpha(skin::kSelection, 0));
        sweep.setColorAt(1, withAlpha(skin::kSelection, 0));
        QPainterPath arc;
        arc.arcMoveTo(ring, head);
        arc.arcTo(ring, head, tail);
        p.setPen(QPen(QBrush(sweep), width, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(arc);

        const qreal angle = qDegreesToRadians(head);
        const QPointF tip(centre.x() + radius * std::cos(angle), centre.y() - radius * std::sin(angle));
        QPainterPath cap;
        cap.addEllipse(tip, width / 2, width / 2);
        paintShadow(p, cap, QPointF(0, 0), 3, withAlpha(skin::kAzure, 200));
        p.fillPath(cap, QColor(0xD8, 0xF3, 0xFF));

        drawShieldMark(p, centre);
    });
}

} // namespace

Animation waitingAnimation() {
    Animation animation;
    animation.delayMs = kDelayMs;
    animation.matte = skin::kDarkened;
    for (int i = 0; i < kFrames; ++i) {
        animation.frames.push_back(drawFrame(i));
    }
    return animation;
}

} // namespace artgen
