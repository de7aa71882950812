#pragma once

#include "comm/nano/nanoserializable.h"
#include "comm/store/blelement.h"

#include <cstdint>
#include <string>
#include <vector>

// Targets, header word and action codes of the protocol.
inline constexpr std::uint32_t kListModule = 0x400c000;          // list and item action requests
inline constexpr std::uint32_t kDetectionInfoModule = 0x4002000; // detection information requests
inline constexpr std::uint32_t kRequestHeader = 1000;            // header word of every request
inline constexpr std::uint32_t kActionRemove = 4;
inline constexpr std::uint32_t kActionUnblock = 6;
inline constexpr std::uint32_t kActionRemoveAll = 7;
inline constexpr std::uint32_t kActionReblock = 8;

// Kinds of list the service enumerates: each a bit set of what it holds, so that the kinds
// asked for so far can be told from their union.
namespace listkind {
inline constexpr std::int32_t kAll = 0;     // every entry
inline constexpr std::int32_t kUndone = 5;  // actions undone
inline constexpr std::int32_t kBlocked = 6; // what the suspects window shows
inline constexpr std::int32_t kDeleted = 8; // deleted files
inline constexpr std::int32_t kNone = 4;    // nothing asked yet
} // namespace listkind

// Asks for a page of the list of blocked elements; position -1 ends the enumeration.
class CMsgModBlaGetList final : public INanoSerializable {
public:
    std::uint32_t processId = 0; // the asking process
    std::uint32_t kind = 0;
    std::uint32_t listHandle = 0;
    std::int32_t position = 0;

    std::u16string GetClassName() const override { return NanoClassName(u"CMsgModBlaGetList *"); }
    bool Serialize(INanoArchive& ar) const override;
    bool Deserialize(INanoArchive& ar) override;
};

// A page of the list: its elements, where the next page starts (-1: no more) and the handle.
class CRspModBlaGetList final : public INanoSerializable {
public:
    std::uint32_t listHandle = 0;
    std::vector<ST_BLELEMENT> elements;
    std::int32_t nextPosition = -1;

    std::u16string GetClassName() const override { return NanoClassName(u"CRspModBlaGetList *"); }
    // Locations are written in their ordinary form (see ExpandSystemPath).
    bool Serialize(INanoArchive& ar) const override;
    // Texts of the elements are cut to ST_BLELEMENT::kMaxText units; reserved C is read and
    // not kept.
    bool Deserialize(INanoArchive& ar) override;
};

// An action on one element. Only the identifier travels, and the rest of the element only
// for action codes 2 and 3.
class CMsgModBlaActions final : public INanoSerializable {
public:
    std::uint32_t actionCode = 0;
    ST_BLELEMENT element;
    std::uint32_t processId = 0;

    std::u16string GetClassName() const override { return NanoClassName(u"CMsgModBlaActions *"); }
    bool Serialize(INanoArchive& ar) const override;
    bool Deserialize(INanoArchive& ar) override;
};

// Asks for the names of these detections.
class CMsgModAvIemGetInfo final : public INanoSerializable {
public:
    std::vector<std::uint32_t> identifiers;

    std::u16string GetClassName() const override { return NanoClassName(u"CMsgModAvIemGetInfo *"); }
    bool Serialize(INanoArchive& ar) const override;
    bool Deserialize(INanoArchive& ar) override;
};

namespace NSIExMAgent {
struct _TSTResult {
    std::uint32_t detectionId = 0;
    std::uint32_t valueA = 0; // not read by the module
    std::uint32_t valueB = 0; // not read by the module
    std::u16string name;

    bool operator==(const _TSTResult&) const = default;
};
} // namespace NSIExMAgent

// The names of the detections asked for, one result per detection the service knows.
class RspModAvIemGetInfo final : public INanoSerializable {
public:
    std::vector<NSIExMAgent::_TSTResult> results;

    std::u16string GetClassName() const override { return NanoClassName(u"RspModAvIemGetInfo *"); }
    bool Serialize(INanoArchive& ar) const override;
    bool Deserialize(INanoArchive& ar) override;
};
