#pragma once

#include "comm/store/blelement.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The picture of an entry. What it holds is the windows' business; the store only keeps it.
struct ItemIcon {
    virtual ~ItemIcon() = default;
};

// Busy states of an entry, written by the windows while an action on it runs.
namespace busy {
inline constexpr std::int32_t kIdle = 0;
inline constexpr std::int32_t kRemovingOrUndoing = 1; // a removal, or an undo from the history
inline constexpr std::int32_t kUnblocking = 2;        // an unblock from the suspects window
inline constexpr std::int32_t kRedoing = 3;
} // namespace busy

// One entry of the store.
struct stBlaElements {
    std::int32_t busyState = busy::kIdle;
    std::uint32_t key = 0; // sequence number from 1: the name of the item in every message
    ST_BLELEMENT element;
    std::shared_ptr<ItemIcon> icon; // made on first demand; a copy shares it
};

// Names one item as the user saw it. Keys restart with every fetch, so a key alone may name
// another item once the store was emptied; the generation tells, and the identifier finds the
// same item again in a newer store.
struct stItemRef {
    std::uint32_t key = 0;
    std::uint64_t generation = 0;
    ST_BLELEMENT::Identifier identifier{};
};

// The blocked items received so far, in the order received; an entry's position is its
// index. Every operation takes the store lock for its whole run. Entries are held by pointer,
// so an entry returned by EntryAt stays at its address until it is removed or the store is
// cleared, which only the user-interface thread does.
class CBlaItemEx final {
public:
    using IconLoader = std::function<std::shared_ptr<ItemIcon>(const std::u16string& location)>;

    CBlaItemEx() = default;
    CBlaItemEx(const CBlaItemEx&) = delete;
    CBlaItemEx& operator=(const CBlaItemEx&) = delete;

    // Empties the store first when a reset is pending (the flag itself is cleared by the list
    // paging); hidden elements are skipped, the others get the next keys.
    void AppendPage(const std::vector<ST_BLELEMENT>& page);
    std::size_t Count() const;
    // -1 when no entry has that key. Keys ascend in store order, so this is a binary search.
    int IndexOfKey(std::uint32_t key) const;
    // The reference of the entry with that key in the store as it is now; false when none.
    bool RefOfKey(std::uint32_t key, stItemRef& ref) const;
    // The index of the item a reference names: its own entry while the store is of the same
    // generation, otherwise the entry with the same identifier; -1 when the item is not here.
    int IndexOfRef(const stItemRef& ref) const;
    // The entry's key now, or 0 when the item is not here.
    std::uint32_t KeyOfRef(const stItemRef& ref) const;
    bool SetBusyState(const stItemRef& ref, std::int32_t state);
    // Marks the item busy with state when it is idle, in one hold of the lock: false when the
    // item is gone or another action on it runs.
    bool StartAction(const stItemRef& ref, std::int32_t state);
    // All zero, and false, when no entry has that key.
    bool IdentifierOfKey(std::uint32_t key, ST_BLELEMENT::Identifier& identifier) const;
    // Busy state, key, an element copy and the icon shared; false when out of range.
    bool CopyEntry(std::size_t index, stBlaElements& copy) const;
    // The entry itself, for reading on the user-interface thread; null when out of range.
    const stBlaElements* EntryAt(std::size_t index) const;
    bool BusyStateAt(std::size_t index, std::int32_t& state) const;
    bool SetBusyStateAt(std::size_t index, std::int32_t state);
    // The entry's icon, loaded from its location on first demand and kept; never loaded for
    // a deleted element of a category without file. The loader runs under the store lock and
    // must not call back into the store.
    std::shared_ptr<ItemIcon> IconFor(std::size_t index);
    // Removes the entry with that key; later entries move down one index. Last key stays.
    bool Remove(std::uint32_t key);
    // Destroys every entry and restarts keys.
    void Clear();

    bool ResetPending() const;
    void SetResetPending(bool pending);
    // Key of the latest entry added; 0 after Clear.
    std::uint32_t LastKey() const;
    // Changes every time the store is emptied, so that a holder of entry pointers can tell
    // that they all went away at once.
    std::uint64_t Generation() const;
    void SetIconLoader(IconLoader loader);

private:
    void ClearLocked();
    int IndexOfKeyLocked(std::uint32_t key) const;
    int IndexOfRefLocked(const stItemRef& ref) const;

    mutable std::mutex m_lock;
    std::vector<std::unique_ptr<stBlaElements>> m_entries;
    std::uint32_t m_lastKey = 0;
    std::uint64_t m_generation = 0;
    bool m_resetPending = true;
    IconLoader m_iconLoader;
};
