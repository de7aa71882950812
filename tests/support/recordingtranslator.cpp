#include "support/recordingtranslator.h"

#include <algorithm>

int32_t RecordingTranslator::Query(uint32_t* context, const char16_t* key, char16_t* buffer,
                                   uint32_t* capacity) {
    QueryRecord record;
    record.key = QString::fromUtf16(key);
    record.capacity = capacity ? *capacity : 0;
    record.context = context ? *context : 0;
    queries.push_back(record);
    const auto it = table.constFind(record.key);
    if (it == table.constEnd() || !capacity || !buffer)
        return 0;
    const QString& text = it.value();
    const auto needed = static_cast<std::uint32_t>(text.size()) + 1;
    if (needed > *capacity) {
        *capacity = reportNeeded ? reportNeeded : needed;
        return 0;
    }
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), buffer);
    buffer[text.size()] = u'\0';
    return 1;
}

QStringList RecordingTranslator::Keys() const {
    QStringList keys;
    for (const auto& q : queries)
        keys << q.key;
    return keys;
}
