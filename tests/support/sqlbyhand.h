// Databases written by hand, beside the store code under test: statements run through a
// connection of their own, closed at the end. For the console's tests (they link Qt's SQL module).
#pragma once

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace sqlbyhand {

// Runs the statements in order, stopping at the first that fails (and saying which). With
// `rows`, the first column of the first row of each statement that returns one lands there.
inline bool RunSql(const QString& path, const QStringList& statements, int* rows = nullptr) {
    static int last = 0;
    const QString name = QStringLiteral("by-hand-%1").arg(++last);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString& statement : statements) {
            if (!ok)
                break;
            ok = q.exec(statement);
            if (!ok)
                qWarning("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
            else if (rows && q.next())
                *rows = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An address book that has nothing to do with the console.
inline const QStringList kContacts = {
    QStringLiteral("CREATE TABLE contacts (id INTEGER PRIMARY KEY, name TEXT, phone TEXT)"),
    QStringLiteral(
        "INSERT INTO contacts (name, phone) VALUES ('Ana', '600 000 001'), ('Luis', '600 000 002')"),
};

} // namespace sqlbyhand
