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

enum class FileKind { Empty, Ours, Foreign, Newer };

// SQLite's primary result codes for a file that is no database, or a broken one.
StoreOpenError::Code CodeOf(const QSqlError& error) {
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case 26: // SQLITE_NOTADB
    case 11: // SQLITE_CORRUPT
        return StoreOpenError::Code::NotADatabase;
    case 14: // SQLITE_CANTOPEN
        return StoreOpenError::Code::CannotOpen;
    default:
        return StoreOpenError::Code::Failed;
    }
}

} // namespace

QString StoreOpenErrorTemplate(StoreOpenError::Code code) {
    switch (code) {
    case StoreOpenError::Code::None:
        break;
    case StoreOpenError::Code::NoDataFolder:
        return QStringLiteral("No hay carpeta de datos del usuario para el almacén de cuarentena.");
    case StoreOpenError::Code::CannotCreateFolder:
        return QStringLiteral("No se puede crear la carpeta %1 para el almacén de cuarentena.");
    case StoreOpenError::Code::NoDriver:
        return QStringLiteral("Falta el controlador SQLite de Qt: no se puede abrir el almacén de "
                              "cuarentena %1.");
    case StoreOpenError::Code::CannotOpen:
        return QStringLiteral("No se puede abrir ni crear el almacén de cuarentena %1.");
    case StoreOpenError::Code::NotADatabase:
        return QStringLiteral("El archivo %1 no es una base de datos SQLite: no se usa como almacén de "
                              "cuarentena.");
    case StoreOpenError::Code::ForeignDatabase:
        return QStringLiteral("La base de datos %1 no es un almacén de cuarentena de la consola: no se "
                              "ha modificado.");
    case StoreOpenError::Code::NewerVersion:
        return QStringLiteral("El almacén de cuarentena %1 es de una versión más reciente de la consola "
                              "(esquema %2).");
    case StoreOpenError::Code::Failed:
        return QStringLiteral("No se ha podido preparar el almacén de cuarentena %1.");
    }
    return QString();
}

QString StoreOpenErrorText(const StoreOpenError& error,
                           const std::function<QString(const QString&)>& translate) {
    QString text = StoreOpenErrorTemplate(error.code);
    if (translate)
        text = translate(text);
    // One pass, so that a path with a per cent sign in it is taken as it is.
    const QString path = QDir::toNativeSeparators(error.path);
    if (text.contains(QLatin1String("%2")))
        return text.arg(path, QString::number(error.version));
    if (text.contains(QLatin1String("%1")))
        return text.arg(path);
    return text;
}

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
    const QFileInfo file(path);
    m_openError = {};
    auto fail = [&](StoreOpenError::Code code, const QString& detail, const QString& where = QString()) {
        m_openError.code = code;
        m_openError.path = where.isEmpty() ? file.absoluteFilePath() : where;
        m_openError.detail = detail;
        m_lastError = detail.isEmpty() ? StoreOpenErrorText(m_openError) : detail;
        if (error)
            *error = StoreOpenErrorText(m_openError);
        return false;
    };
    auto failOn = [&](const QSqlError& e) { return fail(CodeOf(e), e.text()); };
    if (m_open)
        return fail(StoreOpenError::Code::Failed, QStringLiteral("already open"));
    if (!QDir().mkpath(file.absolutePath()))
        return fail(StoreOpenError::Code::CannotCreateFolder, QString(), file.absolutePath());

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid())
        return fail(StoreOpenError::Code::NoDriver, QString());
    db.setDatabaseName(file.absoluteFilePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return fail(StoreOpenError::Code::CannotOpen, db.lastError().text());

    // Looked at once to refuse early without a write lock, and again under the lock before
    // anything is written, in case another console made the store in between.
    FileKind kind = FileKind::Ours;
    int version = 0;
    auto look = [&]() -> bool {
        QSqlQuery q(db);
        // The first read of the file: a file that is no database fails here.
        if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
            return failOn(q.lastError());
        version = q.value(0).toInt();
        if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
            return failOn(q.lastError());
        const int applicationId = q.value(0).toInt();
        if (!q.exec(QStringLiteral("SELECT COUNT(*), "
                                   "COALESCE(SUM(type = 'table' AND name IN ('items', 'detections')), 0) "
                                   "FROM sqlite_master")) ||
            !q.next())
            return failOn(q.lastError());
        const int objects = q.value(0).toInt();
        const bool tables = q.value(1).toInt() == 2;
        if (applicationId != 0 && applicationId != kApplicationId)
            kind = FileKind::Foreign;
        else if (objects == 0 && version == 0)
            kind = FileKind::Empty;
        else if (version > kSchemaVersion)
            kind = FileKind::Newer;
        else if (version == 0 || !tables)
            kind = FileKind::Foreign;
        else
            kind = FileKind::Ours;
        if (kind == FileKind::Foreign)
            return fail(StoreOpenError::Code::ForeignDatabase, QString());
        if (kind == FileKind::Newer) {
            m_openError.version = version;
            return fail(StoreOpenError::Code::NewerVersion, QString());
        }
        return true;
    };
    if (!look())
        return false;
    bool seed = false;
    if (kind == FileKind::Empty || reseed) {
        if (!Exec(QStringLiteral("BEGIN IMMEDIATE")))
            return fail(StoreOpenError::Code::Failed, m_lastError);
        if (!look()) {
            const StoreOpenError reason = m_openError;
            Exec(QStringLiteral("ROLLBACK"));
            m_openError = reason;
            return false;
        }
        seed = reseed || kind == FileKind::Empty;
        bool ok = true;
        if (reseed)
            ok = Exec(QStringLiteral("DROP TABLE IF EXISTS items")) &&
                 Exec(QStringLiteral("DROP TABLE IF EXISTS detections"));
        if (ok && seed)
            ok = CreateSchema() &&
                 Seed(now.isValid() ? now : QDateTime::currentDateTimeUtc(), historyItems) &&
                 Exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)) &&
                 Exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
        if (!ok || !Exec(QStringLiteral("COMMIT"))) {
            const QString reason = m_lastError;
            Exec(QStringLiteral("ROLLBACK"));
            return fail(StoreOpenError::Code::Failed, reason);
        }
    }
    m_open = true;
    m_seeded = seed;
    m_dataVersion = DataVersion().value_or(0);
    return true;
}

std::optional<qint64> QuarantineStore::DataVersion() {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next()) {
        m_lastError = q.lastError().text();
        return std::nullopt;
    }
    return q.value(0).toLongLong();
}

std::optional<bool> QuarantineStore::ChangedElsewhere() {
    // SQLite moves this number on whenever another connection commits, never for our own.
    const std::optional<qint64> version = DataVersion();
    if (!version)
        return std::nullopt;
    const bool changed = *version != m_dataVersion;
    m_dataVersion = *version;
    return changed;
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
