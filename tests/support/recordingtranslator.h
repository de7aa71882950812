#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>
#include <zrun/suspects.h>

// A translator that answers from a table and records every query it gets.
class RecordingTranslator final : public IZrunTranslator {
public:
    struct QueryRecord {
        QString key;
        std::uint32_t capacity = 0;
        std::uint32_t context = 0;
    };

    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    int32_t Query(uint32_t* context, const char16_t* key, char16_t* buffer, uint32_t* capacity) override;

    // key -> translation; keys not in the table get no translation.
    QHash<QString, QString> table;
    // When set, a translation longer than the buffer reports this needed size instead of its length + 1.
    std::uint32_t reportNeeded = 0;
    std::vector<QueryRecord> queries;

    QStringList Keys() const;
};

// A translation source over a recording translator.
struct RecordingSource {
    RecordingTranslator translator;
    ZrunTranslationSource source{&translator, 7};
};
