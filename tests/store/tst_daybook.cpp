#include "HeldNotes.h"
#include "TestStore.h"
#include "store/domain/DayBook.h"
#include "store/sqlite/StoreError.h"

#include <QTest>

namespace {

const QDate kMarch5(1997, 3, 5);

QString describe(const std::optional<Day>& day)
{
    if (!day)
        return QStringLiteral("none");
    return QStringLiteral("%1 [%2] %3 %4 %5 %6")
        .arg(day->date.toString(Qt::ISODate), day->note,
             day->holiday ? QStringLiteral("festivo") : QStringLiteral("-"),
             day->alarmOn ? QStringLiteral("alarma") : QStringLiteral("-"),
             day->alarmTime ? day->alarmTime->toString(QStringLiteral("HH:mm"))
                            : QStringLiteral("--:--"),
             day->colour ? DayColours::name(*day->colour) : QStringLiteral("?"));
}

} // namespace

class TestDayBook : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatAnyProgramStored_data();
    void readsWhatAnyProgramStored();
    void findsNothingWithoutRow();
    void twoRowsForOneDayReadAsTheOlder();
    void saveWrites_data();
    void saveWrites();
    void saveTwiceKeepsOneRow();
    void addWritesANewDayAsSaveWould_data();
    void addWritesANewDayAsSaveWould();
    void betweenIsInclusiveAndSkipsNoDays();
    void firstAndLast();
    void pruneLooksAtTheLatestDaysOnly();
    void pruneKeeps_data();
    void pruneKeeps();
    void stagedNoteIsWrittenBeforeItsDayIsRead();
    void stagedNoteThenSaveKeepsTheSave();
    void stagedNoteOfAnotherDayWaits();
    void stagedNoteOfAVanishedDay();
    void fieldNamedLikeTheRowNumber_data();
    void fieldNamedLikeTheRowNumber();
    void dayWithoutDateIsNoDay();
};

void TestDayBook::readsWhatAnyProgramStored_data()
{
    QTest::addColumn<QVariant>("nota");
    QTest::addColumn<QVariant>("festivo");
    QTest::addColumn<QVariant>("alarma");
    QTest::addColumn<QVariant>("hora");
    QTest::addColumn<QVariant>("color");
    QTest::addColumn<QString>("expected");

    const QVariant none;
    QTest::newRow("as the program writes it")
        << QVariant("nota") << QVariant(1) << QVariant(1) << QVariant(DatePattern::fromTime(9, 5))
        << QVariant(13) << "1997-03-05 [nota] festivo alarma 09:05 Verde";
    QTest::newRow("older store's true is -1")
        << QVariant("") << QVariant(-1) << QVariant(-1) << QVariant(DatePattern::fromTime(23, 59))
        << QVariant(1) << "1997-03-05 [] festivo alarma 23:59 Azul";
    QTest::newRow("nulls everywhere")
        << none << none << none << none << none << "1997-03-05 [] - - --:-- ?";
    QTest::newRow("colour the program never writes")
        << QVariant("x") << QVariant(0) << QVariant(0) << none << QVariant(7)
        << "1997-03-05 [x] - - --:-- ?";
    QTest::newRow("time kept as text by another program")
        << QVariant("x") << QVariant(0) << QVariant(1) << QVariant("0.5") << QVariant(9)
        << "1997-03-05 [x] - alarma 12:00 Negro";
}

void TestDayBook::readsWhatAnyProgramStored()
{
    QFETCH(QVariant, nota);
    QFETCH(QVariant, festivo);
    QFETCH(QVariant, alarma);
    QFETCH(QVariant, hora);
    QFETCH(QVariant, color);
    QFETCH(QString, expected);

    TestStore t;
    t.addDay(kMarch5,
             {.nota = nota, .festivo = festivo, .alarma = alarma, .hora = hora, .color = color});
    QCOMPARE(describe(t.store->days().find(kMarch5)), expected);
}

