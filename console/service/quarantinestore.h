#pragma once

#include "comm/store/blelement.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>
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

// Why a store could not be opened: a code the console puts into words, the path, and the
// driver's own words for logs (never shown inside a sentence).
struct StoreOpenError {
    enum class Code {
        None,
        NoDataFolder,       // no folder for application data
        CannotCreateFolder, // path: the folder
        NoDriver,           // Qt Sql has no SQLite driver
        CannotOpen,         // the file cannot be opened or created
        NotADatabase,       // the file is no SQLite database
        ForeignDatabase,    // an SQLite database, but not a quarantine store: left as it was
        NewerVersion,       // a store of a newer schema (version)
        Failed,             // reading or preparing the store failed
    };
    Code code = Code::None;
    QString path;
    QString detail;
    int version = 0;
};

// The sentence for people, in Spanish (the translation key): %1 the path, %2 the version.
QString StoreOpenErrorTemplate(StoreOpenError::Code code);
// The sentence with its path (and version), each template through translate when given.
QString StoreOpenErrorText(const StoreOpenError& error,
                           const std::function<QString(const QString&)>& translate = {});

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
    // Marks a file as this console's store (PRAGMA application_id; "ZRUQ"). Stores made before
    // the mark have 0 and are known by their version and tables.
    static constexpr int kApplicationId = 0x5A525551;

    enum class Change { Done, NotFound, Failed };

    QuarantineStore();
    ~QuarantineStore();
    Q_DISABLE_COPY_MOVE(QuarantineStore)

    // Creates the file and its folder when needed; a new (or reseeded) store gets the sample
    // quarantine dated from now, and historyItems generated history entries besides. Only a
    // new, empty file is seeded: any other database that is not a store is refused untouched.
    bool Open(const QString& path, bool reseed, const QDateTime& now, QString* error, int historyItems = 0);
    bool SeededOnOpen() const { return m_seeded; }
    QString LastError() const { return m_lastError; }
    const StoreOpenError& OpenError() const { return m_openError; }

    // Whether another connection (another console, another process) committed a change since
    // the last look; nothing on a database error.
    std::optional<bool> ChangedElsewhere();

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
    std::optional<qint64> DataVersion();

    QString m_connection;
    bool m_open = false;
    bool m_seeded = false;
    QString m_lastError;
    StoreOpenError m_openError;
    qint64 m_dataVersion = 0;
};
