#include "controls/focusframe.h"

#include <QPainter>
#include <QPen>

namespace focusframe {

void Paint(QPainter& painter, const QRectF& rect, const QColor& colour, qreal radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

} // namespace focusframe
