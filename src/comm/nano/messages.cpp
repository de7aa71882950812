#include "comm/nano/messages.h"

#include "support/systempath.h"

#include <cstring>
#include <limits>
#include <memory>

namespace {

using namespace nano;

// Smallest sizes on the wire, to refuse counts that the remaining bytes cannot hold.
constexpr std::size_t kListElementHead = 4 + 16 + 4 + 4 + 8 + 4 + 4 + 4;
constexpr std::size_t kListElementMinimum = kListElementHead + kMinTextBytes * 2 + 4 + 4;
constexpr std::size_t kResultMinimum = 4 * 3 + kMinTextBytes;
constexpr std::size_t kIdentifierSize = 4;

bool WriteCount(INanoArchive& ar, std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        ar.SetStatus(kNanoFailed);
        ar.MarkFailed();
        return false;
    }
    return WriteU32(ar, static_cast<std::uint32_t>(count));
}

// Locations travel in their ordinary form; a missing one, or one that has no ordinary form,
// as the empty text.
bool WriteLocation(INanoArchive& ar, const ElementText& location) {
    return WriteText(ar, location ? ExpandSystemPathString(*location) : std::u16string());
}

// A location that cannot be read leaves the element's as it was.
bool ReadLocation(INanoArchive& ar, ElementText& location) {
    std::u16string text;
    if (!ReadText(ar, text, ST_BLELEMENT::kMaxText))
        return false;
    location = text;
    return true;
}

// The texts of a list page, in one block that the page's elements share: room for every
// unit the remaining bytes can hold after the fixed part of count elements, so that one
// allocation takes the whole page.
class PageTexts {
public:
    PageTexts(const INanoArchive& ar, std::uint32_t count) {
        const std::size_t remaining = ar.ReadWindowSize();
        const std::size_t fixed = static_cast<std::size_t>(count) * kListElementMinimum;
        if (remaining > fixed) {
            m_room = (remaining - fixed) / 2;
            m_units = std::make_shared_for_overwrite<char16_t[]>(m_room);
            m_block = m_units;
        }
    }

    // In the block when it comes from the window, as any other location otherwise.
    bool Read(INanoArchive& ar, ElementText& location) {
        std::size_t kept = 0;
        char16_t* at = m_units.get() + m_used;
        if (!ReadTextInPlace(ar, at, m_room - m_used, ST_BLELEMENT::kMaxText, kept))
            return ReadLocation(ar, location);
        location = ElementText(m_block, at, kept);
        m_used += kept;
        return true;
    }

    // A page whose texts filled little of the block (texts cut short by an early 0 unit or at
    // kMaxText, bytes after the page) moves them to a block of their size, so that its elements
    // do not keep the slack alive in the store.
    void Settle(std::vector<ST_BLELEMENT>& elements) {
        if (m_room - m_used <= m_used + kSlackUnits)
            return;
        std::shared_ptr<char16_t[]> units;
        if (m_used != 0) {
            units = std::make_shared_for_overwrite<char16_t[]>(m_used);
            std::memcpy(units.get(), m_units.get(), 2 * m_used);
        }
        const ElementText::Block block = units;
        const auto move = [&](ElementText& text) {
            if (text.UsesBlock(m_block))
                text = ElementText(block, units.get() + ((*text).data() - m_units.get()), (*text).size());
        };
        for (ST_BLELEMENT& e : elements) {
            move(e.location);
            move(e.containerLocation);
        }
        m_units = std::move(units);
        m_block = block;
        m_room = m_used;
    }

private:
    static constexpr std::size_t kSlackUnits = 4096;

    std::shared_ptr<char16_t[]> m_units;
    ElementText::Block m_block;
    std::size_t m_room = 0;
    std::size_t m_used = 0;
};

bool WriteIdentifier(INanoArchive& ar, const ST_BLELEMENT::Identifier& identifier) {
    return WriteRaw(ar, identifier.data(), identifier.size());
}

