#pragma once

#include "comm/store/blelement.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the service means by the kinds of list the module asks for. Blocked, undone and
// deleted do not overlap and together make every item.
namespace itemkind {
inline constexpr std::uint32_t kAll = 0;     // every item of the quarantine
inline constexpr std::uint32_t kUndone = 5;  // flag 0x80: the action was undone (restored)
inline constexpr std::uint32_t kBlocked = 6; // neither undone nor deleted: the suspects window
inline constexpr std::uint32_t kDeleted = 8; // flag 0x04 and not undone
bool IsKnown(std::uint32_t kind);
} // namespace itemkind

struct QuarantineCounts {
    int all = 0;
    int blocked = 0;
    int undone = 0;
    int deleted = 0;
    int shown = 0; // blocked and not hidden (0x400): what the suspects window lists

    bool operator==(const QuarantineCounts&) const = default;
};

struct DetectionNameRow {
    std::uint32_t id = 0;
    std::u16string name;
};

// The quarantine on disk, in SQLite. A Qt database connection belongs to the thread that
// opened it, so an object is used on one thread only, from Open to destruction.
class QuarantineStore final {
public:
    // Raised whenever the tables change shape; an older file is upgraded, a newer one refused.
    static constexpr int kSchemaVersion = 1;

    enum class Change { Done, NotFound, Failed };

    QuarantineStore();
    ~QuarantineStore();
    Q_DISABLE_COPY_MOVE(QuarantineStore)

    // Creates the file and its folder when needed; a new (or reseeded) store gets the sample
    // quarantine dated from now, and historyItems generated history entries besides.
    bool Open(const QString& path, bool reseed, const QDateTime& now, QString* error, int historyItems = 0);
    bool SeededOnOpen() const { return m_seeded; }
    QString LastError() const { return m_lastError; }

    // Row numbers of the items of a kind, newest action first; nothing on a database error.
    std::optional<std::vector<qint64>> Select(std::uint32_t kind);
    // The items of these rows in the given order; rows removed since are left out.
    std::optional<std::vector<ST_BLELEMENT>> Elements(const std::vector<qint64>& rows);
    std::optional<QuarantineCounts> Counts();
    // Names of the detections asked for, in the order asked, each once; unknown ones left out.
    std::optional<std::vector<DetectionNameRow>> DetectionNames(const std::vector<std::uint32_t>& ids);

    Change SetUndone(const ST_BLELEMENT::Identifier& identifier, bool undone);
    Change Remove(const ST_BLELEMENT::Identifier& identifier);
    // Removes every blocked item; how many through removed.
    Change RemoveAllBlocked(int* removed);

private:
    bool CreateSchema();
    bool Seed(const QDateTime& now, int historyItems);
    bool Exec(const QString& statement);

    QString m_connection;
    bool m_open = false;
    bool m_seeded = false;
    QString m_lastError;
};
