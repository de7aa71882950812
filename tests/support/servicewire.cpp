#include "support/servicewire.h"

namespace wire {

Bytes RequestEnvelope(std::uint32_t moduleId, const Bytes& payload, std::uint32_t header) {
    // A request's header word lies where a reply's result and its zero high half do.
    return Envelope(moduleId, static_cast<std::int32_t>(header), payload);
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
    Reader in(bytes.data(), bytes.size());
    std::uint32_t result = 0;
    if (!in.text(r.envelopeName) || !in.u32(r.moduleId) || !in.u32(result) || !in.u32(r.headerHigh) ||
        !in.u32(r.payloadLength))
        return r;
    r.result = static_cast<std::int32_t>(result);
    if (bytes.size() - in.at() != r.payloadLength)
        return r;
    if (r.payloadLength > 0) {
        Reader payload(bytes.data() + in.at(), r.payloadLength);
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
    Reader in(reply.body.data(), reply.body.size());
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
    Reader in(reply.body.data(), reply.body.size());
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
