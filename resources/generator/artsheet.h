#pragma once

#include "catalogue.h"

#include <QImage>
#include <map>
#include <vector>

namespace artgen {

struct RenderedPicture {
    const Picture* picture = nullptr;
    QImage normal;  // 1x
    QImage doubled; // 2x
};

// Every picture as it is written to the library, for the contact sheet.
struct RenderedArt {
    std::vector<RenderedPicture> png;
    std::vector<RenderedPicture> bitmaps;
    std::map<std::uint32_t, const RenderedPicture*> byNumber; // PNG and BITMAP numbers
    std::vector<QImage> waitingFrames;                        // as a GIF reader gives them back
    int waitingDelayMs = 0;
    std::vector<QImage> iconImages;
};

// A contact sheet: every picture at 1x and 2x on what it sits on, then the pictures put together
// the way the windows use them. With a preview folder, each of those compositions is also written
// there as a PNG of its own, for a closer look.
QImage drawArtSheet(const RenderedArt& art, const QString& previewFolder = {});

} // namespace artgen
