#include "comm/nano/nanomessagebase.h"

#include <limits>

CNanoMessageBase::CNanoMessageBase(std::uint32_t moduleId, std::uint32_t headerWord,
                                   const INanoSerializable* payload)
    : m_moduleId(moduleId), m_headerWord(headerWord) {
    WriteObject(*this, payload);
}

bool CNanoMessageBase::Serialize(INanoArchive& ar) const {
    const std::vector<std::uint8_t>& payload = Bytes();
    if (payload.size() > std::numeric_limits<std::uint32_t>::max()) {
        ar.SetStatus(kNanoFailed);
        ar.MarkFailed();
        return false;
    }
    return nano::WriteU32(ar, m_moduleId) && nano::WriteU64(ar, m_headerWord) &&
           nano::WriteU32(ar, static_cast<std::uint32_t>(payload.size())) &&
           nano::WriteRaw(ar, payload.data(), payload.size());
}

bool CNanoMessageBase::Deserialize(INanoArchive& ar) {
    std::uint32_t length = 0;
    if (!ReadEnvelopeHead(ar, m_moduleId, m_headerWord, length))
        return false;
    // The payload replaces whatever the store held, so a reused envelope carries only what
    // this body brought.
    ar.SetStatus(kNanoFailed);
    if (!ReplaceFrom(ar, length)) {
        ar.MarkFailed();
        return false;
    }
    ar.SetStatus(kNanoOk);
    return true;
}

bool ReadEnvelopeHead(INanoArchive& ar, std::uint32_t& moduleId, std::uint32_t& headerWord,
                      std::uint32_t& payloadLength) {
    std::uint64_t header = 0;
    if (!nano::ReadU32(ar, moduleId) || !nano::ReadU64(ar, header))
        return false;
    headerWord = static_cast<std::uint32_t>(header);
    return nano::ReadCount(ar, payloadLength, 1);
}
