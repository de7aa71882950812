// Pictures of the history grid and its window: the header background, the sort glyphs and the
// resize grip of the bottom strip.

#include "catalogue.h"

namespace artgen {
namespace {

// A light header over the white and grey row bands, so that its bold text in the window's dark grey
// reads well; it repeats along x, so every column is the same.
void drawGridHeader(QPainter& p, QSizeF size) {
    const qreal w = size.width();
    const qreal h = size.height();
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, QColor(0xFD, 0xFD, 0xFD));
    fill.setColorAt(0.5, QColor(0xF1, 0xF1, 0xF1));
    fill.setColorAt(0.52, QColor(0xEA, 0xEA, 0xEB));
    fill.setColorAt(1, QColor(0xE2, 0xE2, 0xE3));
    p.fillRect(QRectF(0, 0, w, h), fill);
    p.fillRect(QRectF(0, 0, w, 1), Qt::white);
    p.fillRect(QRectF(0, h - 2, w, 1), QColor(0xD6, 0xD6, 0xD8));
    p.fillRect(QRectF(0, h - 1, w, 1), QColor(0xB4, 0xB4, 0xB7));
}

// Sort glyphs are drawn pixel by pixel: a 9 × 5 triangle stays crisp at the size the grid paints it.
void drawSortGlyph(QPainter& p, bool ascending) {
    const QColor ink{0x5A, 0x5A, 0x5D};
    for (int row = 0; row < 5; ++row) {
        const int y = ascending ? row : 4 - row;
        p.fillRect(QRectF(4 - row, y, row * 2 + 1, 1), ink);
    }
}

// The grip: six raised dots in a triangle, lit from the top left, on the 0x373737 strip.
void drawResizeGrip(QPainter& p, QSizeF size) {
    const QPointF corner(size.width() - 3, size.height() - 3);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column <= row; ++column) {
            const QPointF dot = corner - QPointF(column * 4, (row - column) * 4) - QPointF(2, 2);
            p.fillRect(QRectF(dot + QPointF(1, 1), QSizeF(2, 2)), QColor(0x1A, 0x1A, 0x1B));
            p.fillRect(QRectF(dot, QSizeF(2, 2)), QColor(0x8E, 0x8E, 0x91));
            p.fillRect(QRectF(dot, QSizeF(1, 1)), QColor(0xB4, 0xB4, 0xB6));
        }
    }
}

} // namespace

void addGridPictures(std::vector<Picture>& pictures, std::vector<Picture>& bitmaps) {
    pictures.push_back({20076, QSize(8, 25), QStringLiteral("Grid header"), Backdrop::Checkerboard,
                        [](QPainter& p) { drawGridHeader(p, QSizeF(8, 25)); }});
    pictures.push_back({20153, QSize(18, 19), QStringLiteral("Resize grip"), Backdrop::AnchorStrip,
                        [](QPainter& p) { drawResizeGrip(p, QSizeF(18, 19)); }});
    bitmaps.push_back({20074, QSize(9, 5), QStringLiteral("Sort ascending"), Backdrop::GridHeader,
                       [](QPainter& p) { drawSortGlyph(p, true); }});
    bitmaps.push_back({20075, QSize(9, 5), QStringLiteral("Sort descending"), Backdrop::GridHeader,
                       [](QPainter& p) { drawSortGlyph(p, false); }});
}

} // namespace artgen
