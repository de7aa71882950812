#include "service/quarantinestore.h"

#include "service/samplequarantine.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <atomic>

namespace itemkind {
bool IsKnown(std::uint32_t kind) {
    return kind == kAll || kind == kUndone || kind == kBlocked || kind == kDeleted;
}
} // namespace itemkind

namespace {

std::atomic<int> g_lastConnection{0};

// The kinds as conditions on the flags: 0x80 undone, 0x04 deleted (0x84 = 132).
QString KindCondition(std::uint32_t kind) {
    switch (kind) {
    case itemkind::kUndone:
        return QStringLiteral("(flags & 128) <> 0");
    case itemkind::kBlocked:
        return QStringLiteral("(flags & 132) = 0");
    case itemkind::kDeleted:
        return QStringLiteral("(flags & 132) = 4");
    default:
        return QStringLiteral("1");
    }
}

const QString kItemColumns =
    QStringLiteral("seq, identifier, location, container_location, action_time, category, "
                   "item_type, reserved_a, information_id, detection_id, reserved_b, flags");

QByteArray BlobOf(const ST_BLELEMENT::Identifier& identifier) {
    return QByteArray(reinterpret_cast<const char*>(identifier.data()),
                      static_cast<qsizetype>(identifier.size()));
}

std::uint32_t U32(const QVariant& value) {
    return static_cast<std::uint32_t>(value.toLongLong());
}

ST_BLELEMENT ElementOf(const QSqlQuery& q) {
    ST_BLELEMENT e;
    const QByteArray id = q.value(1).toByteArray();
    for (qsizetype i = 0; i < id.size() && i < static_cast<qsizetype>(e.identifier.size()); ++i)
        e.identifier[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(id[i]);
    e.location = q.value(2).toString().toStdU16String();
    e.containerLocation = q.value(3).toString().toStdU16String();
    e.actionTime = static_cast<std::uint64_t>(q.value(4).toLongLong());
    e.category = U32(q.value(5));
    e.itemType = U32(q.value(6));
    e.reservedA = U32(q.value(7));
    e.informationId = U32(q.value(8));
    e.detectionId = U32(q.value(9));
    e.reservedB = U32(q.value(10));
    e.flags = U32(q.value(11));
    return e;
}

// A statement's length is capped by SQLite (builds set the cap differently): long lists of
// numbers are asked for in slices, so no statement grows with the batch or page a client asks for.
constexpr std::size_t kNumbersPerStatement = 500;

template <class T>
QString NumberList(typename std::vector<T>::const_iterator from, typename std::vector<T>::const_iterator to) {
    QStringList parts;
    parts.reserve(static_cast<qsizetype>(to - from));
    for (auto it = from; it != to; ++it)
        parts.append(QString::number(*it));
    return parts.join(QLatin1Char(','));
}

// Runs the statement (with %1 for the list) on every slice of the values; false at the first
// failure, with the query's error in *error.
template <class T, class Row>
bool ForEachSlice(const QString& connection, const QString& statement, const std::vector<T>& values,
                  QString* error, Row&& row) {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    for (std::size_t from = 0; from < values.size(); from += kNumbersPerStatement) {
        const std::size_t to = std::min(values.size(), from + kNumbersPerStatement);
        const auto begin = values.begin() + static_cast<std::ptrdiff_t>(from);
        const auto end = values.begin() + static_cast<std::ptrdiff_t>(to);
        if (!q.exec(statement.arg(NumberList<T>(begin, end)))) {
            *error = q.lastError().text();
            return false;
        }
        while (q.next())
            row(q);
    }
    return true;
}

} // namespace

QuarantineStore::QuarantineStore()
    : m_connection(QStringLiteral("zrun-quarantine-%1").arg(++g_lastConnection)) {}

QuarantineStore::~QuarantineStore() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool QuarantineStore::Open(const QString& path, bool reseed, const QDateTime& now, QString* error,
                           int historyItems) {
    auto fail = [&](const QString& reason) {
        m_lastError = reason;
        if (error)
            *error = reason;
        return false;
    };
    if (m_open)
        return fail(QStringLiteral("el almacén ya está abierto"));
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath()))
        return fail(QStringLiteral("no se puede crear la carpeta %1").arg(file.absolutePath()));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid())
        return fail(QStringLiteral("falta el controlador QSQLITE de Qt Sql"));
    db.setDatabaseName(file.absoluteFilePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return fail(db.lastError().text());

    int version = 0;
    {
        QSqlQuery q(db);
        // The first read of the file: a file that is no database fails here.
        if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
            return fail(q.lastError().text());
        version = q.value(0).toInt();
    }
    if (version > kSchemaVersion)
        return fail(QStringLiteral("el almacén es de una versión más reciente (%1)").arg(version));

    if (!db.transaction())
        return fail(db.lastError().text());
    const bool seed = reseed || version == 0;
    bool ok = true;
    if (reseed)
        ok = Exec(QStringLiteral("DROP TABLE IF EXISTS items")) &&
             Exec(QStringLiteral("DROP TABLE IF EXISTS detections"));
    if (ok && seed)
        ok = CreateSchema() && Seed(now.isValid() ? now : QDateTime::currentDateTimeUtc(), historyItems) &&
             Exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    if (!ok || !db.commit()) {
        const QString reason = m_lastError.isEmpty() ? db.lastError().text() : m_lastError;
        db.rollback();
        return fail(reason);
    }
    m_open = true;
    m_seeded = seed;
    return true;
}

