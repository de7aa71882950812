#include "icowriter.h"

#include <QBuffer>
#include <stdexcept>

namespace artgen {
namespace {

void appendWord(QByteArray& out, quint32 value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void appendLong(QByteArray& out, quint32 value) {
    appendWord(out, value & 0xFFFF);
    appendWord(out, value >> 16);
}

QByteArray pngEntry(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// BITMAPINFOHEADER with twice the height (colour rows, then mask rows), bottom-up rows.
QByteArray bmpEntry(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    QByteArray out;
    appendLong(out, 40);
    appendLong(out, quint32(size));
    appendLong(out, quint32(size * 2));
    appendWord(out, 1);
    appendWord(out, 32);
    appendLong(out, 0); // uncompressed
    appendLong(out, 0);
    appendLong(out, 0);
    appendLong(out, 0);
    appendLong(out, 0);
    appendLong(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            out.append(char(qBlue(line[x])));
            out.append(char(qGreen(line[x])));
            out.append(char(qRed(line[x])));
            out.append(char(qAlpha(line[x])));
        }
    }
    // The mask marks fully transparent pixels, for readers that ignore the alpha channel.
    const int maskStride = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < size; ++x) {
            if (qAlpha(line[x]) == 0) {
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.append(row);
    }
    return out;
}

} // namespace

QByteArray encodeIco(const std::vector<QImage>& images) {
    std::vector<QByteArray> entries;
    for (const QImage& image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256) {
            throw std::invalid_argument("icon images must be square, 1 to 256 px");
        }
        entries.push_back(image.width() >= 256 ? pngEntry(image) : bmpEntry(image));
    }
    QByteArray out;
    appendWord(out, 0);
    appendWord(out, 1); // icon
    appendWord(out, quint32(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = images[i].width();
        out.append(char(size >= 256 ? 0 : size)); // 0 stands for 256
        out.append(char(size >= 256 ? 0 : size));
        out.append(char(0)); // no palette
        out.append(char(0));
        appendWord(out, 1);  // planes
        appendWord(out, 32); // bits a pixel
        appendLong(out, quint32(entries[i].size()));
        appendLong(out, offset);
        offset += quint32(entries[i].size());
    }
    for (const QByteArray& entry : entries) {
        out.append(entry);
    }
    return out;
}

} // namespace artgen
