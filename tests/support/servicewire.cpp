#include "support/servicewire.h"

namespace wire {

namespace {

// Reads little-endian values and wide texts, refusing to run past the end.
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool u32(std::uint32_t& v) {
        if (m_size - m_at < 4)
            return false;
        v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(m_data[m_at + i]) << (8 * i);
        m_at += 4;
        return true;
    }
    bool i32(std::int32_t& v) {
        std::uint32_t u = 0;
        if (!u32(u))
            return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool id(std::array<std::uint8_t, 16>& v) {
        if (m_size - m_at < v.size())
            return false;
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = m_data[m_at + i];
        m_at += v.size();
        return true;
    }
    // The count includes the closing 0, which must be there.
    bool text(std::u16string& s) {
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
    bool atEnd() const { return m_at == m_size; }
    std::size_t at() const { return m_at; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

} // namespace

Bytes RequestEnvelope(std::uint32_t moduleId, const Bytes& payload, std::uint32_t header) {
    Writer w;
    w.text(kEnvelopeName).u32(moduleId).u32(header).u32(0).u32(static_cast<std::uint32_t>(payload.size()));
    w.raw(payload);
    return w.bytes();
}

Bytes ListRequest(std::uint32_t kind, std::uint32_t listHandle, std::int32_t position,
                  std::uint32_t processId) {
    Writer payload;
    payload.text(kListRequestName).u32(processId).u32(kind).u32(listHandle).i32(position);
    return RequestEnvelope(0x400c000, payload.bytes());
}

Bytes ActionRequest(std::uint32_t actionCode, const std::array<std::uint8_t, 16>& id,
                    std::uint32_t processId) {
    Writer payload;
    payload.text(kActionRequestName).u32(processId).u32(actionCode).id(id);
    return RequestEnvelope(0x400c000, payload.bytes());
}

Bytes DetectionInfoRequest(const std::vector<std::uint32_t>& ids) {
    Writer payload;
    payload.text(kInfoRequestName).u32(static_cast<std::uint32_t>(ids.size()));
    for (std::uint32_t id : ids)
        payload.u32(id);
    return RequestEnvelope(0x4002000, payload.bytes());
}

Reply ParseReply(const Bytes& bytes) {
    Reply r;
    Cursor in(bytes.data(), bytes.size());
    std::uint32_t result = 0;
    if (!in.text(r.envelopeName) || !in.u32(r.moduleId) || !in.u32(result) || !in.u32(r.headerHigh) ||
        !in.u32(r.payloadLength))
        return r;
    r.result = static_cast<std::int32_t>(result);
    if (bytes.size() - in.at() != r.payloadLength)
        return r;
    if (r.payloadLength > 0) {
        Cursor payload(bytes.data() + in.at(), r.payloadLength);
        if (!payload.text(r.payloadName))
            return r;
        r.body.assign(bytes.begin() + static_cast<std::ptrdiff_t>(in.at() + payload.at()), bytes.end());
    }
    r.ok = true;
    return r;
}

ListPage ParseListPage(const Reply& reply) {
    ListPage page;
    if (!reply.ok || reply.payloadName != kListReplyName)
        return page;
    Cursor in(reply.body.data(), reply.body.size());
    std::uint32_t count = 0;
    if (!in.u32(count))
        return page;
    for (std::uint32_t i = 0; i < count; ++i) {
        Element e;
        std::uint32_t high = 0, low = 0;
        if (!in.u32(e.reservedA) || !in.id(e.id) || !in.u32(e.infoId) || !in.u32(e.detectionId) ||
            !in.u32(high) || !in.u32(low) || !in.u32(e.category) || !in.u32(e.itemType) ||
            !in.u32(e.reservedB) || !in.text(e.location) || !in.text(e.container) || !in.u32(e.flags) ||
            !in.u32(e.reservedC))
            return page;
        e.actionTime = (static_cast<std::uint64_t>(high) << 32) | low;
        page.elements.push_back(std::move(e));
    }
    if (!in.i32(page.nextPosition) || !in.u32(page.listHandle) || !in.atEnd())
        return page;
    page.ok = true;
    return page;
}

std::optional<std::vector<NameResult>> ParseDetectionInfo(const Reply& reply) {
    if (!reply.ok || reply.payloadName != kInfoReplyName)
        return std::nullopt;
    Cursor in(reply.body.data(), reply.body.size());
    std::uint32_t count = 0;
    if (!in.u32(count))
        return std::nullopt;
    std::vector<NameResult> results;
    for (std::uint32_t i = 0; i < count; ++i) {
        NameResult r;
        if (!in.u32(r.id) || !in.u32(r.valueA) || !in.u32(r.valueB) || !in.text(r.name))
            return std::nullopt;
        results.push_back(std::move(r));
    }
    if (!in.atEnd())
        return std::nullopt;
    return results;
}

} // namespace wire