bool QuarantineStore::Exec(const QString& statement) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (q.exec(statement))
        return true;
    m_lastError = q.lastError().text();
    return false;
}

bool QuarantineStore::CreateSchema() {
    return Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS detections ("
                               " id INTEGER PRIMARY KEY,"
                               " name TEXT NOT NULL,"
                               " information_id INTEGER NOT NULL DEFAULT 0)")) &&
           Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS items ("
                               " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
                               " identifier BLOB NOT NULL UNIQUE CHECK (length(identifier) = 16),"
                               " location TEXT NOT NULL,"
                               " container_location TEXT NOT NULL DEFAULT '',"
                               " action_time INTEGER NOT NULL,"
                               " category INTEGER NOT NULL,"
                               " item_type INTEGER NOT NULL,"
                               " reserved_a INTEGER NOT NULL DEFAULT 0,"
                               " information_id INTEGER NOT NULL DEFAULT 0,"
                               " detection_id INTEGER NOT NULL DEFAULT 0,"
                               " reserved_b INTEGER NOT NULL DEFAULT 0,"
                               " flags INTEGER NOT NULL DEFAULT 0)")) &&
           Exec(QStringLiteral(
               "CREATE INDEX IF NOT EXISTS items_newest_first ON items (action_time DESC, seq DESC)"));
}

bool QuarantineStore::Seed(const QDateTime& now, int historyItems) {
    // Runs inside the transaction of Open: a hundred thousand entries are one write.
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery detection(db);
    detection.prepare(QStringLiteral("INSERT INTO detections (id, name, information_id) VALUES (?, ?, ?)"));
    for (const SampleDetection& d : SampleDetections()) {
        detection.bindValue(0, static_cast<qlonglong>(d.id));
        detection.bindValue(1, d.name);
        detection.bindValue(2, static_cast<qlonglong>(d.informationId));
        if (!detection.exec()) {
            m_lastError = detection.lastError().text();
            return false;
        }
    }
    QSqlQuery item(db);
    item.prepare(
        QStringLiteral("INSERT INTO items (identifier, location, container_location, action_time, category, "
                       "item_type, reserved_a, information_id, detection_id, reserved_b, flags) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    auto insert = [this, &item](const SampleItem& s) {
        item.bindValue(0, s.identifier);
        item.bindValue(1, s.location);
        item.bindValue(2, s.containerLocation);
        item.bindValue(3, static_cast<qlonglong>(s.actionTime));
        item.bindValue(4, static_cast<qlonglong>(s.category));
        item.bindValue(5, static_cast<qlonglong>(s.itemType));
        item.bindValue(6, static_cast<qlonglong>(s.reservedA));
        item.bindValue(7, static_cast<qlonglong>(s.informationId));
        item.bindValue(8, static_cast<qlonglong>(s.detectionId));
        item.bindValue(9, static_cast<qlonglong>(s.reservedB));
        item.bindValue(10, static_cast<qlonglong>(s.flags));
        if (item.exec())
            return true;
        m_lastError = item.lastError().text();
        return false;
    };
    for (const SampleItem& s : SampleItems(now))
        if (!insert(s))
            return false;
    HistoryItemGenerator history(now);
    for (int i = 0; i < historyItems; ++i)
        if (!insert(history.Next()))
            return false;
    return true;
}

std::optional<std::vector<qint64>> QuarantineStore::Select(std::uint32_t kind) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT seq FROM items WHERE %1 ORDER BY action_time DESC, seq DESC")
                    .arg(KindCondition(kind)))) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    std::vector<qint64> rows;
    while (q.next())
        rows.push_back(q.value(0).toLongLong());
    return rows;
}