bool ReadIdentifier(INanoArchive& ar, ST_BLELEMENT::Identifier& identifier) {
    return ReadRaw(ar, identifier.data(), identifier.size());
}

bool WriteListElement(INanoArchive& ar, const ST_BLELEMENT& e) {
    return WriteU32(ar, e.reservedA) && WriteIdentifier(ar, e.identifier) && WriteU32(ar, e.informationId) &&
           WriteU32(ar, e.detectionId) && WriteU32(ar, static_cast<std::uint32_t>(e.actionTime >> 32)) &&
           WriteU32(ar, static_cast<std::uint32_t>(e.actionTime)) && WriteU32(ar, e.category) &&
           WriteU32(ar, e.itemType) && WriteU32(ar, e.reservedB) && WriteLocation(ar, e.location) &&
           WriteLocation(ar, e.containerLocation) && WriteU32(ar, e.flags) && WriteU32(ar, e.reservedC);
}

// The fixed fields ahead of the texts. In one piece when the archive lends them all: the
// same values, one bounds check instead of nine.
bool ReadListElementHead(INanoArchive& ar, ST_BLELEMENT& e) {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    bool read = true;
    if (ar.ReadWindowSize() >= kListElementHead) {
        const std::uint8_t* p = ar.ReadWindow();
        e.reservedA = LoadLittleEndian<std::uint32_t>(p);
        std::memcpy(e.identifier.data(), p + 4, e.identifier.size());
        e.informationId = LoadLittleEndian<std::uint32_t>(p + 20);
        e.detectionId = LoadLittleEndian<std::uint32_t>(p + 24);
        high = LoadLittleEndian<std::uint32_t>(p + 28);
        low = LoadLittleEndian<std::uint32_t>(p + 32);
        e.category = LoadLittleEndian<std::uint32_t>(p + 36);
        e.itemType = LoadLittleEndian<std::uint32_t>(p + 40);
        e.reservedB = LoadLittleEndian<std::uint32_t>(p + 44);
        ar.TakeFromWindow(kListElementHead);
        ar.SetStatus(kNanoOk);
    } else {
        read = ReadU32(ar, e.reservedA) && ReadIdentifier(ar, e.identifier) && ReadU32(ar, e.informationId) &&
               ReadU32(ar, e.detectionId) && ReadU32(ar, high) && ReadU32(ar, low) &&
               ReadU32(ar, e.category) && ReadU32(ar, e.itemType) && ReadU32(ar, e.reservedB);
    }
    e.actionTime = (static_cast<std::uint64_t>(high) << 32) | low;
    return read;
}

bool ReadListElement(INanoArchive& ar, PageTexts& texts, ST_BLELEMENT& e) {
    std::uint32_t notKept = 0;
    return ReadListElementHead(ar, e) && texts.Read(ar, e.location) && texts.Read(ar, e.containerLocation) &&
           ReadU32(ar, e.flags) && ReadU32(ar, notKept);
}

bool WriteActionElement(INanoArchive& ar, const ST_BLELEMENT& e) {
    return WriteU32(ar, e.informationId) && WriteU32(ar, e.detectionId) && WriteU32(ar, e.category) &&
           WriteU32(ar, e.itemType) && WriteU32(ar, e.reservedB) && WriteU32(ar, e.reservedA) &&
           WriteLocation(ar, e.location) && WriteLocation(ar, e.containerLocation) && WriteU32(ar, e.flags) &&
           WriteU32(ar, e.reservedC);
}

bool ReadActionElement(INanoArchive& ar, ST_BLELEMENT& e) {
    return ReadU32(ar, e.informationId) && ReadU32(ar, e.detectionId) && ReadU32(ar, e.category) &&
           ReadU32(ar, e.itemType) && ReadU32(ar, e.reservedB) && ReadU32(ar, e.reservedA) &&
           ReadLocation(ar, e.location) && ReadLocation(ar, e.containerLocation) && ReadU32(ar, e.flags) &&
           ReadU32(ar, e.reservedC);
}

