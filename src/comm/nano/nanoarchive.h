#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class CNanoFactory;

// Status word values: every encoding or decoding operation starts at kNanoFailed and ends at
// kNanoOk only when every byte it needed went through.
inline constexpr std::uint32_t kNanoFailed = 0x80000000u;
inline constexpr std::uint32_t kNanoOk = 0;

// A byte store with a cursor. Besides the status word, which tells the outcome of the last
// operation only, the archive keeps a sticky failed flag: set by any read or write that could
// not move all its bytes, cleared only by BeginWrite and BeginRead. A decoder reads that flag
// to know whether a whole object came through.
class INanoArchive {
public:
    virtual ~INanoArchive() = default;

    // Empties the store and opens it for writing.
    virtual bool BeginWrite() = 0;
    // Opens the store for reading from its first byte.
    virtual bool BeginRead() = 0;
    virtual void EndAccess() = 0;
    // Appends elementSize * count bytes; returns that byte count, 0 when the store cannot take them.
    virtual std::size_t WriteBytes(const void* data, std::size_t elementSize, std::size_t count) = 0;
    // Takes elementSize * count bytes; returns that byte count, 0 when fewer remain (nothing is taken).
    virtual std::size_t ReadBytes(void* data, std::size_t elementSize, std::size_t count) = 0;
    // Bytes left between the cursor and the end of the store.
    virtual std::size_t Remaining() const = 0;

    std::uint32_t Status() const { return m_status; }
    void SetStatus(std::uint32_t status) { m_status = status; }

    bool Failed() const { return m_failed; }
    void MarkFailed() { m_failed = true; }

    // The factory that ReadNewObject uses; null until set or until the default one is taken.
    CNanoFactory* Factory() const { return m_factory; }
    void SetFactory(CNanoFactory* factory) { m_factory = factory; }

    // Bytes the archive lends for reading in place, so that the value readers need no call
    // through the interface per value. An archive that lends any lends every remaining byte,
    // from the cursor to the end of its store; null when it lends none, and the readers then
    // go through ReadBytes.
    const std::uint8_t* ReadWindow() const { return m_windowBegin; }
    std::size_t ReadWindowSize() const { return static_cast<std::size_t>(m_windowEnd - m_windowBegin); }
    // Moves the cursor over size bytes of the window; size is at most ReadWindowSize().
    void TakeFromWindow(std::size_t size) { m_windowBegin += size; }

protected:
    void ClearFailed() { m_failed = false; }
    // ReadBytes for an archive that lends all its remaining bytes: all of them or nothing.
    std::size_t ReadFromWindowWhole(void* data, std::size_t elementSize, std::size_t count);
    // [begin, end) becomes the window; both null to lend nothing.
    void LendWindow(const std::uint8_t* begin, const std::uint8_t* end) {
        m_windowBegin = begin;
        m_windowEnd = end;
    }

private:
    std::uint32_t m_status = kNanoOk;
    bool m_failed = false;
    CNanoFactory* m_factory = nullptr;
    const std::uint8_t* m_windowBegin = nullptr;
    const std::uint8_t* m_windowEnd = nullptr;
};

// An archive whose store is an in-memory byte stream.
class CNanoArchiveStream : public INanoArchive {
public:
    CNanoArchiveStream() = default;
    // Over a given byte block: a copy of its content becomes the store.
    CNanoArchiveStream(const std::uint8_t* data, std::size_t size);
    // A copy has its own store, and its cursor at the same place in it.
    CNanoArchiveStream(const CNanoArchiveStream& other);
    CNanoArchiveStream& operator=(const CNanoArchiveStream& other);
    ~CNanoArchiveStream() override = default;

    bool BeginWrite() override;
    bool BeginRead() override;
    void EndAccess() override {}
    std::size_t WriteBytes(const void* data, std::size_t elementSize, std::size_t count) override;
    std::size_t ReadBytes(void* data, std::size_t elementSize, std::size_t count) override;
    std::size_t Remaining() const override { return ReadWindowSize(); }

    const std::vector<std::uint8_t>& Bytes() const { return m_store; }

protected:
    // Replaces the store with size bytes taken from source at its cursor; false (and an empty
    // store) when source has fewer.
    bool ReplaceFrom(INanoArchive& source, std::size_t size);

private:
    // The cursor is the start of the window, which always runs to the end of the store.
    std::size_t Cursor() const { return m_store.empty() ? 0 : ReadWindow() - m_store.data(); }
    void PlaceCursor(std::size_t cursor);

    std::vector<std::uint8_t> m_store;
};

