#include "gifwriter.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>

namespace artgen {
namespace {

constexpr int kTransparentIndex = 0;
constexpr int kMaxColours = 255;

// ---- Colour reduction: median cut over the colours that the frames use, weighted by their count.

struct Box {
    std::vector<std::pair<QRgb, std::uint64_t>> colours;

    int widestChannel() const {
        int low[3] = {255, 255, 255};
        int high[3] = {0, 0, 0};
        for (const auto& [rgb, count] : colours) {
            const int channels[3] = {qRed(rgb), qGreen(rgb), qBlue(rgb)};
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], channels[c]);
                high[c] = std::max(high[c], channels[c]);
            }
        }
        int best = 0;
        for (int c = 1; c < 3; ++c) {
            if (high[c] - low[c] > high[best] - low[best]) {
                best = c;
            }
        }
        return high[best] - low[best] == 0 ? -1 : best;
    }

    QRgb average() const {
        std::uint64_t sums[3] = {0, 0, 0};
        std::uint64_t total = 0;
        for (const auto& [rgb, count] : colours) {
            sums[0] += std::uint64_t(qRed(rgb)) * count;
            sums[1] += std::uint64_t(qGreen(rgb)) * count;
            sums[2] += std::uint64_t(qBlue(rgb)) * count;
            total += count;
        }
        const auto channel = [total](std::uint64_t sum) { return int((sum + total / 2) / total); };
        return qRgb(channel(sums[0]), channel(sums[1]), channel(sums[2]));
    }
};

int channelOf(QRgb rgb, int channel) {
    return channel == 0 ? qRed(rgb) : channel == 1 ? qGreen(rgb) : qBlue(rgb);
}

std::vector<QRgb> medianCut(const std::map<QRgb, std::uint64_t>& histogram) {
    if (histogram.size() <= std::size_t(kMaxColours)) {
        std::vector<QRgb> palette;
        for (const auto& entry : histogram) {
            palette.push_back(entry.first);
        }
        return palette;
    }
    std::vector<Box> boxes(1);
    boxes.front().colours.assign(histogram.begin(), histogram.end());
    while (boxes.size() < std::size_t(kMaxColours)) {
        // Split the box with the most pixels among those that can still be split.
        int chosen = -1;
        std::uint64_t chosenWeight = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2 || boxes[i].widestChannel() < 0) {
                continue;
            }
            std::uint64_t weight = 0;
            for (const auto& entry : boxes[i].colours) {
                weight += entry.second;
            }
            if (chosen < 0 || weight > chosenWeight) {
                chosen = int(i);
                chosenWeight = weight;
            }
        }
        if (chosen < 0) {
            break;
        }
        Box& box = boxes[std::size_t(chosen)];
        const int channel = box.widestChannel();
        std::stable_sort(box.colours.begin(), box.colours.end(), [channel](const auto& a, const auto& b) {
            return channelOf(a.first, channel) < channelOf(b.first, channel);
        });
        std::uint64_t half = chosenWeight / 2;
        std::size_t cut = 1;
        std::uint64_t running = box.colours.front().second;
        while (cut + 1 < box.colours.size() && running + box.colours[cut].second <= half) {
            running += box.colours[cut].second;
            ++cut;
        }
        Box upper;
        upper.colours.assign(box.colours.begin() + std::ptrdiff_t(cut), box.colours.end());
        box.colours.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        palette.push_back(box.average());
    }
    return palette;
}

int nearest(const std::vector<QRgb>& palette, QRgb rgb) {
    int best = 0;
    int bestDistance = INT32_MAX;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(rgb);
        const int dg = qGreen(palette[i]) - qGreen(rgb);
        const int db = qBlue(palette[i]) - qBlue(rgb);
        const int distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
        }
    }
    return best;
}

// ---- LZW with variable code widths, as GIF decoders expect it.

