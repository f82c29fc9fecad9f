#include "TestStore.h"
#include "store/DayBook.h"
#include "store/NoteListing.h"
#include "store/NoteQueries.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

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

} // namespace

class TestNoteListing : public QObject
{
    Q_OBJECT

private slots:
    void rowsOnEveryPage_data();
    void rowsOnEveryPage();
    void notesAreReadWhenLookedAt();
    void refusesWhatWouldWrite();
    void dayStoredTwice();
    void noteDaysFollowTheBook_data();
    void noteDaysFollowTheBook();
    void noteDaysReadAgainAfterOthersWrote();
    void listingKeepsItsDaysWhileTheBookChanges();
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
    t.store->runListing(NoteQueries::allNotes());
    const NoteListing& listing = t.store->listing();
    QCOMPARE(listing.recordCount(), 2000);
    QCOMPARE(listing.dateAt(row).toString(Qt::ISODate) + QLatin1Char(' ') + listing.noteAt(row),
             expected);
}

void TestNoteListing::notesAreReadWhenLookedAt()
{
    TestStore t;
    seed(t, 10);
    t.store->runListing(NoteQueries::period(kFirst, kFirst.addDays(9)));
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

void TestNoteListing::refusesWhatWouldWrite()
{
    TestStore t;
    seed(t, 3);
    bool refused = false;
    try {
        t.store->runListing(QStringLiteral("DELETE FROM calendar"));
    } catch (const StoreError&) {
        refused = true;
    }
    QVERIFY(refused);
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
    t.store->runListing(NoteQueries::allNotes());
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
    QTest::newRow("a note typed into the list") << "stage 4 tecleada" << 5;
    QTest::newRow("a note emptied in the list") << "stage 4 -" << 4;
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
    } else if (words[0] == QLatin1String("stage")) {
        days.stageNote(dayOf(words[1].toInt()),
                       words[2] == QLatin1String("-") ? QString() : words[2]);
        days.commitAllStaged();
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
    t.store->runListing(QStringLiteral("SELECT fecha, nota FROM calendar WHERE len(nota) > 0 "
                                       "ORDER BY fecha"));
    const NoteListing& fresh = t.store->listing();
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

void TestNoteListing::listingKeepsItsDaysWhileTheBookChanges()
{
    TestStore t;
    seed(t, 7);
    t.store->runListing(NoteQueries::allNotes());
    Day day;
    day.date = QDate(1997, 1, 20);
    day.note = QStringLiteral("después");
    t.store->days().save(day);
    // The listing shown is the one the user asked for; the next one shows the new day.
    QCOMPARE(t.store->listing().recordCount(), 5);
    t.store->runListing(NoteQueries::allNotes());
    QCOMPARE(t.store->listing().recordCount(), 6);
    QCOMPARE(t.store->listing().noteAt(5), QStringLiteral("después"));
}

QTEST_GUILESS_MAIN(TestNoteListing)
#include "tst_notelisting.moc"
