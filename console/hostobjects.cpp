#include "hostobjects.h"

#include <QFile>
#include <algorithm>

ConsoleTranslator::ConsoleTranslator(QString language)
    : ConsoleTranslator(language, CatalogueFile(language)) {}

ConsoleTranslator::ConsoleTranslator(QString language, const QString& catalogueFile)
    : m_language(std::move(language)) {
    // The exact file only, no fallback to a shorter name. Never installed in the application:
    // it answers the module's queries and nothing else.
    if (QFile::exists(catalogueFile))
        (void)m_catalogue.load(catalogueFile);
}

QString ConsoleTranslator::CatalogueFile(const QString& language) {
    return QStringLiteral(":/translations/zrun_") + language + QStringLiteral(".qm");
}

int32_t ConsoleTranslator::Query(uint32_t* /*context*/, const char16_t* key, char16_t* buffer,
                                 uint32_t* capacity) {
    ++m_queries;
    if (!key || !buffer || !capacity)
        return 0;
    const QString wanted = QString::fromUtf16(key);
    // The catalogue looks its sources up as UTF-8; a key it lacks translates to a null text.
    const QString text = m_catalogue.translate(kCatalogueContext, wanted.toUtf8().constData());
    if (text.isNull()) {
        // Spanish keys are their own text: only another language misses them.
        if (m_language != QLatin1String("es") && !m_misses.contains(wanted))
            m_misses << wanted;
        return 0;
    }
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
    const QString text = m_catalogue.translate(kCatalogueContext, key.toUtf8().constData());
    if (!text.isNull())
        return text;
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