void TestDayBook::findsNothingWithoutRow()
{
    TestStore t;
    t.addNote(kMarch5.addDays(1), QStringLiteral("al lado"));
    QCOMPARE(describe(t.store->days().find(kMarch5)), QStringLiteral("none"));
    QCOMPARE(describe(t.store->days().find(QDate())), QStringLiteral("none"));
}

void TestDayBook::twoRowsForOneDayReadAsTheOlder()
{
    TestStore t;
    t.db().execute(QStringLiteral("DROP INDEX Fecha"));
    t.db().execute(QStringLiteral("CREATE INDEX Fecha ON calendar (fecha)"));
    t.addNote(kMarch5, QStringLiteral("primera"));
    t.addNote(kMarch5, QStringLiteral("segunda"));
    DayBook& days = t.store->days();
    QCOMPARE(days.find(kMarch5)->note, QStringLiteral("primera"));
    QCOMPARE(days.between(kMarch5, kMarch5).size(), std::size_t(1));

    Day day = *days.find(kMarch5);
    day.note = QStringLiteral("cambiada");
    days.save(day);
    Listing rows = Listing::run(t.db(), QStringLiteral("SELECT nota FROM calendar ORDER BY rowid"));
    QCOMPARE(rows.at(0, 0).toString(), QStringLiteral("cambiada"));
    QCOMPARE(rows.at(1, 0).toString(), QStringLiteral("segunda"));
}

void TestDayBook::saveWrites_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("alarmOn");
    QTest::addColumn<bool>("withColour");
    QTest::addColumn<QString>("expected"); // festivo alarma hora Color nota typeof(nota)

    // An existing day stores 08:00, Negro, "antes".
    QTest::newRow("new day, alarm and colour")
        << false << true << true << "1 1 09:05 13 [ahora] text";
    QTest::newRow("new day, alarm off, no colour")
        << false << false << false << "1 0 --:-- NULL [ahora] text";
    QTest::newRow("alarm off keeps the stored time")
        << true << false << true << "1 0 08:00 13 [ahora] text";
    QTest::newRow("no colour keeps the stored one")
        << true << true << false << "1 1 09:05 9 [ahora] text";
}

void TestDayBook::saveWrites()
{
    QFETCH(bool, existing);
    QFETCH(bool, alarmOn);
    QFETCH(bool, withColour);
    QFETCH(QString, expected);

    TestStore t;
    if (existing) {
        t.addDay(kMarch5, {.nota = QStringLiteral("antes"),
                           .alarma = 1,
                           .hora = DatePattern::fromTime(8, 0),
                           .color = 9});
    }
    Day day;
    day.date = kMarch5;
    day.note = QStringLiteral("ahora");
    day.holiday = true;
    day.alarmOn = alarmOn;
    day.alarmTime = QTime(9, 5);
    if (withColour)
        day.colour = DayColour::Verde;
    t.store->days().save(day);

    const QVariantList row = t.dayRow(kMarch5);
    QCOMPARE(row.size(), 6);
    const QString hora = row[2].isNull()
                             ? QStringLiteral("--:--")
                             : DatePattern::format(row[2].toDouble(), QStringLiteral("hh:nn"));
    QCOMPARE(QStringLiteral("%1 %2 %3 %4 [%5] %6")
                 .arg(row[0].toString(), row[1].toString(), hora,
                      row[3].isNull() ? QStringLiteral("NULL") : row[3].toString(),
                      row[4].toString(), row[5].toString()),
             expected);
}

void TestDayBook::saveTwiceKeepsOneRow()
{
    TestStore t;
    Day day;
    day.date = kMarch5;
    t.store->days().save(day);
    day.note = QStringLiteral("dos");
    t.store->days().save(day);
    QCOMPARE(t.dayCount(), 1);
    QCOMPARE(t.storedNote(kMarch5), QStringLiteral("dos"));
}

