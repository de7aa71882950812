#include "comm/nano/nanoarchive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

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
}

bool CNanoArchiveStream::BeginWrite() {
    m_store.clear();
    m_cursor = 0;
    ClearFailed();
    return true;
}

bool CNanoArchiveStream::BeginRead() {
    m_cursor = 0;
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
    return size;
}

std::size_t CNanoArchiveStream::ReadBytes(void* data, std::size_t elementSize, std::size_t count) {
    std::size_t size = 0;
    if (!ByteCount(elementSize, count, size) || size > Remaining() || (size && !data)) {
        MarkFailed();
        return 0;
    }
    if (size == 0)
        return 0;
    std::memcpy(data, m_store.data() + m_cursor, size);
    m_cursor += size;
    return size;
}

bool CNanoArchiveStream::ReplaceFrom(INanoArchive& source, std::size_t size) {
    m_cursor = 0;
    if (size > source.Remaining()) {
        m_store.clear();
        return false;
    }
    m_store.resize(size);
    if (size && source.ReadBytes(m_store.data(), 1, size) != size) {
        m_store.clear();
        return false;
    }
    return true;
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

template <class T> T LoadLittleEndian(const std::uint8_t* in) {
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        value = static_cast<T>((value << 8) | in[i]);
    return value;
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

void SwapUnitsOnBigEndian(char16_t* units, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < count; ++i)
            units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
    } else {
        (void)units;
        (void)count;
    }
}

} // namespace

bool WriteU32(INanoArchive& ar, std::uint32_t value) {
    return WriteScalar(ar, value);
}
bool ReadU32(INanoArchive& ar, std::uint32_t& value) {
    return ReadScalar(ar, value);
}
bool WriteU64(INanoArchive& ar, std::uint64_t value) {
    return WriteScalar(ar, value);
}
bool ReadU64(INanoArchive& ar, std::uint64_t& value) {
    return ReadScalar(ar, value);
}

bool ReadI32(INanoArchive& ar, std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!ReadU32(ar, raw))
        return false;
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool WriteRaw(INanoArchive& ar, const void* data, std::size_t size) {
    return Operation(ar, [&] { return size == 0 || ar.WriteBytes(data, 1, size) == size; });
}

bool ReadRaw(INanoArchive& ar, void* data, std::size_t size) {
    return Operation(ar, [&] { return size == 0 || ar.ReadBytes(data, 1, size) == size; });
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
    return Operation(ar, [&] {
        std::uint8_t countBytes[4];
        if (ar.ReadBytes(countBytes, 1, 4) != 4)
            return false;
        const auto count = LoadLittleEndian<std::uint32_t>(countBytes);
        // Checked before anything is allocated: the units must be there.
        if (count == 0 || count > ar.Remaining() / 2)
            return false;
        std::u16string units(count, u'\0');
        if (ar.ReadBytes(units.data(), 2, count) != 2 * static_cast<std::size_t>(count))
            return false;
        SwapUnitsOnBigEndian(units.data(), units.size());
        units.resize(std::min({units.find(u'\0'), units.size(), maxUnits}));
        text = std::move(units);
        return true;
    });
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
