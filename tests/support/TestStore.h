#pragma once

#include "store/CalendarStore.h"
#include "store/domain/DayColour.h"
#include "store/jet/DatePattern.h"
#include "store/listings/Listing.h"
#include "store/sqlite/Statement.h"

#include <QDate>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

// One row of calendar as a test seeds it; what a test leaves out is what the program writes for
// a plain day.
struct TestDayRow
{
    QVariant nota = QString();
    QVariant festivo = 0;
    QVariant alarma = 0;
    QVariant hora = QVariant();
    QVariant color = DayColours::code(DayColours::kNeutral);
};

// A store of its own in a temporary folder, seeded as a test needs and read back the way
// another program would see it: only what has been committed. Days and notitas are written
// with raw values, so that a test can store what the program itself never writes (-1 for yes,
// a Null, an unknown colour).
struct TestStore
{
    using DayRow = TestDayRow;

    TestStore()
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
    }

    // Changes the tables as another program would (statements run as they are), then opens the
    // store again, as the program would at its next start.
    void remake(const QStringList& statements)
    {
        for (const QString& statement : statements)
            db().execute(statement);
        store.reset();
        store = CalendarStore::open(dir.path());
    }

    QString folder() const { return dir.path(); }
    QString path() const { return CalendarStore::pathIn(dir.path()); }
    Database& db() const { return store->database(); }

    void addDay(double fecha, const DayRow& row = {})
    {
        Statement insert = db().prepare(
            QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
        insert.bind(1, fecha);
        insert.bind(2, row.nota);
        insert.bind(3, row.festivo);
        insert.bind(4, row.alarma);
        insert.bind(5, row.hora);
        insert.bind(6, row.color);
        insert.execute();
        db().noteWrite();
    }
    void addDay(const QDate& date, const DayRow& row = {})
    {
        addDay(DatePattern::fromDate(date), row);
    }
    void addNote(const QDate& date, const QString& nota) { addDay(date, DayRow{.nota = nota}); }

    // Many days at once, in one transaction: the disk is waited for once.
    template <typename Rows> void addDays(const Rows& rows)
    {
        db().execute(QStringLiteral("BEGIN"));
        for (const auto& [date, row] : rows)
            addDay(date, row);
        db().execute(QStringLiteral("COMMIT"));
    }

    // festivo, alarma, hora, Color, nota and the SQL type of nota, as committed; empty when the
    // day has no row.
    QVariantList dayRow(const QDate& date) const
    {
        QVariantList values;
        withReader([&](sqlite3* reader) {
            sqlite3_stmt* select = nullptr;
            sqlite3_prepare_v2(reader,
                               "SELECT festivo, alarma, hora, Color, nota, typeof(nota) FROM "
                               "calendar WHERE fecha = ?1",
                               -1, &select, nullptr);
            sqlite3_bind_double(select, 1, DatePattern::fromDate(date));
            if (select && sqlite3_step(select) == SQLITE_ROW) {
                for (int c = 0; c < 6; ++c)
                    values << valueOf(select, c);
            }
            sqlite3_finalize(select);
        });
        return values;
    }
    // The committed note of a day; "<no row>" when the day has none.
    QString storedNote(const QDate& date) const
    {
        const QVariantList row = dayRow(date);
        return row.isEmpty() ? QStringLiteral("<no row>") : row[4].toString();
    }
    int dayCount() const { return count("calendar"); }

    // Notitas. The place every row gets when a test does not care: on the offscreen screen,
    // and a whole number of pixels so that a window put there gives it back unchanged.
    static double topOf(int k) { return 150.0 * k; }
    static double leftOf(int k) { return 450.0 * k; }
    static QString textOf(int k) { return QStringLiteral("Notita %1").arg(k); }

    qint64 addNotita(const QVariant& nota, double top, double left)
    {
        Statement insert = db().prepare(
            QStringLiteral("INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES (?1, ?2, ?3)"));
        insert.bind(1, nota);
        insert.bind(2, top);
        insert.bind(3, left);
        insert.execute();
        db().noteWrite();
        return sqlite3_last_insert_rowid(db().handle());
    }
    // Rows 1..count with textOf, topOf and leftOf.
    void addNotitas(int count)
    {
        db().execute(QStringLiteral("BEGIN"));
        for (int k = 1; k <= count; ++k)
            addNotita(textOf(k), topOf(k), leftOf(k));
        db().execute(QStringLiteral("COMMIT"));
    }
    // Every notita as "indice|nota|Top|Left", a Null nota as "NULL", in table order.
    QStringList notitaRows() const
    {
        QStringList result;
        withReader([&](sqlite3* reader) {
            sqlite3_stmt* select = nullptr;
            sqlite3_prepare_v2(reader,
                               "SELECT indice, nota, \"Top\", \"Left\" FROM Nota ORDER BY rowid",
                               -1, &select, nullptr);
            while (select && sqlite3_step(select) == SQLITE_ROW) {
                const auto* text = sqlite3_column_text(select, 1);
                result << QStringLiteral("%1|%2|%3|%4")
                              .arg(sqlite3_column_int64(select, 0))
                              .arg(text ? QString::fromUtf8(reinterpret_cast<const char*>(text))
                                        : QStringLiteral("NULL"))
                              .arg(sqlite3_column_double(select, 2))
                              .arg(sqlite3_column_double(select, 3));
            }
            sqlite3_finalize(select);
        });
        return result;
    }
    QString notitaRow(qint64 indice) const
    {
        const QString key = QString::number(indice) + QLatin1Char('|');
        for (const QString& line : notitaRows()) {
            if (line.startsWith(key))
                return line;
        }
        return QString();
    }
    static QString notitaLine(qint64 indice, const QString& nota, double top, double left)
    {
        return QStringLiteral("%1|%2|%3|%4").arg(indice).arg(nota).arg(top).arg(left);
    }
    int notitaCount() const { return count("Nota"); }

    // Rows inserted, updated and deleted through the program's connection so far.
    int changes() const { return sqlite3_total_changes(db().handle()); }

    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;

private:
    // A connection of its own, as another program would open the file.
    template <typename Read> void withReader(Read&& read) const
    {
        sqlite3* reader = nullptr;
        const QByteArray file = QFile::encodeName(path());
        if (sqlite3_open_v2(file.constData(), &reader, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            read(reader);
        sqlite3_close(reader);
    }
    static QVariant valueOf(sqlite3_stmt* select, int column)
    {
        switch (sqlite3_column_type(select, column)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(select, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(select, column));
        case SQLITE_NULL:
            return QVariant();
        default:
            return QVariant(QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(select, column))));
        }
    }
    int count(const char* table) const
    {
        int n = -1;
        withReader([&](sqlite3* reader) {
            sqlite3_stmt* select = nullptr;
            const QByteArray sql = QByteArray("SELECT count(*) FROM ") + table;
            sqlite3_prepare_v2(reader, sql.constData(), -1, &select, nullptr);
            if (select && sqlite3_step(select) == SQLITE_ROW)
                n = sqlite3_column_int(select, 0);
            sqlite3_finalize(select);
        });
        return n;
    }
};
