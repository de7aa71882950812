#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <vector>

namespace artgen {

// Writes an animated GIF89a: one global palette of at most 255 colours plus a transparent entry,
// LZW-compressed full frames that each replace the previous one, the given delay on every frame
// and a NETSCAPE2.0 block that loops for ever.
//
// GIF transparency is all or nothing, so antialiased edges are composed on `matte`, the colour the
// picture is shown on; pixels less than `alphaThreshold` opaque become transparent.
struct GifOptions {
    int delayMs = 80;
    QColor matte;
    int alphaThreshold = 8;
};

QByteArray encodeAnimatedGif(const std::vector<QImage>& frames, const GifOptions& options);

} // namespace artgen