void TestDayBook::addWritesANewDayAsSaveWould_data()
{
    QTest::addColumn<bool>("alarmOn");
    QTest::addColumn<bool>("withColour");

    QTest::newRow("alarm and colour") << true << true;
    QTest::newRow("alarm off keeps no time") << false << true;
    QTest::newRow("no colour") << true << false;
}

void TestDayBook::addWritesANewDayAsSaveWould()
{
    QFETCH(bool, alarmOn);
    QFETCH(bool, withColour);

    Day day;
    day.date = kMarch5;
    day.note = QStringLiteral("nueva");
    day.holiday = true;
    day.alarmOn = alarmOn;
    day.alarmTime = QTime(23, 59);
    if (withColour)
        day.colour = DayColour::Azul;
    TestStore saved;
    saved.store->days().save(day);
    TestStore added;
    added.store->days().add(day);
    QCOMPARE(added.dayRow(kMarch5), saved.dayRow(kMarch5));
    QCOMPARE(added.dayCount(), 1);
    // Where the index is unique, as tarvelo-db makes it, a second row is refused.
    QVERIFY_THROWS_EXCEPTION(StoreError, added.store->days().add(day));
}

void TestDayBook::betweenIsInclusiveAndSkipsNoDays()
{
    TestStore t;
    for (int d : {0, 1, 15, 30, 31})
        t.addNote(QDate(1997, 3, 1).addDays(d), QString::number(d));
    t.addDay(DatePattern::fromDate(QDate(1997, 3, 10)) + 0.5, {.nota = QStringLiteral("mediodía")});

    QStringList found;
    for (const Day& day : t.store->days().between(QDate(1997, 3, 1), QDate(1997, 3, 31)))
        found << day.date.toString(QStringLiteral("d")) + QLatin1Char('=') + day.note;
    QCOMPARE(found, QStringList({"1=0", "2=1", "16=15", "31=30"}));
}

void TestDayBook::firstAndLast()
{
    TestStore t;
    QVERIFY(!t.store->days().first());
    QVERIFY(!t.store->days().last());
    t.addNote(QDate(2030, 1, 1), QStringLiteral("b"));
    t.addNote(QDate(1900, 6, 1), QStringLiteral("a"));
    t.addNote(QDate(9999, 12, 31), QStringLiteral("c"));
    QCOMPARE(*t.store->days().first(), QDate(1900, 6, 1));
    QCOMPARE(*t.store->days().last(), QDate(9999, 12, 31));
}

void TestDayBook::pruneLooksAtTheLatestDaysOnly()
{
    TestStore t;
    // 100 days; every fifth carries nothing.
    std::vector<std::pair<QDate, TestStore::DayRow>> rows;
    for (int i = 0; i < 100; ++i) {
        rows.emplace_back(
            QDate(2020, 1, 1).addDays(i),
            TestStore::DayRow{.nota = i % 5 == 0 ? QString() : QStringLiteral("n%1").arg(i)});
    }
    t.addDays(rows);

    QCOMPARE(t.store->days().pruneEmpty(), 12); // days 40, 45 ... 95
    QCOMPARE(t.dayCount(), 88);
    QVERIFY(!t.dayRow(QDate(2020, 1, 1).addDays(35)).isEmpty());
    QVERIFY(t.dayRow(QDate(2020, 1, 1).addDays(40)).isEmpty());
}

