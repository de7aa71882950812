#pragma once

#include "comm/store/elementtext.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

// One element as the service reports it: something the protection blocked, neutralised or
// deleted, and the action taken on it.
struct ST_BLELEMENT {
    using Identifier = std::array<std::uint8_t, 16>;
    // Longest text an element keeps; a copy cuts longer ones.
    static constexpr std::size_t kMaxText = 32767;

    Identifier identifier{};         // the only field sent back in item actions
    ElementText location;            // path of the file or program
    std::uint64_t actionTime = 0;    // file time, 100 ns since 1601-01-01 UTC
    std::uint32_t category = 0;      // 20 and 100 are told apart; bits 0x64 tested
    std::uint32_t itemType = 0;      // 201, 202, 203 or another code
    std::uint32_t reservedA = 0;     // carried, never read
    std::uint32_t informationId = 0; // put into the malware information link
    std::uint32_t detectionId = 0;   // key of the detection name cache
    std::uint32_t reservedB = 0;     // carried, never read
    ElementText containerLocation;   // the file that holds the element, if any
    std::uint32_t flags = 0;         // see blflags
    std::uint32_t reservedC = 0;     // not read

    ST_BLELEMENT() = default;
    // A copy keeps each text cut to kMaxText (sharing the units); a missing text stays missing.
    ST_BLELEMENT(const ST_BLELEMENT& other) { *this = other; }
    ST_BLELEMENT(ST_BLELEMENT&& other) noexcept { *this = std::move(other); }
    ST_BLELEMENT& operator=(const ST_BLELEMENT& other) {
        if (this != &other) {
            CopyValues(other);
            location = other.location;
            containerLocation = other.containerLocation;
            location.CutTo(kMaxText);
            containerLocation.CutTo(kMaxText);
        }
        return *this;
    }
    ST_BLELEMENT& operator=(ST_BLELEMENT&& other) noexcept {
        if (this != &other) {
            CopyValues(other);
            location = std::move(other.location);
            containerLocation = std::move(other.containerLocation);
            location.CutTo(kMaxText);
            containerLocation.CutTo(kMaxText);
        }
        return *this;
    }
    ~ST_BLELEMENT() = default;

    bool operator==(const ST_BLELEMENT&) const = default;

private:
    void CopyValues(const ST_BLELEMENT& other) {
        identifier = other.identifier;
        actionTime = other.actionTime;
        category = other.category;
        itemType = other.itemType;
        reservedA = other.reservedA;
        informationId = other.informationId;
        detectionId = other.detectionId;
        reservedB = other.reservedB;
        flags = other.flags;
        reservedC = other.reservedC;
    }
};

namespace blflags {
inline constexpr std::uint32_t kUndone = 0x80;  // the action has been undone
inline constexpr std::uint32_t kDeleted = 0x04; // deleted rather than neutralised
inline constexpr std::uint32_t kHidden = 0x400; // never stored
} // namespace blflags

// Category bits whose deleted elements have no file left to take a picture from.
inline constexpr std::uint32_t kCategoryBitsWithoutFile = 0x64;

inline bool IsDeletedWithoutFile(const ST_BLELEMENT& e) {
    return (e.flags & blflags::kDeleted) && (e.category & kCategoryBitsWithoutFile);
}

// Whether the suspects window shows the element: never an undone action, and a deleted one
// only when its category keeps a file to take back.
inline bool IsShownInSuspects(const ST_BLELEMENT& e) {
    if (e.flags & blflags::kUndone)
        return false;
    if ((e.category & 0xFF & kCategoryBitsWithoutFile) == 0)
        return true;
    return (e.flags & blflags::kDeleted) == 0;
}
