#include "comm/nano/nanoarchive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ZRUN_NANO_SSE2 1
#else
#define ZRUN_NANO_SSE2 0
#endif

namespace {

// elementSize * count, or false when it does not fit in a size_t.
bool ByteCount(std::size_t elementSize, std::size_t count, std::size_t& bytes) {
    if (elementSize != 0 && count > std::numeric_limits<std::size_t>::max() / elementSize)
        return false;
    bytes = elementSize * count;
    return true;
}

} // namespace

CNanoArchiveStream::CNanoArchiveStream(const std::uint8_t* data, std::size_t size) {
    if (data && size)
        m_store.assign(data, data + size);
    PlaceCursor(0);
}

CNanoArchiveStream::CNanoArchiveStream(const CNanoArchiveStream& other)
    : INanoArchive(other), m_store(other.m_store) {
    PlaceCursor(other.Cursor());
}

CNanoArchiveStream& CNanoArchiveStream::operator=(const CNanoArchiveStream& other) {
    if (this != &other) {
        INanoArchive::operator=(other);
        m_store = other.m_store;
        PlaceCursor(other.Cursor());
    }
    return *this;
}

void CNanoArchiveStream::PlaceCursor(std::size_t cursor) {
    if (m_store.empty())
        LendWindow(nullptr, nullptr);
    else
        LendWindow(m_store.data() + cursor, m_store.data() + m_store.size());
}

bool CNanoArchiveStream::BeginWrite() {
    m_store.clear();
    PlaceCursor(0);
    ClearFailed();
    return true;
}

bool CNanoArchiveStream::BeginRead() {
    PlaceCursor(0);
    ClearFailed();
    return true;
}

