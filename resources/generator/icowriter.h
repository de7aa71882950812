#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace artgen {

// Writes a Windows icon file holding the images given (square, at most 256 px). Images of 256 px
// are stored PNG-compressed, as the format allows; smaller ones as 32-bit BMP with an AND mask,
// which every icon reader understands.
QByteArray encodeIco(const std::vector<QImage>& images);

} // namespace artgen
