#include "TestStore.h"
#include "store/domain/DayBook.h"
#include "store/domain/ListingRequest.h"
#include "store/listings/NoteListing.h"
#include "store/sqlite/StoreError.h"
#include "store/sqlite/Transaction.h"

#include <QTest>

#include <sqlite3.h>

namespace {

const QDate kFirst(1997, 1, 1);

// n days from 1 January 1997, each with the note "nota <i>"; every third one has none.
void seed(TestStore& t, int n)
{
    std::vector<std::pair<QDate, TestDayRow>> rows;
    for (int i = 0; i < n; ++i)
        rows.emplace_back(
            kFirst.addDays(i),
            TestDayRow{.nota = i % 3 == 2 ? QString() : QStringLiteral("nota %1").arg(i)});
    t.addDays(rows);
}

// What another program does: a write on a connection of its own.
void writeElsewhere(const TestStore& t, const QByteArray& sql)
{
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(t.path()).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
}

// Every day from the first seeded on: a span longer than a listing gathers at once.
ListingRequest everyDay()
{
    SelectionCriteria criteria;
    criteria.desde = qint64(DatePattern::fromDate(kFirst));
    criteria.hasta = qint64(DatePattern::fromDate(QDate(9999, 12, 31)));
    return ListingRequest::selection(criteria);
}
constexpr int kLong = 3 * NoteListing::kEagerRows;

} // namespace

class TestNoteListing : public QObject
{
    Q_OBJECT

private slots:
    void rowsOnEveryPage_data();
    void rowsOnEveryPage();
    void notesAreReadWhenLookedAt();
    void typedWordNeverWrites();
    void dayStoredTwice();
    void noteDaysFollowTheBook_data();
    void noteDaysFollowTheBook();
    void noteDaysReadAgainAfterOthersWrote();
    void noteDaysAreThoseOfTheQuery_data();
    void noteDaysAreThoseOfTheQuery();
    void listingKeepsItsDaysWhileTheBookChanges();
    void longSpanCountedThenGathered_data();
    void longSpanCountedThenGathered();
    void longSpanKeepsTheDaysItCounted_data();
    void longSpanKeepsTheDaysItCounted();
    void nextListingFinishesTheOneBefore();
    void storeClosedWhileGathering();
};

void TestNoteListing::rowsOnEveryPage_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected");
    // 3000 days, 2000 with a note: rows i hold day 3i/2 (every third day has no note).
    QTest::newRow("first row") << 0 << "1997-01-01 nota 0";
    QTest::newRow("last of the first page") << NoteListing::kPageRows - 1 << "1997-07-10 nota 190";
    QTest::newRow("first of the second page") << NoteListing::kPageRows << "1997-07-12 nota 192";
    QTest::newRow("far down") << 1500 << "2003-03-01 nota 2250";
    QTest::newRow("last row") << 1999 << "2005-03-18 nota 2998";
    QTest::newRow("past the end") << 2000 << " ";
}

void TestNoteListing::rowsOnEveryPage()
{
    QFETCH(int, row);
    QFETCH(QString, expected);
    TestStore t;
    seed(t, 3000);
    t.store->runListing(ListingRequest::allNotes());
    const NoteListing& listing = t.store->listing();
    QCOMPARE(listing.recordCount(), 2000);
    QCOMPARE(listing.dateAt(row).toString(Qt::ISODate) + QLatin1Char(' ') + listing.noteAt(row),
             expected);
}

void TestNoteListing::notesAreReadWhenLookedAt()
{
    TestStore t;
    seed(t, 10);
    t.store->runListing(ListingRequest::period(kFirst, kFirst.addDays(9)));
    NoteListing& listing = t.store->listing();
    QCOMPARE(listing.recordCount(), 7);
    // Changed after the listing ran: the days stay, the notes shown are the store's now.
    writeElsewhere(t, "UPDATE calendar SET nota = 'cambiada' WHERE fecha = 35431;"
                      "DELETE FROM calendar WHERE fecha = 35432;");
    QCOMPARE(listing.noteAt(0), QStringLiteral("cambiada"));
    QCOMPARE(listing.dateAt(1), kFirst.addDays(1));
    QCOMPARE(listing.noteAt(1), QString()); // its day has gone
    QCOMPARE(listing.noteAt(2), QStringLiteral("nota 3"));
    listing.noteWritten(2, QStringLiteral("escrita en la lista"));
    QCOMPARE(listing.noteAt(2), QStringLiteral("escrita en la lista"));
}