std::size_t CNanoArchiveStream::WriteBytes(const void* data, std::size_t elementSize, std::size_t count) {
    std::size_t size = 0;
    if (!ByteCount(elementSize, count, size) || (size && !data)) {
        MarkFailed();
        return 0;
    }
    if (size == 0)
        return 0;
    // The store may move: the window follows it and takes in the new bytes.
    const std::size_t cursor = Cursor();
    try {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_store.insert(m_store.end(), bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        MarkFailed();
        return 0;
    } catch (const std::length_error&) {
        MarkFailed();
        return 0;
    }
    PlaceCursor(cursor);
    return size;
}

std::size_t INanoArchive::ReadFromWindowWhole(void* data, std::size_t elementSize, std::size_t count) {
    std::size_t size = 0;
    if (!ByteCount(elementSize, count, size) || size > ReadWindowSize() || (size && !data)) {
        MarkFailed();
        return 0;
    }
    if (size == 0)
        return 0;
    std::memcpy(data, ReadWindow(), size);
    TakeFromWindow(size);
    return size;
}

std::size_t CNanoArchiveStream::ReadBytes(void* data, std::size_t elementSize, std::size_t count) {
    return ReadFromWindowWhole(data, elementSize, count);
}

bool CNanoArchiveStream::ReplaceFrom(INanoArchive& source, std::size_t size) {
    if (size > source.Remaining()) {
        m_store.clear();
        PlaceCursor(0);
        return false;
    }
    bool replaced = true;
    if (size && size <= source.ReadWindowSize()) {
        // Straight from the source's bytes, with no zero fill first.
        m_store.assign(source.ReadWindow(), source.ReadWindow() + size);
        source.TakeFromWindow(size);
    } else {
        m_store.resize(size);
        replaced = size == 0 || source.ReadBytes(m_store.data(), 1, size) == size;
        if (!replaced)
            m_store.clear();
    }
    PlaceCursor(0);
    return replaced;
}

CNanoArchiveView::CNanoArchiveView(const std::uint8_t* data, std::size_t size)
    : m_begin(data && size ? data : nullptr), m_end(data && size ? data + size : nullptr) {
    LendWindow(m_begin, m_end);
}

bool CNanoArchiveView::BeginWrite() {
    MarkFailed();
    return false;
}

bool CNanoArchiveView::BeginRead() {
    LendWindow(m_begin, m_end);
    ClearFailed();
    return true;
}

std::size_t CNanoArchiveView::WriteBytes(const void*, std::size_t, std::size_t) {
    MarkFailed();
    return 0;
}

std::size_t CNanoArchiveView::ReadBytes(void* data, std::size_t elementSize, std::size_t count) {
    return ReadFromWindowWhole(data, elementSize, count);
}

namespace nano {
namespace {

// One operation under the status word's rule.
template <class Op> bool Operation(INanoArchive& ar, Op op) {
    ar.SetStatus(kNanoFailed);
    if (!op()) {
        ar.MarkFailed();
        return false;
    }
    ar.SetStatus(kNanoOk);
    return true;
}

template <class T> void StoreLittleEndian(T value, std::uint8_t* out) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <class T> bool WriteScalar(INanoArchive& ar, T value) {
    std::uint8_t bytes[sizeof(T)];
    StoreLittleEndian(value, bytes);
    return Operation(ar, [&] { return ar.WriteBytes(bytes, 1, sizeof(T)) == sizeof(T); });
}

template <class T> bool ReadScalar(INanoArchive& ar, T& value) {
    std::uint8_t bytes[sizeof(T)];
    return Operation(ar, [&] {
        if (ar.ReadBytes(bytes, 1, sizeof(T)) != sizeof(T))
            return false;
        value = LoadLittleEndian<T>(bytes);
        return true;
    });
}

// Index of the first unit whose two bytes are 0, or count when there is none. Texts are
// scanned whole, since the terminator is usually the last unit: eight units at a time where
// the processor compares them at once, four at a time in a 64-bit word elsewhere.
std::size_t FirstZeroUnit(const std::uint8_t* units, std::size_t count) {
    std::size_t i = 0;
#if ZRUN_NANO_SSE2
    if (count >= 8) {
        const auto firstZero = [units](std::size_t at) -> std::size_t {
            const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 2 * at));
            const auto mask =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(word, _mm_setzero_si128())));
            return mask ? static_cast<std::size_t>(std::countr_zero(mask)) / 2 : 8;
        };
        for (; i + 8 <= count; i += 8)
            if (const std::size_t at = firstZero(i); at < 8)
                return i + at;
        // The last eight units, overlapping units already known not to be 0.
        if (i < count) {
            const std::size_t at = firstZero(count - 8);
            return at < 8 ? count - 8 + at : count;
        }
        return count;
    }
#endif
    constexpr std::uint64_t kLow = 0x0001000100010001ull;
    constexpr std::uint64_t kHigh = 0x8000800080008000ull;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t word;
        std::memcpy(&word, units + 2 * i, 8);
        // Nonzero exactly when one of the four units is 0.
        if ((word - kLow) & ~word & kHigh)
            break;
    }
    for (; i < count; ++i)
        if (units[2 * i] == 0 && units[2 * i + 1] == 0)
            return i;
    return count;
}

void SwapUnitsOnBigEndian(char16_t* units, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < count; ++i)
            units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
    } else {
        (void)units;
        (void)count;
    }
}

// The count units of a wide text, known to remain: text := those before the first 0 unit,
// cut to maxUnits.
bool ReadUnits(INanoArchive& ar, std::uint32_t count, std::u16string& text, std::size_t maxUnits) {
    const std::size_t bytes = 2 * static_cast<std::size_t>(count);
    if (ar.ReadWindowSize() >= bytes) {
        // In place: one allocation of the kept length and one copy.
        const std::uint8_t* units = ar.ReadWindow();
        text.resize(std::min(FirstZeroUnit(units, count), maxUnits));
        std::memcpy(text.data(), units, 2 * text.size());
        ar.TakeFromWindow(bytes);
    } else {
        std::u16string units(count, u'\0');
        if (ar.ReadBytes(units.data(), 2, count) != bytes)
            return false;
        units.resize(std::min({units.find(u'\0'), units.size(), maxUnits}));
        text = std::move(units);
    }
    SwapUnitsOnBigEndian(text.data(), text.size());
    return true;
}

} // namespace

