#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A text of an element: missing, or UTF-16 units that never change once made. Copies share
// the units instead of copying them, so that the elements of a list page, and every copy the
// item store keeps of them, hold the page's texts in one block between them. It reads like an
// optional wide string; the units are seen through a view.
class ElementText {
public:
    // A block of units that a decoder fills once and then shares between texts.
    using Block = std::shared_ptr<const char16_t[]>;

    ElementText() = default; // missing
    ElementText(std::nullopt_t) {}
    // An own copy of the units (none for an empty text).
    ElementText(std::u16string_view text) { Assign(text); }
    ElementText(const std::u16string& text) : ElementText(std::u16string_view(text)) {}
    ElementText(const char16_t* text) : ElementText(std::u16string_view(text)) {}
    ElementText(const std::optional<std::u16string>& text) {
        if (text)
            Assign(*text);
    }
    // size units at begin, which lie inside block and stay alive with it.
    ElementText(const Block& block, const char16_t* begin, std::size_t size)
        : m_units(size ? std::shared_ptr<const char16_t>(block, begin) : nullptr),
          m_size(static_cast<std::uint32_t>(size)), m_present(true) {}

    bool has_value() const { return m_present; }
    explicit operator bool() const { return m_present; }

    // The units; empty for a missing text.
    std::u16string_view operator*() const {
        return m_units ? std::u16string_view(m_units.get(), m_size) : u"";
    }
    struct Arrow {
        std::u16string_view view;
        const std::u16string_view* operator->() const { return &view; }
    };
    Arrow operator->() const { return {**this}; }

    std::u16string value_or(std::u16string_view fallback) const {
        return std::u16string(m_present ? **this : fallback);
    }
    // Keeps the first units only; shares what it kept.
    void CutTo(std::size_t units) {
        if (m_size > units)
            m_size = static_cast<std::uint32_t>(units);
        if (m_size == 0)
            m_units.reset();
    }
    // Whether both texts hold units of one block.
    bool SharesBlockWith(const ElementText& other) const {
        return m_units && other.m_units && !m_units.owner_before(other.m_units) &&
               !other.m_units.owner_before(m_units);
    }

    // Whether the units lie in block.
    bool UsesBlock(const Block& block) const {
        return m_units && block && !m_units.owner_before(block) && !block.owner_before(m_units);
    }

    friend bool operator==(const ElementText& a, const ElementText& b) {
        return a.m_present == b.m_present && *a == *b;
    }
    friend bool operator==(const ElementText& a, std::nullopt_t) { return !a.m_present; }

private:
    void Assign(std::u16string_view text) {
        text = text.substr(0, UINT32_MAX);
        m_present = true;
        m_size = static_cast<std::uint32_t>(text.size());
        if (text.empty())
            return;
        auto block = std::make_shared_for_overwrite<char16_t[]>(text.size());
        text.copy(block.get(), text.size());
        m_units = std::shared_ptr<const char16_t>(block, block.get());
    }

    std::shared_ptr<const char16_t> m_units; // null for an empty or missing text
    std::uint32_t m_size = 0;
    bool m_present = false;
};
