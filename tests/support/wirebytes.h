#pragma once

// Bytes of the service protocol written by hand, field by field, so that tests compare the
// module's encoding and decoding against an independent reading of the format.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wire {

using Bytes = std::vector<std::uint8_t>;

class Writer {
public:
    Writer& u8(std::uint8_t v);
    Writer& u32(std::uint32_t v);
    Writer& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Writer& u64(std::uint64_t v);
    Writer& text(const std::u16string& s); // count = units + 1, units, 0
    Writer& raw(const Bytes& b);
    Writer& id(const std::array<std::uint8_t, 16>& id);
    const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// Reads little-endian values and wide texts, refusing to run past the end.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool u32(std::uint32_t& v);
    bool i32(std::int32_t& v);
    bool u64(std::uint64_t& v); // low half first
    bool id(std::array<std::uint8_t, 16>& v);
    bool text(std::u16string& s); // the count includes the closing 0, which must be there
    bool atEnd() const { return m_at == m_size; }
    std::size_t at() const { return m_at; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// One element as it travels in a list page reply.
struct Element {
    std::uint32_t reservedA = 0;
    std::array<std::uint8_t, 16> id{};
    std::uint32_t infoId = 0;
    std::uint32_t detectionId = 0;
    std::uint64_t actionTime = 0;
    std::uint32_t category = 0;
    std::uint32_t itemType = 0;
    std::uint32_t reservedB = 0;
    std::u16string location;
    std::u16string container;
    std::uint32_t flags = 0;
    std::uint32_t reservedC = 0;
};

std::array<std::uint8_t, 16> IdOf(std::uint8_t seed);

inline const std::u16string kEnvelopeName = u"class CNanoMessageBase *";

// A reply envelope around payload bytes (payload = class name text + body), or none. Requests
// share it, their header word standing as the result.
Bytes Envelope(std::uint32_t moduleId, std::int32_t result, const Bytes& payload);
Bytes ListPayload(const std::vector<Element>& elements, std::int32_t nextPosition, std::uint32_t listHandle);
Bytes ListReply(std::int32_t result, std::uint32_t listHandle, const std::vector<Element>& elements,
                std::int32_t nextPosition);
Bytes StatusReply(std::int32_t result); // an envelope with no payload
Bytes DetectionInfoReply(std::int32_t result,
                         const std::vector<std::pair<std::uint32_t, std::u16string>>& names);

// A request taken apart by hand.
struct Request {
    bool ok = false;
    std::u16string envelopeName;
    std::uint32_t moduleId = 0;
    std::uint64_t header = 0;
    std::uint32_t payloadLength = 0;
    std::u16string payloadName;
    Bytes body;                                     // the payload after its class name
    std::uint32_t BodyU32(std::size_t index) const; // the index-th 32-bit value of the body
    std::int32_t BodyI32(std::size_t index) const { return static_cast<std::int32_t>(BodyU32(index)); }
};
Request ParseRequest(const std::uint8_t* data, std::size_t size);

} // namespace wire