std::optional<std::vector<ST_BLELEMENT>> QuarantineStore::Elements(const std::vector<qint64>& rows) {
    if (rows.empty())
        return std::vector<ST_BLELEMENT>();
    QHash<qint64, ST_BLELEMENT> found;
    const QString statement =
        QStringLiteral("SELECT ") + kItemColumns + QStringLiteral(" FROM items WHERE seq IN (%1)");
    if (!ForEachSlice(m_connection, statement, rows, &m_lastError,
                      [&](const QSqlQuery& q) { found.insert(q.value(0).toLongLong(), ElementOf(q)); }))
        return std::nullopt;
    std::vector<ST_BLELEMENT> elements;
    elements.reserve(rows.size());
    for (qint64 row : rows) {
        auto it = found.constFind(row);
        if (it != found.constEnd())
            elements.push_back(*it);
    }
    return elements;
}

std::optional<QuarantineCounts> QuarantineStore::Counts() {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // 1156 = 0x484: neither hidden, undone nor deleted.
    if (!q.exec(QStringLiteral("SELECT COUNT(*), SUM((flags & 132) = 0), SUM((flags & 128) <> 0), "
                               "SUM((flags & 132) = 4), SUM((flags & 1156) = 0) FROM items")) ||
        !q.next()) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    QuarantineCounts c;
    c.all = q.value(0).toInt();
    c.blocked = q.value(1).toInt();
    c.undone = q.value(2).toInt();
    c.deleted = q.value(3).toInt();
    c.shown = q.value(4).toInt();
    return c;
}

std::optional<std::vector<DetectionNameRow>>
QuarantineStore::DetectionNames(const std::vector<std::uint32_t>& ids) {
    std::vector<std::uint32_t> distinct;
    distinct.reserve(ids.size());
    QSet<std::uint32_t> seen;
    for (std::uint32_t id : ids)
        if (!seen.contains(id)) {
            seen.insert(id);
            distinct.push_back(id);
        }
    std::vector<DetectionNameRow> names;
    QHash<std::uint32_t, QString> found;
    if (!ForEachSlice(m_connection, QStringLiteral("SELECT id, name FROM detections WHERE id IN (%1)"),
                      distinct, &m_lastError,
                      [&](const QSqlQuery& q) { found.insert(U32(q.value(0)), q.value(1).toString()); }))
        return std::nullopt;
    for (std::uint32_t id : distinct) {
        auto it = found.constFind(id);
        if (it != found.constEnd())
            names.push_back({id, it->toStdU16String()});
    }
    return names;
}

QuarantineStore::Change QuarantineStore::SetUndone(const ST_BLELEMENT::Identifier& identifier, bool undone) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(undone ? QStringLiteral("UPDATE items SET flags = flags | 128 WHERE identifier = ?")
                     : QStringLiteral("UPDATE items SET flags = flags & ~128 WHERE identifier = ?"));
    q.addBindValue(BlobOf(identifier));
    if (!q.exec()) {
        m_lastError = q.lastError().text();
        return Change::Failed;
    }
    return q.numRowsAffected() > 0 ? Change::Done : Change::NotFound;
}

QuarantineStore::Change QuarantineStore::Remove(const ST_BLELEMENT::Identifier& identifier) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM items WHERE identifier = ?"));
    q.addBindValue(BlobOf(identifier));
    if (!q.exec()) {
        m_lastError = q.lastError().text();
        return Change::Failed;
    }
    return q.numRowsAffected() > 0 ? Change::Done : Change::NotFound;
}

QuarantineStore::Change QuarantineStore::RemoveAllBlocked(int* removed) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("DELETE FROM items WHERE %1").arg(KindCondition(itemkind::kBlocked)))) {
        m_lastError = q.lastError().text();
        return Change::Failed;
    }
    if (removed)
        *removed = q.numRowsAffected();
    return Change::Done;
}