class BitWriter {
public:
    void write(int code, int width) {
        m_bits |= std::uint32_t(code) << m_count;
        m_count += width;
        while (m_count >= 8) {
            m_bytes.push_back(char(m_bits & 0xFF));
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    QByteArray finish() {
        if (m_count > 0) {
            m_bytes.push_back(char(m_bits & 0xFF));
        }
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    std::uint32_t m_bits = 0;
    int m_count = 0;
};

QByteArray compress(const std::vector<std::uint8_t>& indices, int minimumCodeSize) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    constexpr int kMaxCode = 4095;
    // Child code of (prefix code, next index); 0 means none, since no entry can be code 0.
    std::vector<std::uint16_t> children(std::size_t(kMaxCode + 1) * 256, 0);
    BitWriter out;
    int codeSize = minimumCodeSize + 1;
    int lastCode = endCode;
    int codesSinceClear = 0;

    out.write(clearCode, codeSize);
    int current = indices.front();
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int next = indices[i];
        const std::size_t slot = std::size_t(current) * 256 + std::size_t(next);
        if (children[slot] != 0) {
            current = children[slot];
            continue;
        }
        out.write(current, codeSize);
        ++codesSinceClear;
        children[slot] = std::uint16_t(++lastCode);
        if (lastCode >= (1 << codeSize)) {
            ++codeSize;
        }
        if (lastCode == kMaxCode) {
            out.write(clearCode, codeSize);
            std::fill(children.begin(), children.end(), 0);
            codeSize = minimumCodeSize + 1;
            lastCode = endCode;
            codesSinceClear = 0;
        }
        current = next;
    }
    out.write(current, codeSize);
    ++codesSinceClear;
    // The decoder adds one more entry on reading that last code; its width may grow with it.
    if (codesSinceClear > 1 && lastCode + 1 == (1 << codeSize) && codeSize < 12) {
        ++codeSize;
    }
    out.write(endCode, codeSize);
    return out.finish();
}

void appendWord(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void appendSubBlocks(QByteArray& out, const QByteArray& data) {
    for (qsizetype offset = 0; offset < data.size(); offset += 255) {
        const qsizetype length = std::min<qsizetype>(255, data.size() - offset);
        out.append(char(length));
        out.append(data.constData() + offset, length);
    }
    out.append(char(0));
}

} // namespace

QByteArray encodeAnimatedGif(const std::vector<QImage>& frames, const GifOptions& options) {
    if (frames.empty()) {
        throw std::invalid_argument("an animation needs at least one frame");
    }
    const QSize size = frames.front().size();
    const QRgb matte = options.matte.rgb();

    // Compose every pixel on the matte; what is nearly transparent stays transparent.
    std::vector<std::vector<QRgb>> composed;
    std::map<QRgb, std::uint64_t> histogram;
    for (const QImage& source : frames) {
        if (source.size() != size) {
            throw std::invalid_argument("all frames must have one size");
        }
        const QImage frame = source.convertToFormat(QImage::Format_ARGB32);
        std::vector<QRgb> pixels;
        pixels.reserve(std::size_t(size.width() * size.height()));
        for (int y = 0; y < size.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                const QRgb pixel = line[x];
                const int alpha = qAlpha(pixel);
                if (alpha < options.alphaThreshold) {
                    pixels.push_back(0);
                    continue;
                }
                const auto over = [alpha](int top, int bottom) {
                    return (top * alpha + bottom * (255 - alpha) + 127) / 255;
                };
                const QRgb opaque = qRgba(over(qRed(pixel), qRed(matte)), over(qGreen(pixel), qGreen(matte)),
                                          over(qBlue(pixel), qBlue(matte)), 255);
                pixels.push_back(opaque);
                ++histogram[opaque & 0xFFFFFF];
            }
        }
        composed.push_back(std::move(pixels));
    }

    std::vector<QRgb> palette = medianCut(histogram);
    std::map<QRgb, int> lookup;
    for (const auto& entry : histogram) {
        lookup[entry.first] = nearest(palette, entry.first) + 1;
    }

    QByteArray out("GIF89a");
    appendWord(out, size.width());
    appendWord(out, size.height());
    out.append(char(0xF7)); // global colour table of 256 entries, 8 bits a channel
    out.append(char(kTransparentIndex));
    out.append(char(0));
    // Entry 0 is the transparent one; it carries the matte for viewers that ignore transparency.
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = i == 0 ? matte : i <= int(palette.size()) ? palette[std::size_t(i - 1)] : 0;
        out.append(char(qRed(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qBlue(colour)));
    }
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    appendWord(out, 0); // loop for ever
    out.append(char(0));

    const int delay = (options.delayMs + 5) / 10;
    for (const auto& pixels : composed) {
        out.append("\x21\xF9\x04", 3);
        out.append(char((2 << 2) | 1)); // restore to background before the next frame; transparency on
        appendWord(out, delay);
        out.append(char(kTransparentIndex));
        out.append(char(0));

        out.append(char(0x2C));
        appendWord(out, 0);
        appendWord(out, 0);
        appendWord(out, size.width());
        appendWord(out, size.height());
        out.append(char(0));

        std::vector<std::uint8_t> indices;
        indices.reserve(pixels.size());
        for (const QRgb pixel : pixels) {
            indices.push_back(qAlpha(pixel) == 0 ? kTransparentIndex
                                                 : std::uint8_t(lookup.at(pixel & 0xFFFFFF)));
        }
        constexpr int kMinimumCodeSize = 8;
        out.append(char(kMinimumCodeSize));
        appendSubBlocks(out, compress(indices, kMinimumCodeSize));
    }
    out.append(char(0x3B));
    return out;
}

} // namespace artgen
