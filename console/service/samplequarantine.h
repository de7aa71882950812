#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

// The quarantine a new store starts with: what the protection of a Spanish user's computer
// would have caught over some months, with the history of what was restored and deleted.
// Deterministic for a given clock, so that tests and screenshots see the same items.
struct SampleDetection {
    std::uint32_t id = 0;
    QString name;
    std::uint32_t informationId = 0; // page of the malware information link
};

struct SampleItem {
    QByteArray identifier; // 16 bytes, stable: derived from the item's place in the sample
    QString location;
    QString containerLocation;
    std::uint64_t actionTime = 0; // file time
    std::uint32_t category = 0;
    std::uint32_t itemType = 0;
    std::uint32_t reservedA = 0;
    std::uint32_t informationId = 0;
    std::uint32_t detectionId = 0;
    std::uint32_t reservedB = 0;
    std::uint32_t flags = 0;
};

std::vector<SampleDetection> SampleDetections();
// Items dated back from now (UTC).
std::vector<SampleItem> SampleItems(const QDateTime& now);

// Made-up history entries to try the history window at scale: the same sequence for the same
// clock, whatever the machine. Of every ten entries, five were deleted, four were undone (one
// of them after a deletion) and one is still blocked.
class HistoryItemGenerator final {
public:
    explicit HistoryItemGenerator(const QDateTime& now);
    SampleItem Next();

private:
    std::uint32_t Random(); // 32 bits of a fixed-seed linear congruential sequence
    std::uint32_t Pick(std::uint32_t count) { return Random() % count; }

    std::uint64_t m_nowFileTime = 0;
    std::uint64_t m_state = 0;
    int m_index = 0;
};

// 100 ns units since 1601-01-01 UTC.
std::uint64_t FileTimeOf(const QDateTime& time);