namespace detail {

bool ReadU32Through(INanoArchive& ar, std::uint32_t& value) {
    return ReadScalar(ar, value);
}
bool ReadU64Through(INanoArchive& ar, std::uint64_t& value) {
    return ReadScalar(ar, value);
}
bool ReadRawThrough(INanoArchive& ar, void* data, std::size_t size) {
    return Operation(ar, [&] { return size == 0 || ar.ReadBytes(data, 1, size) == size; });
}

} // namespace detail

bool WriteU32(INanoArchive& ar, std::uint32_t value) {
    return WriteScalar(ar, value);
}
bool WriteU64(INanoArchive& ar, std::uint64_t value) {
    return WriteScalar(ar, value);
}

bool WriteRaw(INanoArchive& ar, const void* data, std::size_t size) {
    return Operation(ar, [&] { return size == 0 || ar.WriteBytes(data, 1, size) == size; });
}

bool WriteText(INanoArchive& ar, std::u16string_view text) {
    return Operation(ar, [&] {
        if (text.size() >= std::numeric_limits<std::uint32_t>::max())
            return false;
        std::uint8_t count[4];
        StoreLittleEndian(static_cast<std::uint32_t>(text.size() + 1), count);
        if (ar.WriteBytes(count, 1, 4) != 4)
            return false;
        if constexpr (std::endian::native == std::endian::little) {
            if (!text.empty() && ar.WriteBytes(text.data(), 2, text.size()) != 2 * text.size())
                return false;
        } else {
            for (char16_t unit : text) {
                std::uint8_t bytes[2];
                StoreLittleEndian(static_cast<std::uint16_t>(unit), bytes);
                if (ar.WriteBytes(bytes, 1, 2) != 2)
                    return false;
            }
        }
        const std::uint8_t terminator[2] = {0, 0};
        return ar.WriteBytes(terminator, 1, 2) == 2;
    });
}

bool ReadText(INanoArchive& ar, std::u16string& text, std::size_t maxUnits) {
    std::uint32_t count = 0;
    if (!ReadU32(ar, count))
        return false;
    const std::size_t remaining = ar.ReadWindow() ? ar.ReadWindowSize() : ar.Remaining();
    // Checked before anything is allocated: the units must be there.
    if (count == 0 || count > remaining / 2 || !ReadUnits(ar, count, text, maxUnits)) {
        ar.SetStatus(kNanoFailed);
        ar.MarkFailed();
        return false;
    }
    ar.SetStatus(kNanoOk);
    return true;
}

bool ReadTextInPlace(INanoArchive& ar, char16_t* out, std::size_t room, std::size_t maxUnits,
                     std::size_t& kept) {
    const std::size_t window = ar.ReadWindowSize();
    if (window < 4)
        return false;
    const std::uint8_t* p = ar.ReadWindow();
    const std::uint32_t count = LoadLittleEndian<std::uint32_t>(p);
    // The same refusal as ReadText's, before anything is written.
    if (count == 0 || count > (window - 4) / 2)
        return false;
    const std::size_t length = std::min(FirstZeroUnit(p + 4, count), maxUnits);
    if (length > room)
        return false;
    if (length != 0) {
        std::memcpy(out, p + 4, 2 * length);
        SwapUnitsOnBigEndian(out, length);
    }
    ar.TakeFromWindow(4 + 2 * static_cast<std::size_t>(count));
    ar.SetStatus(kNanoOk);
    kept = length;
    return true;
}

bool ReadCount(INanoArchive& ar, std::uint32_t& count, std::size_t minimumSize) {
    std::uint32_t value = 0;
    if (!ReadU32(ar, value))
        return false;
    if (minimumSize && value > ar.Remaining() / minimumSize) {
        ar.SetStatus(kNanoFailed);
        ar.MarkFailed();
        return false;
    }
    count = value;
    return true;
}

} // namespace nano