void TestNoteListing::typedWordNeverWrites()
{
    // The word is the only text a user gives a listing: one that tries to end the query and
    // write is looked for as it is, and the store keeps every day.
    TestStore t;
    seed(t, 3);
    SelectionCriteria criteria;
    criteria.desde = qint64(DatePattern::fromDate(kFirst));
    criteria.hasta = criteria.desde + 2;
    criteria.word = QStringLiteral("x'; DELETE FROM calendar; --");
    t.store->runListing(ListingRequest::selection(criteria));
    QCOMPARE(t.store->listing().recordCount(), 0);
    QCOMPARE(t.dayCount(), 3);
}

void TestNoteListing::dayStoredTwice()
{
    // Another program's store whose index lets a day have two rows: both are listed, each
    // with its own note, also where a page ends between them.
    TestStore t;
    t.db().execute(QStringLiteral("DROP INDEX Fecha"));
    t.db().execute(QStringLiteral("CREATE INDEX Fecha ON calendar (fecha)"));
    for (int i = 0; i < NoteListing::kPageRows - 1; ++i)
        t.addNote(kFirst.addDays(i), QStringLiteral("n%1").arg(i));
    const QDate twice = kFirst.addDays(NoteListing::kPageRows);
    t.addNote(twice, QStringLiteral("primera"));
    t.addNote(twice, QStringLiteral("segunda"));
    t.store->runListing(ListingRequest::allNotes());
    const NoteListing& listing = t.store->listing();
    QCOMPARE(listing.recordCount(), NoteListing::kPageRows + 1);
    QCOMPARE(listing.noteAt(NoteListing::kPageRows - 1), QStringLiteral("primera"));
    QCOMPARE(listing.noteAt(NoteListing::kPageRows), QStringLiteral("segunda"));
}

void TestNoteListing::noteDaysFollowTheBook_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("count");

    // Five days with a note to start with, on 1, 2, 4, 5 and 7 January.
    QTest::newRow("a new day with a note") << "save 10 nota" << 6;
    QTest::newRow("a new day without one") << "save 10 -" << 5;
    QTest::newRow("a note emptied") << "save 2 -" << 4;
    QTest::newRow("a note given to a day without") << "save 3 nota" << 6;
    QTest::newRow("a note changed") << "save 1 otra" << 5;
    QTest::newRow("a note typed into the list") << "list 4 tecleada" << 5;
    QTest::newRow("a note emptied in the list") << "list 4 -" << 4;
    QTest::newRow("days added in a transaction") << "transaction" << 7;
    QTest::newRow("a day seeded by a test") << "seed" << 6;
}

void TestNoteListing::noteDaysFollowTheBook()
{
    QFETCH(QString, change);
    QFETCH(int, count);
    TestStore t;
    seed(t, 7);
    DayBook& days = t.store->days();
    QCOMPARE(days.noteDays()->size(), std::size_t(5));

    const QStringList words = change.split(QLatin1Char(' '));
    const auto dayOf = [&](int n) { return QDate(1997, 1, n); };
    if (words[0] == QLatin1String("save")) {
        Day day;
        day.date = dayOf(words[1].toInt());
        day.note = words[2] == QLatin1String("-") ? QString() : words[2];
        days.save(day);
    } else if (words[0] == QLatin1String("list")) {
        days.writeNote(dayOf(words[1].toInt()),
                       words[2] == QLatin1String("-") ? QString() : words[2]);
    } else if (words[0] == QLatin1String("transaction")) {
        Transaction transaction(t.db());
        for (int n : {20, 21}) {
            Day day;
            day.date = dayOf(n);
            day.note = QStringLiteral("importada");
            days.add(day);
        }
        transaction.commit();
    } else {
        t.addNote(dayOf(25), QStringLiteral("sembrada"));
    }

    // The days kept are what the store holds now, as a fresh reading gives them.
    const auto kept = days.noteDays();
    QCOMPARE(int(kept->size()), count);
    // A fresh reading: the listing of every note as run without the book's days.
    const NoteListing fresh = NoteListing::run(t.db(), ListingRequest::allNotes());
    QCOMPARE(fresh.recordCount(), count);
    for (int row = 0; row < count; ++row)
        QCOMPARE(DatePattern::toDate((*kept)[std::size_t(row)]), fresh.dateAt(row));
}

