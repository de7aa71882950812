// Alert pictures of the message and confirmation windows: round badges for error and information,
// and a large warning shield. Each stands on a soft shadow cast by the light above.

#include "catalogue.h"

namespace artgen {
namespace {

struct BadgeColours {
    QColor top;
    QColor bottom;
    QColor rim;
};

// A round badge with a lit upper half, a thin dark rim and an inner highlight.
void drawBadge(QPainter& p, const QRectF& disc, const BadgeColours& colours) {
    QPainterPath shape;
    shape.addEllipse(disc);
    paintShadow(p, shape, QPointF(0, 1.5), 2.5, withAlpha(Qt::black, 120));
    p.fillPath(shape, verticalGradient(disc.top(), disc.bottom(), colours.top, colours.bottom));

    QRadialGradient sheen(disc.center().x(), disc.top() + disc.height() * 0.18, disc.width() * 0.62);
    sheen.setColorAt(0, withAlpha(Qt::white, 70));
    sheen.setColorAt(1, withAlpha(Qt::white, 0));
    p.fillPath(shape, sheen);

    const QRectF inner = disc.adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient light(0, inner.top(), 0, inner.bottom());
    light.setColorAt(0, withAlpha(Qt::white, 110));
    light.setColorAt(0.5, withAlpha(Qt::white, 0));
    light.setColorAt(1, withAlpha(Qt::white, 0));
    p.setPen(QPen(QBrush(light), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(inner);
    p.setPen(QPen(colours.rim, 1));
    p.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
}

// White marks carry a faint shadow of their own so that they lift off the badge.
template <typename Mark> void drawRaisedMark(QPainter& p, Mark mark) {
    p.save();
    p.translate(0, 1);
    mark(p, withAlpha(Qt::black, 70));
    p.restore();
    mark(p, Qt::white);
}

void drawError(QPainter& p) {
    const QRectF disc(3, 2, 39, 39);
    drawBadge(p, disc, {skin::kDangerTop, skin::kDangerBottom, skin::kDangerRim});
    drawRaisedMark(p, [&](QPainter& painter, const QColor& colour) {
        painter.setPen(glyphPen(colour, 4));
        const QPointF c = disc.center();
        painter.drawLine(c + QPointF(-7, -7), c + QPointF(7, 7));
        painter.drawLine(c + QPointF(7, -7), c + QPointF(-7, 7));
    });
}

void drawInformation(QPainter& p) {
    const QRectF disc(3, 2, 39, 39);
    drawBadge(p, disc, {QColor(0x5A, 0xB8, 0xF6), QColor(0x2B, 0x6A, 0xCB), QColor(0x17, 0x3C, 0x7E)});
    drawRaisedMark(p, [&](QPainter& painter, const QColor& colour) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const qreal cx = disc.center().x();
        painter.drawEllipse(QPointF(cx, disc.top() + 10.5), 2.75, 2.75);
        painter.drawRoundedRect(QRectF(cx - 2.25, disc.top() + 16, 4.5, 15), 1.5, 1.5);
    });
}

void drawWarningShield(QPainter& p) {
    const QRectF bounds(12, 6, 58, 70);
    const QPainterPath outer = shieldPath(bounds);
    paintShadow(p, outer, QPointF(0, 2.5), 4, withAlpha(Qt::black, 140));
    p.fillPath(outer, verticalGradient(bounds.top(), bounds.bottom(), skin::kAmberBottom, skin::kAmberRim));

    // The face sits inside a bevelled band, lit from the top.
    const QPainterPath face = shieldPath(bounds.adjusted(5, 5, -5, -6));
    p.fillPath(face, verticalGradient(bounds.top(), bounds.bottom(), skin::kAmberTop, skin::kAmberBottom));
    QRadialGradient sheen(bounds.center().x(), bounds.top() + 8, bounds.width() * 0.7);
    sheen.setColorAt(0, withAlpha(Qt::white, 80));
    sheen.setColorAt(1, withAlpha(Qt::white, 0));
    p.fillPath(face, sheen);
    paintInnerShadow(p, face, QPointF(0, -1), 1.5, withAlpha(skin::kAmberRim, 150));

    QLinearGradient band(0, bounds.top(), 0, bounds.bottom());
    band.setColorAt(0, withAlpha(Qt::white, 150));
    band.setColorAt(0.45, withAlpha(Qt::white, 20));
    band.setColorAt(1, withAlpha(Qt::white, 0));
    p.setPen(QPen(QBrush(band), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shieldPath(bounds.adjusted(1.5, 1.5, -1.5, -1.5)));
    p.setPen(QPen(skin::kAmberRim.darker(120), 1));
    p.drawPath(shieldPath(bounds.adjusted(0.5, 0.5, -0.5, -0.5)));

    drawRaisedMark(p, [&](QPainter& painter, const QColor& colour) {
        const qreal cx = bounds.center().x();
        QPainterPath bar;
        bar.moveTo(cx - 4, 22);
        bar.lineTo(cx + 4, 22);
        bar.lineTo(cx + 2.2, 48);
        bar.lineTo(cx - 2.2, 48);
        bar.closeSubpath();
        painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(colour);
        painter.drawPath(bar);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(cx, 56.5), 4, 4);
    });
}

} // namespace

void addAlertPictures(std::vector<Picture>& pictures) {
    pictures.push_back({20015, QSize(45, 45), QStringLiteral("Error"), Backdrop::MessagePanel, drawError});
    pictures.push_back(
        {20017, QSize(45, 45), QStringLiteral("Information"), Backdrop::MessagePanel, drawInformation});
    pictures.push_back(
        {20154, QSize(82, 82), QStringLiteral("Warning shield"), Backdrop::Panel, drawWarningShield});
}

} // namespace artgen
