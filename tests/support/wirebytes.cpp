#include "support/wirebytes.h"

namespace wire {

Writer& Writer::u8(std::uint8_t v) {
    m_bytes.push_back(v);
    return *this;
}

Writer& Writer::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

Writer& Writer::u64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

Writer& Writer::text(const std::u16string& s) {
    u32(static_cast<std::uint32_t>(s.size() + 1));
    for (char16_t c : s) {
        m_bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        m_bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    m_bytes.push_back(0);
    m_bytes.push_back(0);
    return *this;
}

Writer& Writer::raw(const Bytes& b) {
    m_bytes.insert(m_bytes.end(), b.begin(), b.end());
    return *this;
}

Writer& Writer::id(const std::array<std::uint8_t, 16>& id) {
    m_bytes.insert(m_bytes.end(), id.begin(), id.end());
    return *this;
}

bool Reader::u32(std::uint32_t& v) {
    if (m_size - m_at < 4)
        return false;
    v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(m_data[m_at + i]) << (8 * i);
    m_at += 4;
    return true;
}

bool Reader::i32(std::int32_t& v) {
    std::uint32_t u = 0;
    if (!u32(u))
        return false;
    v = static_cast<std::int32_t>(u);
    return true;
}

bool Reader::u64(std::uint64_t& v) {
    std::uint32_t lo = 0, hi = 0;
    if (!u32(lo) || !u32(hi))
        return false;
    v = (static_cast<std::uint64_t>(hi) << 32) | lo;
    return true;
}

bool Reader::id(std::array<std::uint8_t, 16>& v) {
    if (m_size - m_at < v.size())
        return false;
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = m_data[m_at + i];
    m_at += v.size();
    return true;
}

bool Reader::text(std::u16string& s) {
    std::uint32_t n = 0;
    if (!u32(n) || n == 0 || (m_size - m_at) / 2 < n)
        return false;
    s.clear();
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto c = static_cast<char16_t>(m_data[m_at] | (m_data[m_at + 1] << 8));
        m_at += 2;
        if (i + 1 < n)
            s.push_back(c);
        else if (c != 0)
            return false;
    }
    return true;
}

std::array<std::uint8_t, 16> IdOf(std::uint8_t seed) {
    std::array<std::uint8_t, 16> id{};
    for (std::size_t i = 0; i < id.size(); ++i)
        id[i] = static_cast<std::uint8_t>(seed + i * 3);
    return id;
}

Bytes Envelope(std::uint32_t moduleId, std::int32_t result, const Bytes& payload) {
    Writer w;
    w.text(kEnvelopeName).u32(moduleId).u32(static_cast<std::uint32_t>(result)).u32(0);
    w.u32(static_cast<std::uint32_t>(payload.size())).raw(payload);
    return w.bytes();
}

Bytes ListPayload(const std::vector<Element>& elements, std::int32_t nextPosition, std::uint32_t listHandle) {
    Writer w;
    w.text(u"class CRspModBlaGetList *").u32(static_cast<std::uint32_t>(elements.size()));
    for (const Element& e : elements) {
        w.u32(e.reservedA).id(e.id).u32(e.infoId).u32(e.detectionId);
        w.u32(static_cast<std::uint32_t>(e.actionTime >> 32)).u32(static_cast<std::uint32_t>(e.actionTime));
        w.u32(e.category).u32(e.itemType).u32(e.reservedB).text(e.location).text(e.container);
        w.u32(e.flags).u32(e.reservedC);
    }
    w.i32(nextPosition).u32(listHandle);
    return w.bytes();
}

Bytes ListReply(std::int32_t result, std::uint32_t listHandle, const std::vector<Element>& elements,
                std::int32_t nextPosition) {
    return Envelope(0x400c000, result, ListPayload(elements, nextPosition, listHandle));
}

Bytes StatusReply(std::int32_t result) {
    return Envelope(0x400c000, result, {});
}

Bytes DetectionInfoReply(std::int32_t result,
                         const std::vector<std::pair<std::uint32_t, std::u16string>>& names) {
    Writer w;
    w.text(u"class RspModAvIemGetInfo *").u32(static_cast<std::uint32_t>(names.size()));
    for (const auto& [id, name] : names)
        w.u32(id).u32(0).u32(0).text(name);
    return Envelope(0x4002000, result, w.bytes());
}

Request ParseRequest(const std::uint8_t* data, std::size_t size) {
    Request r;
    Reader in(data, size);
    if (!in.text(r.envelopeName) || !in.u32(r.moduleId) || !in.u64(r.header) || !in.u32(r.payloadLength))
        return r;
    if (size - in.at() != r.payloadLength)
        return r;
    const std::uint8_t* payload = data + in.at();
    Reader body(payload, r.payloadLength);
    if (!body.text(r.payloadName))
        return r;
    r.body.assign(payload + body.at(), payload + r.payloadLength);
    r.ok = true;
    return r;
}

std::uint32_t Request::BodyU32(std::size_t index) const {
    std::uint32_t v = 0;
    if (body.size() < (index + 1) * 4)
        return 0;
    Reader in(body.data() + index * 4, 4);
    in.u32(v);
    return v;
}

} // namespace wire