void TestDayBook::pruneKeeps_data()
{
    QTest::addColumn<QVariant>("nota");
    QTest::addColumn<QVariant>("festivo");
    QTest::addColumn<QVariant>("alarma");
    QTest::addColumn<QVariant>("color");
    QTest::addColumn<bool>("kept");

    const QVariant none;
    QTest::newRow("nothing at all")
        << QVariant("") << QVariant(0) << QVariant(0) << QVariant(5) << false;
    QTest::newRow("a note") << QVariant("x") << QVariant(0) << QVariant(0) << QVariant(5) << true;
    QTest::newRow("holiday as -1")
        << QVariant("") << QVariant(-1) << QVariant(0) << QVariant(5) << true;
    QTest::newRow("alarm") << QVariant("") << QVariant(0) << QVariant(1) << QVariant(5) << true;
    QTest::newRow("blue") << QVariant("") << QVariant(0) << QVariant(0) << QVariant(1) << true;
    QTest::newRow("null note") << none << QVariant(0) << QVariant(0) << QVariant(5) << true;
    QTest::newRow("null colour") << QVariant("") << QVariant(0) << QVariant(0) << none << true;
}

void TestDayBook::pruneKeeps()
{
    QFETCH(QVariant, nota);
    QFETCH(QVariant, festivo);
    QFETCH(QVariant, alarma);
    QFETCH(QVariant, color);
    QFETCH(bool, kept);

    TestStore t;
    t.addDay(kMarch5, {.nota = nota, .festivo = festivo, .alarma = alarma, .color = color});
    t.store->days().pruneEmpty();
    QCOMPARE(!t.dayRow(kMarch5).isEmpty(), kept);
}

void TestDayBook::stagedNoteIsWrittenBeforeItsDayIsRead()
{
    TestStore t;
    t.addNote(kMarch5, QStringLiteral("antes"));
    DayBook& days = t.store->days();
    HeldNotes held(days);
    held.notes[kMarch5] = QStringLiteral("tecleado en la lista");
    QCOMPARE(t.storedNote(kMarch5), QStringLiteral("antes")); // still waiting
    QCOMPARE(days.find(kMarch5)->note, QStringLiteral("tecleado en la lista"));
    QCOMPARE(t.storedNote(kMarch5), QStringLiteral("tecleado en la lista"));
    QVERIFY(held.notes.empty());
}

void TestDayBook::stagedNoteThenSaveKeepsTheSave()
{
    TestStore t;
    t.addNote(kMarch5, QStringLiteral("antes"));
    DayBook& days = t.store->days();
    HeldNotes held(days);
    held.notes[kMarch5] = QStringLiteral("de la lista");
    Day day;
    day.date = kMarch5;
    day.note = QStringLiteral("del editor");
    days.save(day);
    QCOMPARE(t.storedNote(kMarch5), QStringLiteral("del editor"));
    QVERIFY(held.notes.empty());
}

void TestDayBook::stagedNoteOfAnotherDayWaits()
{
    TestStore t;
    t.addNote(kMarch5, QStringLiteral("marzo"));
    t.addNote(QDate(1997, 4, 5), QStringLiteral("abril"));
    DayBook& days = t.store->days();
    HeldNotes held(days);
    held.notes[QDate(1997, 4, 5)] = QStringLiteral("abril cambiado");
    days.find(kMarch5);
    days.between(QDate(1997, 3, 1), QDate(1997, 3, 31));
    QCOMPARE(t.storedNote(QDate(1997, 4, 5)), QStringLiteral("abril"));
    QCOMPARE(held.notes.at(QDate(1997, 4, 5)), QStringLiteral("abril cambiado"));
    days.between(QDate(1997, 4, 1), QDate(1997, 4, 30));
    QCOMPARE(t.storedNote(QDate(1997, 4, 5)), QStringLiteral("abril cambiado"));
}

void TestDayBook::stagedNoteOfAVanishedDay()
{
    TestStore t;
    DayBook& days = t.store->days();
    HeldNotes held(days);
    held.notes[kMarch5] = QStringLiteral("sin fila");
    QVERIFY(!days.find(kMarch5));
    QCOMPARE(t.dayCount(), 0); // a note of the list never makes a day
    QVERIFY(held.notes.empty());
    QVERIFY(!days.writeNote(kMarch5, QStringLiteral("sin fila")));
    QCOMPARE(t.dayCount(), 0);
}

