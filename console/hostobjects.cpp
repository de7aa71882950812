#include "hostobjects.h"

#include "englishcatalogue.h"

#include <algorithm>

ConsoleTranslator::ConsoleTranslator(QString language) : m_language(std::move(language)) {
    m_catalogue = m_language == QLatin1String("en") ? EnglishCatalogue() : SpanishItemTypeNames();
}

int32_t ConsoleTranslator::Query(uint32_t* /*context*/, const char16_t* key, char16_t* buffer,
                                 uint32_t* capacity) {
    ++m_queries;
    if (!key || !buffer || !capacity)
        return 0;
    const auto it = m_catalogue.constFind(QString::fromUtf16(key));
    if (it == m_catalogue.constEnd()) {
        // Spanish keys are their own text: only another language misses them.
        if (m_language != QLatin1String("es") && !m_misses.contains(QString::fromUtf16(key)))
            m_misses << QString::fromUtf16(key);
        return 0;
    }
    const QString& text = it.value();
    const auto needed = static_cast<uint32_t>(text.size()) + 1;
    if (needed > *capacity) {
        *capacity = needed;
        return 0;
    }
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), buffer);
    buffer[text.size()] = u'\0';
    *capacity = needed;
    return 1;
}

QString ConsoleTranslator::Text(const QString& key) {
    const auto it = m_catalogue.constFind(key);
    if (it != m_catalogue.constEnd())
        return it.value();
    if (m_language != QLatin1String("es") && !m_misses.contains(key))
        m_misses << key;
    return key;
}

const char16_t* ConsoleConfiguration::GetText(uint32_t id, uint32_t) {
    switch (id) {
    case 0x4009004:
        m_returned = productName.toStdU16String();
        break;
    case 0x4009007:
        m_returned = labName.toStdU16String();
        break;
    case 0x4009019:
        m_returned = shortName.toStdU16String();
        break;
    default:
        m_returned.clear();
        break;
    }
    return m_returned.c_str();
}

int32_t ConsoleConfiguration::GetNumber(uint32_t id, uint32_t) {
    return id == 0x4009025 ? number : 0;
}

int32_t ConsoleConfiguration::GetFlag(uint32_t id, uint32_t) {
    switch (id) {
    case 0x4009908:
        return actionsEnabled ? 1 : 0;
    case 0x4009907:
        return createWindow ? 1 : 0;
    default:
        return 0;
    }
}