bool CarriesActionElement(std::uint32_t actionCode) {
    return actionCode == 2 || actionCode == 3;
}

} // namespace

bool CMsgModBlaGetList::Serialize(INanoArchive& ar) const {
    return WriteU32(ar, processId) && WriteU32(ar, kind) && WriteU32(ar, listHandle) &&
           WriteI32(ar, position);
}

bool CMsgModBlaGetList::Deserialize(INanoArchive& ar) {
    return ReadU32(ar, processId) && ReadU32(ar, kind) && ReadU32(ar, listHandle) && ReadI32(ar, position);
}

bool CRspModBlaGetList::Serialize(INanoArchive& ar) const {
    if (!WriteCount(ar, elements.size()))
        return false;
    for (const ST_BLELEMENT& e : elements)
        if (!WriteListElement(ar, e))
            return false;
    return WriteI32(ar, nextPosition) && WriteU32(ar, listHandle);
}

bool CRspModBlaGetList::Deserialize(INanoArchive& ar) {
    elements.clear();
    std::uint32_t count = 0;
    if (!ReadCount(ar, count, kListElementMinimum))
        return false;
    elements.reserve(count);
    PageTexts texts(ar, count);
    bool read = true;
    for (std::uint32_t i = 0; read && i < count; ++i) {
        // Read in place; an element that does not come through whole is not kept.
        read = ReadListElement(ar, texts, elements.emplace_back());
        if (!read)
            elements.pop_back();
    }
    read = read && ReadI32(ar, nextPosition) && ReadU32(ar, listHandle);
    texts.Settle(elements);
    return read;
}

bool CMsgModBlaActions::Serialize(INanoArchive& ar) const {
    if (!WriteU32(ar, processId) || !WriteU32(ar, actionCode) || !WriteIdentifier(ar, element.identifier))
        return false;
    return !CarriesActionElement(actionCode) || WriteActionElement(ar, element);
}

bool CMsgModBlaActions::Deserialize(INanoArchive& ar) {
    if (!ReadU32(ar, processId) || !ReadU32(ar, actionCode) || !ReadIdentifier(ar, element.identifier))
        return false;
    return !CarriesActionElement(actionCode) || ReadActionElement(ar, element);
}

bool CMsgModAvIemGetInfo::Serialize(INanoArchive& ar) const {
    if (!WriteCount(ar, identifiers.size()))
        return false;
    for (std::uint32_t id : identifiers)
        if (!WriteU32(ar, id))
            return false;
    return true;
}

bool CMsgModAvIemGetInfo::Deserialize(INanoArchive& ar) {
    identifiers.clear();
    std::uint32_t count = 0;
    if (!ReadCount(ar, count, kIdentifierSize))
        return false;
    identifiers.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t id = 0;
        if (!ReadU32(ar, id))
            return false;
        identifiers.push_back(id);
    }
    return true;
}

bool RspModAvIemGetInfo::Serialize(INanoArchive& ar) const {
    if (!WriteCount(ar, results.size()))
        return false;
    for (const NSIExMAgent::_TSTResult& r : results)
        if (!WriteU32(ar, r.detectionId) || !WriteU32(ar, r.valueA) || !WriteU32(ar, r.valueB) ||
            !WriteText(ar, r.name))
            return false;
    return true;
}

bool RspModAvIemGetInfo::Deserialize(INanoArchive& ar) {
    results.clear();
    std::uint32_t count = 0;
    if (!ReadCount(ar, count, kResultMinimum))
        return false;
    results.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        NSIExMAgent::_TSTResult r;
        if (!ReadU32(ar, r.detectionId) || !ReadU32(ar, r.valueA) || !ReadU32(ar, r.valueB) ||
            !ReadText(ar, r.name))
            return false;
        results.push_back(std::move(r));
    }
    return true;
}