void TestDayBook::fieldNamedLikeTheRowNumber_data()
{
    QTest::addColumn<QString>("fields"); // what another program added to calendar, all set to 7
    QTest::newRow("rowid") << "rowid INTEGER DEFAULT 7";
    QTest::newRow("oid") << "oid INTEGER DEFAULT 7";
    QTest::newRow("_rowid_") << "_rowid_ INTEGER DEFAULT 7";
    QTest::newRow("rowid and _rowid_") << "rowid INTEGER DEFAULT 7, _rowid_ INTEGER DEFAULT 7";
}

// A field of that name hides the row number from a query; saving one day must still touch that
// day only, and every other walk and tidy-up must still see each day once.
void TestDayBook::fieldNamedLikeTheRowNumber()
{
    QFETCH(QString, fields);
    TestStore t;
    t.remake({QStringLiteral("DROP TABLE calendar"),
              QStringLiteral("CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT, festivo "
                             "INTEGER, alarma INTEGER, hora REAL, Color INTEGER, %1)")
                  .arg(fields),
              QStringLiteral("CREATE UNIQUE INDEX Fecha ON calendar (fecha)")});
    for (int d = 1; d <= 4; ++d)
        t.addNote(QDate(1997, 3, d), d == 4 ? QString() : QStringLiteral("día %1").arg(d));

    DayBook& days = t.store->days();
    Day second = *days.find(QDate(1997, 3, 2));
    second.note = QStringLiteral("cambiado");
    days.save(second);
    QCOMPARE(t.storedNote(QDate(1997, 3, 1)), QStringLiteral("día 1"));
    QCOMPARE(t.storedNote(QDate(1997, 3, 2)), QStringLiteral("cambiado"));
    QCOMPARE(t.storedNote(QDate(1997, 3, 3)), QStringLiteral("día 3"));

    QVERIFY(days.writeNote(QDate(1997, 3, 3), QStringLiteral("de la lista")));
    QCOMPARE(t.storedNote(QDate(1997, 3, 1)), QStringLiteral("día 1"));
    QCOMPARE(t.storedNote(QDate(1997, 3, 3)), QStringLiteral("de la lista"));

    QCOMPARE(days.between(QDate(1997, 3, 1), QDate(1997, 3, 31)).size(), std::size_t(4));
    QCOMPARE(days.pruneEmpty(), 1);
    QCOMPARE(t.dayCount(), 3);
}

// Another program may leave a row without a date: it is no day, and nothing stops at it.
void TestDayBook::dayWithoutDateIsNoDay()
{
    TestStore t;
    t.remake({QStringLiteral("DROP TABLE calendar"),
              QStringLiteral("CREATE TABLE calendar (fecha REAL, nota TEXT, festivo INTEGER, "
                             "alarma INTEGER, hora REAL, Color INTEGER)"),
              QStringLiteral("CREATE INDEX Fecha ON calendar (fecha)")});
    t.addNote(QDate(1997, 3, 1), QStringLiteral("primero"));
    t.db().execute(QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, Color) "
                                  "VALUES (NULL, '', 0, 0, 5)"));
    for (int d = 2; d <= 5; ++d)
        t.addNote(QDate(1997, 3, d), d % 2 ? QStringLiteral("día %1").arg(d) : QString());

    DayBook& days = t.store->days();
    QCOMPARE(*days.first(), QDate(1997, 3, 1));
    QCOMPARE(*days.last(), QDate(1997, 3, 5));
    QCOMPARE(days.between(QDate(1899, 1, 1), QDate(2100, 1, 1)).size(), std::size_t(5));
    QCOMPARE(days.pruneEmpty(), 2); // the 2nd and the 4th; the row without a date stays
    QCOMPARE(t.dayCount(), 4);
}

QTEST_GUILESS_MAIN(TestDayBook)
#include "tst_daybook.moc"
