#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <functional>

namespace artgen {

// The product's dark skin, in RGB. The window layouts write colours as 0xBBGGRR; each value here
// names the layout colour it was taken from.
namespace skin {
inline const QColor kPanel{0x4C, 0x4B, 0x4B};        // 0x4B4B4C, panels and caption bars
inline const QColor kMessagePanel{0x49, 0x48, 0x48}; // 0x484849, the message window
inline const QColor kPanelLine{0x2E, 0x2D, 0x2D};    // 0x2D2D2E, the carousel frame
inline const QColor kDarkened{0x2E, 0x2D, 0x2D};     // a panel under the 40 % black waiting layer
inline const QColor kAnchorStrip{0x37, 0x37, 0x37};  // 0x373737, the history window's bottom strip
inline const QColor kSelection{0x7A, 0x96, 0xDF};    // 0xDF967A, carousel selection
inline const QColor kAzure{0x3B, 0xC5, 0xFF};        // 0xFFC53B, links on dark panels
inline const QColor kRowSelected{0xA9, 0xD9, 0xFE};  // 0xFED9A9, selected grid row
inline const QColor kRowBand{0xE9, 0xE8, 0xE8};      // 0xE8E8E9, alternating grid rows
inline const QColor kGridText{0x33, 0x33, 0x33};     // 0x333333, grid cells

// One ramp of greys for every picture: darkest outline to the lightest glyph.
inline const QColor kGrey0{0x1C, 0x1C, 0x1D};
inline const QColor kGrey1{0x2A, 0x2A, 0x2B};
inline const QColor kGrey2{0x3A, 0x3A, 0x3B};
inline const QColor kGrey3{0x5C, 0x5C, 0x5E};
inline const QColor kGrey4{0x7A, 0x7A, 0x7C};
inline const QColor kGrey5{0xA8, 0xA8, 0xAA};
inline const QColor kGrey6{0xCC, 0xCC, 0xCE};
inline const QColor kGrey7{0xF2, 0xF2, 0xF3};

// The accent blue of the buttons, derived from the selection colour and darkened for white text.
inline const QColor kAccentTop{0x67, 0x86, 0xD8};
inline const QColor kAccentBottom{0x45, 0x62, 0xBA};
inline const QColor kAccentRim{0x26, 0x38, 0x72};
inline const QColor kAccentDeep{0x2C, 0x44, 0x8E};

inline const QColor kDangerTop{0xEA, 0x55, 0x48};
inline const QColor kDangerBottom{0xBE, 0x2E, 0x24};
inline const QColor kDangerRim{0x7E, 0x1A, 0x14};

inline const QColor kAmberTop{0xFF, 0xC8, 0x4E};
inline const QColor kAmberBottom{0xEC, 0x86, 0x16};
inline const QColor kAmberRim{0x8F, 0x4B, 0x07};

// Glyphs are stroked at this width (logical pixels); outlines are 1 px.
inline constexpr qreal kGlyphStroke = 2.0;
inline constexpr qreal kButtonRadius = 3.0;
} // namespace skin

using DrawFunction = std::function<void(QPainter&)>;

// Draws at scale × the logical size, antialiased, into a transparent image.
QImage render(QSize logicalSize, int scale, const DrawFunction& draw);

// A rectangle whose 1 px outline lands on whole pixels at every integer scale.
QRectF strokeRect(const QRectF& bounds);

QColor withAlpha(QColor colour, int alpha);
QColor mix(const QColor& from, const QColor& to, qreal t);

QLinearGradient verticalGradient(qreal top, qreal bottom, const QColor& from, const QColor& to);

// A soft shadow of a shape, blurred in device pixels so that both scales look the same.
void paintShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, qreal blurRadius,
                 const QColor& colour);

// The same, for a glow inside a shape: blurs the area outside it and keeps what falls inside.
void paintInnerShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, qreal blurRadius,
                      const QColor& colour);

QPen glyphPen(const QColor& colour, qreal width = skin::kGlyphStroke);

// Light from the top, for outlines: the colour of each stretch of a closed outline follows the way
// it faces, from `top` on edges facing up through `side` to `bottom` on edges facing down.
struct Lighting {
    QColor top;
    QColor side;
    QColor bottom;
};
void strokeLitOutline(QPainter& painter, const QPainterPath& outline, qreal width, const Lighting& lighting);

} // namespace artgen
