#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The outline a focused control draws on itself, so that a keyboard user sees where the keys
// go. Custom-painted controls call it from their paintEvent when they have the focus.
namespace focusframe {

// Light on the dark panels, as the focus ring of the skinned buttons.
inline const QColor kOnDark(255, 255, 255, 170);
// Dark on the white grid and light dialogs: the panel colour of the skin (0x4B4B4C).
inline const QColor kOnLight(0x4C, 0x4B, 0x4B);

// A one-pixel rounded outline just inside rect.
void Paint(QPainter& painter, const QRectF& rect, const QColor& colour, qreal radius = 3);

} // namespace focusframe
