#include "comm/store/blaitemex.h"

#include <algorithm>

void CBlaItemEx::ClearLocked() {
    m_entries.clear();
    m_lastKey = 0;
    ++m_generation;
}

void CBlaItemEx::AppendPage(const std::vector<ST_BLELEMENT>& page) {
    std::lock_guard guard(m_lock);
    if (m_resetPending)
        ClearLocked();
    for (const ST_BLELEMENT& element : page) {
        if (element.flags & blflags::kHidden)
            continue;
        auto entry = std::make_unique<stBlaElements>();
        entry->key = m_lastKey + 1;
        entry->element = element;
        m_entries.push_back(std::move(entry));
        m_lastKey = m_entries.back()->key;
    }
}

std::size_t CBlaItemEx::Count() const {
    std::lock_guard guard(m_lock);
    return m_entries.size();
}

int CBlaItemEx::IndexOfKeyLocked(std::uint32_t key) const {
    // Keys are handed out ascending and removal keeps the order.
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key,
                                     [](const auto& entry, std::uint32_t k) { return entry->key < k; });
    if (it == m_entries.end() || (*it)->key != key)
        return -1;
    return static_cast<int>(it - m_entries.begin());
}

int CBlaItemEx::IndexOfKey(std::uint32_t key) const {
    std::lock_guard guard(m_lock);
    return IndexOfKeyLocked(key);
}

bool CBlaItemEx::IdentifierOfKey(std::uint32_t key, ST_BLELEMENT::Identifier& identifier) const {
    std::lock_guard guard(m_lock);
    const int index = IndexOfKeyLocked(key);
    if (index < 0) {
        identifier.fill(0);
        return false;
    }
    identifier = m_entries[static_cast<std::size_t>(index)]->element.identifier;
    return true;
}

bool CBlaItemEx::RefOfKey(std::uint32_t key, stItemRef& ref) const {
    std::lock_guard guard(m_lock);
    const int index = IndexOfKeyLocked(key);
    if (index < 0)
        return false;
    ref.key = key;
    ref.generation = m_generation;
    ref.identifier = m_entries[static_cast<std::size_t>(index)]->element.identifier;
    return true;
}

int CBlaItemEx::IndexOfRefLocked(const stItemRef& ref) const {
    if (ref.generation == m_generation) {
        const int index = IndexOfKeyLocked(ref.key);
        if (index >= 0 && m_entries[static_cast<std::size_t>(index)]->element.identifier == ref.identifier)
            return index;
    }
    // A newer store: the same item under whatever key it has now. Only replies that crossed a
    // refresh come here.
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&ref](const auto& entry) {
        return entry->element.identifier == ref.identifier;
    });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

int CBlaItemEx::IndexOfRef(const stItemRef& ref) const {
    std::lock_guard guard(m_lock);
    return IndexOfRefLocked(ref);
}

std::uint32_t CBlaItemEx::KeyOfRef(const stItemRef& ref) const {
    std::lock_guard guard(m_lock);
    const int index = IndexOfRefLocked(ref);
    return index < 0 ? 0 : m_entries[static_cast<std::size_t>(index)]->key;
}

bool CBlaItemEx::SetBusyState(const stItemRef& ref, std::int32_t state) {
    std::lock_guard guard(m_lock);
    const int index = IndexOfRefLocked(ref);
    if (index < 0)
        return false;
    m_entries[static_cast<std::size_t>(index)]->busyState = state;
    return true;
}

bool CBlaItemEx::CopyEntry(std::size_t index, stBlaElements& copy) const {
    std::lock_guard guard(m_lock);
    if (index >= m_entries.size())
        return false;
    copy = *m_entries[index];
    return true;
}

const stBlaElements* CBlaItemEx::EntryAt(std::size_t index) const {
    std::lock_guard guard(m_lock);
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

bool CBlaItemEx::BusyStateAt(std::size_t index, std::int32_t& state) const {
    std::lock_guard guard(m_lock);
    if (index >= m_entries.size())
        return false;
    state = m_entries[index]->busyState;
    return true;
}

bool CBlaItemEx::SetBusyStateAt(std::size_t index, std::int32_t state) {
    std::lock_guard guard(m_lock);
    if (index >= m_entries.size())
        return false;
    m_entries[index]->busyState = state;
    return true;
}

bool CBlaItemEx::StartAction(const stItemRef& ref, std::int32_t state) {
    std::lock_guard guard(m_lock);
    const int index = IndexOfRefLocked(ref);
    if (index < 0 || m_entries[static_cast<std::size_t>(index)]->busyState != busy::kIdle)
        return false;
    m_entries[static_cast<std::size_t>(index)]->busyState = state;
    return true;
}

std::shared_ptr<ItemIcon> CBlaItemEx::IconFor(std::size_t index) {
    std::lock_guard guard(m_lock);
    if (index >= m_entries.size())
        return nullptr;
    stBlaElements& entry = *m_entries[index];
    if (!entry.icon && !IsDeletedWithoutFile(entry.element) && m_iconLoader)
        entry.icon = m_iconLoader(entry.element.location.value_or(std::u16string()));
    return entry.icon;
}

bool CBlaItemEx::Remove(std::uint32_t key) {
    std::lock_guard guard(m_lock);
    const int index = IndexOfKeyLocked(key);
    if (index < 0)
        return false;
    m_entries.erase(m_entries.begin() + index);
    return true;
}

void CBlaItemEx::Clear() {
    std::lock_guard guard(m_lock);
    ClearLocked();
}

bool CBlaItemEx::ResetPending() const {
    std::lock_guard guard(m_lock);
    return m_resetPending;
}

void CBlaItemEx::SetResetPending(bool pending) {
    std::lock_guard guard(m_lock);
    m_resetPending = pending;
}

std::uint32_t CBlaItemEx::LastKey() const {
    std::lock_guard guard(m_lock);
    return m_lastKey;
}

std::uint64_t CBlaItemEx::Generation() const {
    std::lock_guard guard(m_lock);
    return m_generation;
}

void CBlaItemEx::SetIconLoader(IconLoader loader) {
    std::lock_guard guard(m_lock);
    m_iconLoader = std::move(loader);
}
