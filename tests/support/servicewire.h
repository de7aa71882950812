#pragma once

// The service's side of the protocol written and read by hand: requests as the module sends
// them, and replies taken apart field by field, to test a service without its own codec.
#include "support/wirebytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wire {

inline const std::u16string kListRequestName = u"class CMsgModBlaGetList *";
inline const std::u16string kActionRequestName = u"class CMsgModBlaActions *";
inline const std::u16string kInfoRequestName = u"class CMsgModAvIemGetInfo *";
inline const std::u16string kListReplyName = u"class CRspModBlaGetList *";
inline const std::u16string kInfoReplyName = u"class RspModAvIemGetInfo *";

// Envelope class name, module, header word as 64 bits, L, then the payload bytes.
Bytes RequestEnvelope(std::uint32_t moduleId, const Bytes& payload, std::uint32_t header = 1000);
Bytes ListRequest(std::uint32_t kind, std::uint32_t listHandle, std::int32_t position,
                  std::uint32_t processId = 0x1234);
Bytes ActionRequest(std::uint32_t actionCode, const std::array<std::uint8_t, 16>& id,
                    std::uint32_t processId = 0x1234);
Bytes DetectionInfoRequest(const std::vector<std::uint32_t>& ids);

// A reply envelope taken apart.
struct Reply {
    bool ok = false; // the envelope read whole, with nothing left over
    std::u16string envelopeName;
    std::uint32_t moduleId = 0;
    std::int32_t result = 0;      // low half of the header word
    std::uint32_t headerHigh = 0; // high half, always 0
    std::uint32_t payloadLength = 0;
    std::u16string payloadName; // empty when L = 0
    Bytes body;                 // the payload after its class name
};
Reply ParseReply(const Bytes& bytes);

struct ListPage {
    bool ok = false; // a list reply whose body was read to its last byte
    std::vector<Element> elements;
    std::int32_t nextPosition = 0;
    std::uint32_t listHandle = 0;
};
ListPage ParseListPage(const Reply& reply);

struct NameResult {
    std::uint32_t id = 0;
    std::uint32_t valueA = 0;
    std::uint32_t valueB = 0;
    std::u16string name;
    bool operator==(const NameResult&) const = default;
};
// Nothing unless a detection information reply whose body was read to its last byte.
std::optional<std::vector<NameResult>> ParseDetectionInfo(const Reply& reply);

} // namespace wire