// An archive that reads a byte block in place, without copying it: the block must outlive
// the archive. Nothing can be written to it.
class CNanoArchiveView final : public INanoArchive {
public:
    CNanoArchiveView(const std::uint8_t* data, std::size_t size);

    bool BeginWrite() override;
    bool BeginRead() override;
    void EndAccess() override {}
    // Always 0: the block is not the archive's to change.
    std::size_t WriteBytes(const void* data, std::size_t elementSize, std::size_t count) override;
    std::size_t ReadBytes(void* data, std::size_t elementSize, std::size_t count) override;
    std::size_t Remaining() const override { return ReadWindowSize(); }

private:
    const std::uint8_t* m_begin;
    const std::uint8_t* m_end;
};

// Value encodings: little-endian, no alignment, no separators. Each call is one operation of
// the status word and marks the archive failed when it does not complete.
namespace nano {

// Smallest wide text on the wire: its count and the terminating 0 unit.
inline constexpr std::size_t kMinTextBytes = 4 + 2;

template <class T> T LoadLittleEndian(const std::uint8_t* in) {
    if constexpr (std::endian::native == std::endian::little) {
        T value;
        std::memcpy(&value, in, sizeof(T));
        return value;
    } else {
        T value = 0;
        for (std::size_t i = sizeof(T); i-- > 0;)
            value = static_cast<T>((value << 8) | in[i]);
        return value;
    }
}

// The readers below take their bytes from the archive's window when it holds them all, and
// otherwise go through ReadBytes, which also fails a read past the end.
namespace detail {
bool ReadU32Through(INanoArchive& ar, std::uint32_t& value);
bool ReadU64Through(INanoArchive& ar, std::uint64_t& value);
bool ReadRawThrough(INanoArchive& ar, void* data, std::size_t size);

template <class T> bool ReadFromWindow(INanoArchive& ar, T& value) {
    if (ar.ReadWindowSize() < sizeof(T))
        return false;
    value = LoadLittleEndian<T>(ar.ReadWindow());
    ar.TakeFromWindow(sizeof(T));
    ar.SetStatus(kNanoOk);
    return true;
}
} // namespace detail

bool WriteU32(INanoArchive& ar, std::uint32_t value);
inline bool ReadU32(INanoArchive& ar, std::uint32_t& value) {
    return detail::ReadFromWindow(ar, value) || detail::ReadU32Through(ar, value);
}
inline bool WriteI32(INanoArchive& ar, std::int32_t value) {
    return WriteU32(ar, static_cast<std::uint32_t>(value));
}
inline bool ReadI32(INanoArchive& ar, std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!ReadU32(ar, raw))
        return false;
    value = static_cast<std::int32_t>(raw);
    return true;
}
bool WriteU64(INanoArchive& ar, std::uint64_t value);
inline bool ReadU64(INanoArchive& ar, std::uint64_t& value) {
    return detail::ReadFromWindow(ar, value) || detail::ReadU64Through(ar, value);
}
// A byte block of known length, as it is.
bool WriteRaw(INanoArchive& ar, const void* data, std::size_t size);
inline bool ReadRaw(INanoArchive& ar, void* data, std::size_t size) {
    if (size != 0 && data && ar.ReadWindowSize() >= size) {
        std::memcpy(data, ar.ReadWindow(), size);
        ar.TakeFromWindow(size);
        ar.SetStatus(kNanoOk);
        return true;
    }
    return detail::ReadRawThrough(ar, data, size);
}

// Wide text: a count N of UTF-16 units plus one, then the N units, the last one 0.
bool WriteText(INanoArchive& ar, std::u16string_view text);
// Takes the text up to its first 0 unit, cut to maxUnits. A count of 0, or one larger than
// the remaining bytes can hold, fails at once and leaves text as it was.
bool ReadText(INanoArchive& ar, std::u16string& text, std::size_t maxUnits = std::u16string::npos);
// ReadText into storage of the caller's, for a text the window holds whole: the units kept
// (before the first 0 unit, cut to maxUnits) go to out, which has room for room units, and
// their number to kept. Takes nothing and returns false for any other text (not in the window,
// a bad count, more to keep than room): ReadText then reads it, or fails on it, as always.
bool ReadTextInPlace(INanoArchive& ar, char16_t* out, std::size_t room, std::size_t maxUnits,
                     std::size_t& kept);

// A count of elements that take at least minimumSize bytes each. A count the remaining bytes
// cannot hold fails at once, so that a caller never reserves or loops for it.
bool ReadCount(INanoArchive& ar, std::uint32_t& count, std::size_t minimumSize);

} // namespace nano