void TestNoteListing::noteDaysReadAgainAfterOthersWrote()
{
    TestStore t;
    seed(t, 7);
    DayBook& days = t.store->days();
    QCOMPARE(days.noteDays()->size(), std::size_t(5));
    writeElsewhere(t, "INSERT INTO calendar (fecha, nota, festivo, alarma, Color) "
                      "VALUES (35500, 'de otro programa', 0, 0, 5)");
    QCOMPARE(days.noteDays()->size(), std::size_t(6));
}

void TestNoteListing::noteDaysAreThoseOfTheQuery_data()
{
    // Notes another program may have stored: the day book's days are exactly the days that
    // the query of "Ver notas" lists.
    QTest::addColumn<QByteArray>("note");
    QTest::newRow("empty text") << QByteArray("''");
    QTest::newRow("a blank") << QByteArray("' '");
    QTest::newRow("a number") << QByteArray("0");
    QTest::newRow("text of a stray byte") << QByteArray("CAST(x'80' AS TEXT)");
    QTest::newRow("text that starts with a NUL") << QByteArray("CAST(x'0041' AS TEXT)");
    QTest::newRow("an empty blob") << QByteArray("x''");
    QTest::newRow("a blob that starts with a NUL") << QByteArray("x'0041'");
    QTest::newRow("a blob of a stray byte") << QByteArray("x'80'");
    QTest::newRow("a blob of a letter") << QByteArray("x'41'");
    QTest::newRow("Null") << QByteArray("NULL");
}

void TestNoteListing::noteDaysAreThoseOfTheQuery()
{
    QFETCH(QByteArray, note);
    TestStore t;
    seed(t, 3);
    writeElsewhere(t, "INSERT INTO calendar (fecha, nota, festivo, alarma, Color) VALUES (36000, " +
                          note + ", 0, 0, 5)");
    const auto kept = t.store->days().noteDays();
    t.store->runListing(ListingRequest::allNotes());
    QCOMPARE(t.store->listing().recordCount(), int(kept->size()));
    QCOMPARE(NoteListing::run(t.db(), ListingRequest::allNotes()).recordCount(), int(kept->size()));
}

void TestNoteListing::listingKeepsItsDaysWhileTheBookChanges()
{
    TestStore t;
    seed(t, 7);
    t.store->runListing(ListingRequest::allNotes());
    Day day;
    day.date = QDate(1997, 1, 20);
    day.note = QStringLiteral("después");
    t.store->days().save(day);
    // The listing shown is the one the user asked for; the next one shows the new day.
    QCOMPARE(t.store->listing().recordCount(), 5);
    t.store->runListing(ListingRequest::allNotes());
    QCOMPARE(t.store->listing().recordCount(), 6);
    QCOMPARE(t.store->listing().noteAt(5), QStringLiteral("después"));
}

void TestNoteListing::longSpanCountedThenGathered_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("a slice at a time") << "slices";
    QTest::newRow("the last row looked at") << "last row";
    QTest::newRow("every row read for a printout") << "printout";
}

