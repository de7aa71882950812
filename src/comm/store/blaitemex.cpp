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

int CBlaItemEx::IndexOfKey(std::uint32_t key) const {
    std::lock_guard guard(m_lock);
    const auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [key](const auto& e) { return e->key == key; });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

bool CBlaItemEx::IdentifierOfKey(std::uint32_t key, ST_BLELEMENT::Identifier& identifier) const {
    std::lock_guard guard(m_lock);
    for (const auto& entry : m_entries) {
        if (entry->key == key) {
            identifier = entry->element.identifier;
            return true;
        }
    }
    identifier.fill(0);
    return false;
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
    const auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [key](const auto& e) { return e->key == key; });
    if (it == m_entries.end())
        return false;
    m_entries.erase(it);
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
