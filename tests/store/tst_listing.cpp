#include "store/CalendarStore.h"
#include "store/listings/Listing.h"
#include "store/listings/NoteQueries.h"
#include "store/sqlite/StoreError.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct Day
{
    double fecha;
    QVariant nota;
    int festivo;
    int color;
};

// Days of 1997 and its edges; 35551 is 1 May 1997 and 35581 is 31 May 1997.
const Day kDays[] = {
    {35796, QString("Año nuevo 98"), 1, 1},
    {35431, QString("Año nuevo"), 1, 1},
    {35550, QString("abril"), 0, 5},
    {35551, QString("Reunion de equipo"), 1, 1},
    {35560, QString(""), 0, 5},
    {35565, QVariant(), 0, 5},
    {35570, QString("REUNION anual"), 0, 1},
    {35581, QString("fin de mes"), 1, 1},
    {35582, QString("junio: reunion"), 1, 2},
    {35600, QString("Cena con O'Brien"), 0, 3},
    {35601, QString("OBrien"), 0, 5},
};

struct Store
{
    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;

    explicit Store(bool withDays = true)
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
        if (!withDays)
            return;
        Statement insert = store->database().prepare(
            QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                           "VALUES (?1, ?2, ?3, 0, 0, ?4)"));
        for (const Day& day : kDays) {
            insert.bind(1, day.fecha);
            insert.bind(2, day.nota);
            insert.bind(3, day.festivo);
            insert.bind(4, day.color);
            insert.execute();
        }
        store->database().noteWrite();
    }
    Listing run(const QString& query) { return Listing::run(store->database(), query); }
};

// The fecha column of every row, walked from the first.
QList<double> fechas(Listing& listing)
{
    QList<double> seen;
    for (listing.moveFirst(); !listing.eof(); listing.moveNext())
        seen << listing.value(QStringLiteral("fecha")).toDouble();
    return seen;
}

} // namespace

class TestListing : public QObject
{
    Q_OBJECT

private slots:
    void allNotes();
    void emptyResult();
    void queryTexts_data();
    void queryTexts();
    void refusals_data();
    void refusals();
    void walking();
};

void TestListing::allNotes()
{
    Store s;
    Listing listing = s.run(NoteQueries::text(ListingRequest::allNotes()));
    const QList<double> noted{35431, 35550, 35551, 35570, 35581, 35582, 35600, 35601, 35796};
    QCOMPARE(listing.recordCount(), noted.size());
    QCOMPARE(fechas(listing), noted);
    listing.moveFirst();
    QCOMPARE(listing.value(QStringLiteral("nota")).toString(), QStringLiteral("Año nuevo"));
}

void TestListing::emptyResult()
{
    Store s(false);
    Listing listing = s.run(NoteQueries::text(ListingRequest::allNotes()));
    QCOMPARE(listing.recordCount(), 0);
    QVERIFY(listing.bof() && listing.eof());
    QVERIFY_THROWS_EXCEPTION(StoreError, listing.value(QStringLiteral("nota")));
    QVERIFY_THROWS_EXCEPTION(StoreError, listing.moveNext());
}

void TestListing::queryTexts_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<double>>("expected");
    QTest::newRow("noted days of May 1997")
        << "SELECT fecha,nota from calendar WHERE fecha BETWEEN 35551 AND 35581 AND len(nota)>0 "
           "ORDER by fecha"
        << QList<double>{35551, 35570, 35581};
    QTest::newRow("red holidays of 1997")
        << "SELECT fecha, nota FROM calendar WHERE fecha BETWEEN 35431 AND 35795 and "
           "Festivo = True and color=1 ORDER by fecha"
        << QList<double>{35431, 35551, 35581};
    QTest::newRow("word in any case")
        << "SELECT fecha, nota FROM calendar WHERE len(nota)>0 AND nota LIKE '*reunion*' "
           "ORDER by fecha"
        << QList<double>{35551, 35570, 35582};
    QTest::newRow("quoted apostrophe")
        << "SELECT fecha, nota FROM calendar WHERE len(nota)>0 AND nota LIKE '*O''Brien*' "
           "ORDER by fecha"
        << QList<double>{35600};
}

void TestListing::queryTexts()
{
    QFETCH(QString, query);
    QFETCH(QList<double>, expected);
    Store s;
    Listing listing = s.run(query);
    QCOMPARE(listing.query(), query);
    QCOMPARE(listing.recordCount(), expected.size());
    QCOMPARE(fechas(listing), expected);
}

void TestListing::refusals_data()
{
    QTest::addColumn<QString>("query");
    QTest::newRow("delete") << "DELETE FROM calendar";
    QTest::newRow("second statement") << "select 1; DROP TABLE calendar";
    QTest::newRow("update") << "UPDATE calendar SET nota=''";
}

void TestListing::refusals()
{
    QFETCH(QString, query);
    Store s;
    const QString everything = QStringLiteral("SELECT * FROM calendar ORDER BY fecha");
    const Listing before = s.run(everything);
    QVERIFY_THROWS_EXCEPTION(StoreError, s.run(query));
    const Listing after = s.run(everything);
    QCOMPARE(after.recordCount(), before.recordCount());
    for (int row = 0; row < before.recordCount(); ++row) {
        for (int column = 0; column < before.columnCount(); ++column)
            QCOMPARE(after.at(row, column), before.at(row, column));
    }
}

void TestListing::walking()
{
    Store s;
    Listing listing = s.run(NoteQueries::text(ListingRequest::allNotes()));
    int rows = 0;
    for (listing.moveFirst(); !listing.eof(); listing.moveNext()) {
        QCOMPARE(listing.value(QStringLiteral("FECHA")), listing.value(QStringLiteral("fecha")));
        QCOMPARE(listing.value(QStringLiteral("Nota")), listing.value(1));
        ++rows;
    }
    QCOMPARE(rows, listing.recordCount());
    QVERIFY(!listing.bof());
    QVERIFY_THROWS_EXCEPTION(StoreError, listing.moveNext());
    QVERIFY_THROWS_EXCEPTION(StoreError, listing.value(QStringLiteral("nota")));

    QVERIFY(listing.columnIndex(QStringLiteral("NOTA")) >= 0);
    listing.noteWritten(0, QStringLiteral("cambiado"));
    listing.moveFirst();
    QCOMPARE(listing.value(QStringLiteral("nota")).toString(), QStringLiteral("cambiado"));
    Listing fresh = s.run(NoteQueries::text(ListingRequest::allNotes()));
    QCOMPARE(fresh.value(QStringLiteral("nota")).toString(), QStringLiteral("Año nuevo"));
}

QTEST_GUILESS_MAIN(TestListing)
#include "tst_listing.moc"