void TestNoteListing::longSpanCountedThenGathered()
{
    QFETCH(QString, how);
    TestStore t;
    seed(t, kLong);
    t.store->runListing(everyDay());
    NoteListing& listing = t.store->listing();
    QCOMPARE(listing.recordCount(), kLong);
    QVERIFY(!listing.gathered());

    if (how == QLatin1String("slices")) {
        int slices = 0;
        while (!listing.gatherSome(NoteListing::kEagerRows))
            ++slices;
        QCOMPARE(slices, 1);
    } else if (how == QLatin1String("last row")) {
        QCOMPARE(listing.dateAt(kLong - 1), kFirst.addDays(kLong - 1));
    } else {
        int rows = 0;
        listing.readRows(0, kLong, [&](int row, const QString&) { rows = row + 1; });
        QCOMPARE(rows, kLong);
    }
    QVERIFY(listing.gathered());
    for (int row : {0, NoteListing::kEagerRows, kLong / 2, kLong - 2})
        QCOMPARE(listing.dateAt(row), kFirst.addDays(row));
    QCOMPARE(listing.noteAt(kLong - 2), QStringLiteral("nota %1").arg(kLong - 2));
}

void TestNoteListing::longSpanKeepsTheDaysItCounted_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("a day saved inside the span") << "save";
    QTest::newRow("empty days pruned") << "prune";
    QTest::newRow("another program adds days") << "elsewhere";
}

void TestNoteListing::longSpanKeepsTheDaysItCounted()
{
    // The rows counted are the rows listed, in place, whatever is written while the rest of
    // the days are gathered; only their notes are read as they are now.
    QFETCH(QString, change);
    TestStore t;
    seed(t, kLong);
    t.store->runListing(everyDay());
    NoteListing& listing = t.store->listing();
    QVERIFY(!listing.gathered());
    const QDate late = kFirst.addDays(kLong + 10);
    if (change == QLatin1String("save")) {
        Day day;
        day.date = kFirst.addDays(kLong - 3);
        day.note = QStringLiteral("cambiada");
        t.store->days().save(day);
        day.date = late;
        t.store->days().save(day);
    } else if (change == QLatin1String("prune")) {
        QVERIFY(t.store->days().pruneEmpty() > 0); // the last day among them
    } else {
        writeElsewhere(t, QByteArray("INSERT INTO calendar (fecha, nota, festivo, alarma, Color) "
                                     "VALUES (") +
                              QByteArray::number(DatePattern::fromDate(late)) +
                              ", 'de otro programa', 0, 0, 5)");
    }
    while (!listing.gatherSome())
        ;
    QCOMPARE(listing.recordCount(), kLong);
    QCOMPARE(listing.dateAt(kLong - 1), kFirst.addDays(kLong - 1));
    QCOMPARE(listing.dateAt(kLong), QDate());
    if (change == QLatin1String("save"))
        QCOMPARE(listing.noteAt(kLong - 3), QStringLiteral("cambiada"));
    if (change == QLatin1String("prune"))
        QCOMPARE(listing.noteAt(kLong - 1), QString()); // pruned since: no note
}

void TestNoteListing::nextListingFinishesTheOneBefore()
{
    TestStore t;
    seed(t, kLong);
    t.store->runListing(everyDay());
    const NoteListing before = t.store->listing(); // held elsewhere, still being gathered
    QVERIFY(!before.gathered());
    t.store->runListing(everyDay());
    QVERIFY(before.gathered());
    QCOMPARE(before.dateAt(kLong - 1), kFirst.addDays(kLong - 1));
    QVERIFY(!t.store->listing().gathered());
    QCOMPARE(t.store->listing().dateAt(kLong - 1), kFirst.addDays(kLong - 1));
}

void TestNoteListing::storeClosedWhileGathering()
{
    auto t = std::make_unique<TestStore>();
    seed(*t, kLong);
    t->store->runListing(everyDay());
    const NoteListing held = t->store->listing();
    QVERIFY(!held.gathered());
    t.reset(); // the store goes first: the reading is dropped, nothing is left open
    QCOMPARE(held.recordCount(), kLong);
}

QTEST_GUILESS_MAIN(TestNoteListing)
#include "tst_notelisting.moc"
