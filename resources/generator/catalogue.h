#pragma once

#include "canvas.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace artgen {

// What a picture sits on in the windows; the art sheet shows it on that background.
enum class Backdrop {
    Panel,        // 0x4B4B4C body and caption panels
    MessagePanel, // 0x484849 message window
    SelectedRow,  // light-blue selected grid row
    AnchorStrip,  // 0x373737 bottom strip of the history window
    Darkened,     // a window under the 40 % black waiting layer
    GridHeader,   // the light header of the history grid
    Checkerboard, // pictures that are stretched over an area of their own
};

// A picture drawn in logical pixels. PNG pictures are written at 1x and again at 2x; the painter
// handed to draw is already scaled.
struct Picture {
    std::uint32_t number = 0;
    QSize size;
    QString title;
    Backdrop backdrop = Backdrop::Panel;
    DrawFunction draw;
};

struct Animation {
    std::vector<QImage> frames; // straight-alpha frames, all of one size
    int delayMs = 0;
    QColor matte; // the colour around it on screen, for the 1-bit transparency of GIF
};

struct Catalogue {
    std::vector<Picture> png;     // type "PNG", and "PNG@2x" at twice the size
    std::vector<Picture> bitmaps; // type "BITMAP", written as PNG at 1x
    std::uint32_t waitingNumber = 0;
    Animation waiting; // type "GIF"
    std::uint32_t iconNumber = 0;
    std::vector<QImage> iconImages; // type "ICON", one image per size
};

Catalogue buildCatalogue();

// Families of pictures, one file each.
void addTextButtonFaces(std::vector<Picture>& pictures);
void addCarouselButtons(std::vector<Picture>& pictures);
void addCaptionButtons(std::vector<Picture>& pictures);
void addRowActionButtons(std::vector<Picture>& pictures);
void addAlertPictures(std::vector<Picture>& pictures);
void addWindowFrame(std::vector<Picture>& pictures);
void addTooltipPictures(std::vector<Picture>& pictures);
void addGridPictures(std::vector<Picture>& pictures, std::vector<Picture>& bitmaps);
Animation waitingAnimation();
std::vector<QImage> productIconImages();

// The product mark (a shield with a restore arrow) shared by the icon and the waiting picture.
QPainterPath shieldPath(const QRectF& bounds);

} // namespace artgen
