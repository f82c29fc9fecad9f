#pragma once

#include "store/CalendarStore.h"
#include "store/Statement.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

// A store of its own in a temporary folder, with the table Nota filled as a test needs and
// read back the way another program would see it: only what has been committed.
struct NotitaTable
{
    NotitaTable()
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
    }

    // The place every row gets when a test does not care: on the offscreen screen, and a
    // whole number of pixels so that a window put there gives it back unchanged.
    static double topOf(int k) { return 150.0 * k; }
    static double leftOf(int k) { return 450.0 * k; }
    static QString textOf(int k) { return QStringLiteral("Notita %1").arg(k); }

    qint64 add(const QVariant& nota, double top, double left)
    {
        Statement insert = store->dbCalendar->prepare(
            QStringLiteral("INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES (?1, ?2, ?3)"));
        insert.bind(1, nota);
        insert.bind(2, top);
        insert.bind(3, left);
        insert.execute();
        store->dbCalendar->noteWrite();
        return sqlite3_last_insert_rowid(store->dbCalendar->handle());
    }

    // Rows 1..count with textOf, topOf and leftOf.
    void addMany(int count)
    {
        store->dbCalendar->execute(QStringLiteral("BEGIN")); // one wait for the disk, not many
        for (int k = 1; k <= count; ++k)
            add(textOf(k), topOf(k), leftOf(k));
        store->dbCalendar->execute(QStringLiteral("COMMIT"));
    }

    // Every row as "indice|nota|Top|Left", a NULL nota as "NULL", in table order.
    QStringList rows() const
    {
        QStringList result;
        sqlite3* db = nullptr;
        const QByteArray path = QFile::encodeName(CalendarStore::pathIn(dir.path()));
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return {QStringLiteral("no se puede leer")};
        }
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT indice, nota, \"Top\", \"Left\" FROM Nota ORDER BY indice",
                           -1, &select, nullptr);
        while (select && sqlite3_step(select) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
            result << QStringLiteral("%1|%2|%3|%4")
                          .arg(sqlite3_column_int64(select, 0))
                          .arg(text ? QString::fromUtf8(text) : QStringLiteral("NULL"))
                          .arg(sqlite3_column_double(select, 2))
                          .arg(sqlite3_column_double(select, 3));
        }
        sqlite3_finalize(select);
        sqlite3_close(db);
        return result;
    }

    QString row(qint64 indice) const
    {
        const QString key = QString::number(indice) + QLatin1Char('|');
        for (const QString& line : rows()) {
            if (line.startsWith(key))
                return line;
        }
        return QString();
    }

    static QString line(qint64 indice, const QString& nota, double top, double left)
    {
        return QStringLiteral("%1|%2|%3|%4").arg(indice).arg(nota).arg(top).arg(left);
    }

    // Rows inserted, updated and deleted through the program's connection so far.
    int changes() const { return sqlite3_total_changes(store->dbCalendar->handle()); }

    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;
};
