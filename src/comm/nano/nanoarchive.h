#pragma once

#include <cstddef>
#include <cstdint>
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

protected:
    void ClearFailed() { m_failed = false; }

private:
    std::uint32_t m_status = kNanoOk;
    bool m_failed = false;
    CNanoFactory* m_factory = nullptr;
};

// An archive whose store is an in-memory byte stream.
class CNanoArchiveStream : public INanoArchive {
public:
    CNanoArchiveStream() = default;
    // Over a given byte block: a copy of its content becomes the store.
    CNanoArchiveStream(const std::uint8_t* data, std::size_t size);

    bool BeginWrite() override;
    bool BeginRead() override;
    void EndAccess() override {}
    std::size_t WriteBytes(const void* data, std::size_t elementSize, std::size_t count) override;
    std::size_t ReadBytes(void* data, std::size_t elementSize, std::size_t count) override;
    std::size_t Remaining() const override { return m_store.size() - m_cursor; }

    const std::vector<std::uint8_t>& Bytes() const { return m_store; }

protected:
    // Replaces the store with size bytes taken from source at its cursor; false (and an empty
    // store) when source has fewer.
    bool ReplaceFrom(INanoArchive& source, std::size_t size);

private:
    std::vector<std::uint8_t> m_store;
    std::size_t m_cursor = 0;
};

// Value encodings: little-endian, no alignment, no separators. Each call is one operation of
// the status word and marks the archive failed when it does not complete.
namespace nano {

// Smallest wide text on the wire: its count and the terminating 0 unit.
inline constexpr std::size_t kMinTextBytes = 4 + 2;

bool WriteU32(INanoArchive& ar, std::uint32_t value);
bool ReadU32(INanoArchive& ar, std::uint32_t& value);
inline bool WriteI32(INanoArchive& ar, std::int32_t value) {
    return WriteU32(ar, static_cast<std::uint32_t>(value));
}
bool ReadI32(INanoArchive& ar, std::int32_t& value);
bool WriteU64(INanoArchive& ar, std::uint64_t value);
bool ReadU64(INanoArchive& ar, std::uint64_t& value);
// A byte block of known length, as it is.
bool WriteRaw(INanoArchive& ar, const void* data, std::size_t size);
bool ReadRaw(INanoArchive& ar, void* data, std::size_t size);

// Wide text: a count N of UTF-16 units plus one, then the N units, the last one 0.
bool WriteText(INanoArchive& ar, std::u16string_view text);
// Takes the text up to its first 0 unit, cut to maxUnits. A count of 0, or one larger than
// the remaining bytes can hold, fails at once and leaves text as it was.
bool ReadText(INanoArchive& ar, std::u16string& text, std::size_t maxUnits = std::u16string::npos);

// A count of elements that take at least minimumSize bytes each. A count the remaining bytes
// cannot hold fails at once, so that a caller never reserves or loops for it.
bool ReadCount(INanoArchive& ar, std::uint32_t& count, std::size_t minimumSize);

} // namespace nano
