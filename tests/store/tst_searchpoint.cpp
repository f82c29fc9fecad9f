#include "HeldNotes.h"
#include "TestStore.h"
#include "store/domain/DayBook.h"
#include "store/domain/SearchPoint.h"

#include <QTest>

namespace {

using Direction = SearchPoint::Direction;

// Days 1..5 of May 1997 with the notes "a1".."a5"; day 3 has an empty note.
struct Point
{
    Point()
    {
        for (int d = 1; d <= 5; ++d)
            t.addNote(QDate(1997, 5, d), d == 3 ? QString() : QStringLiteral("a%1").arg(d));
    }
    SearchPoint& point() { return t.store->searchPoint(); }
    QString step(Direction direction, bool begin = false)
    {
        const NoteMatch match(NoteMatch::prepare(QStringLiteral("a"), false), false);
        const SearchPoint::Result r =
            begin ? point().begin(direction, match) : point().next(direction, match);
        switch (r.kind) {
        case SearchPoint::Result::Found:
            return r.date.toString(QStringLiteral("d")) + QLatin1Char(':') + r.note;
        case SearchPoint::Result::NotFound:
            return QStringLiteral("fin");
        case SearchPoint::Result::NoDays:
            return QStringLiteral("vacío");
        }
        return {};
    }
    TestStore t;
};

} // namespace

class TestSearchPoint : public QObject
{
    Q_OBJECT

private slots:
    void walksBothWays();
    void goesOnFromWhereTheUserPlacedIt_data();
    void goesOnFromWhereTheUserPlacedIt();
    void readingADayNeverMovesIt();
    void findsNotesWaitingInTheList();
    void emptyStore();
    void dayWithoutDateStopsNoWalk_data();
    void dayWithoutDateStopsNoWalk();
    void goesOnAfterTheDaysChanged_data();
    void goesOnAfterTheDaysChanged();
};

void TestSearchPoint::walksBothWays()
{
    Point p;
    QCOMPARE(p.step(Direction::Backwards, true), QStringLiteral("5:a5"));
    QCOMPARE(p.step(Direction::Backwards), QStringLiteral("4:a4"));
    QCOMPARE(p.step(Direction::Backwards), QStringLiteral("2:a2"));
    QCOMPARE(p.step(Direction::Forwards), QStringLiteral("4:a4"));
    QCOMPARE(p.step(Direction::Forwards), QStringLiteral("5:a5"));
    QCOMPARE(p.step(Direction::Forwards), QStringLiteral("fin"));
    QVERIFY(p.point().atEnd());
    QCOMPARE(p.step(Direction::Forwards), QStringLiteral("fin"));
}

void TestSearchPoint::goesOnFromWhereTheUserPlacedIt_data()
{
    QTest::addColumn<QDate>("placed");
    QTest::addColumn<QString>("forwards");
    QTest::addColumn<QString>("backwards");

    QTest::newRow("on a stored day") << QDate(1997, 5, 2) << "4:a4"
                                     << "1:a1";
    QTest::newRow("on a day without row") << QDate(1997, 4, 30) << "1:a1"
                                          << "fin";
    QTest::newRow("after the last day") << QDate(1997, 6, 1) << "fin"
                                        << "5:a5";
}

void TestSearchPoint::goesOnFromWhereTheUserPlacedIt()
{
    QFETCH(QDate, placed);
    QFETCH(QString, forwards);
    QFETCH(QString, backwards);

    Point p;
    p.point().placeAt(placed);
    QCOMPARE(p.step(Direction::Forwards), forwards);
    p.point().placeAt(placed);
    QCOMPARE(p.step(Direction::Backwards), backwards);
}

void TestSearchPoint::readingADayNeverMovesIt()
{
    Point p;
    QCOMPARE(p.step(Direction::Forwards, true), QStringLiteral("1:a1"));
    // What the alarm does every minute: it reads today's day, not through the point.
    p.t.store->days().find(QDate(1997, 5, 5));
    p.t.store->days().between(QDate(1997, 5, 1), QDate(1997, 5, 31));
    QCOMPARE(p.step(Direction::Forwards), QStringLiteral("2:a2"));
}

void TestSearchPoint::findsNotesWaitingInTheList()
{
    Point p;
    HeldNotes held(p.t.store->days());
    held.notes[QDate(1997, 5, 3)] = QStringLiteral("a3 tecleada");
    p.point().placeAt(QDate(1997, 5, 2));
    QCOMPARE(p.step(Direction::Forwards), QStringLiteral("3:a3 tecleada"));
}

void TestSearchPoint::emptyStore()
{
    TestStore t;
    const NoteMatch match(QString(), false);
    QCOMPARE(t.store->searchPoint().begin(Direction::Forwards, match).kind,
             SearchPoint::Result::NoDays);
    QVERIFY(!t.store->searchPoint().toFirst());
    QVERIFY(t.store->searchPoint().atEnd());
}

void TestSearchPoint::dayWithoutDateStopsNoWalk_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("forwards") << int(Direction::Forwards)
                              << QStringList{"1:a1", "2:a2", "4:a4", "5:a5", "fin"};
    QTest::newRow("backwards") << int(Direction::Backwards)
                               << QStringList{"5:a5", "4:a4", "2:a2", "1:a1", "fin"};
}

// Another program's row without a date (with a note that matches) sorts before every day; a
// walk that compared with its Null stopped there, so that the forward search found nothing.
void TestSearchPoint::dayWithoutDateStopsNoWalk()
{
    QFETCH(int, direction);
    QFETCH(QStringList, found);
    Point p;
    p.t.remake({QStringLiteral("DROP INDEX Fecha"),
                QStringLiteral("CREATE INDEX Fecha ON calendar (fecha)"),
                QStringLiteral("CREATE TABLE sin (fecha REAL, nota TEXT, festivo INTEGER, "
                               "alarma INTEGER, hora REAL, Color INTEGER)"),
                QStringLiteral("INSERT INTO sin SELECT * FROM calendar"),
                QStringLiteral("INSERT INTO sin (fecha, nota) VALUES (NULL, 'a sin fecha')"),
                QStringLiteral("DROP TABLE calendar"),
                QStringLiteral("ALTER TABLE sin RENAME TO "
                               "calendar"),
                QStringLiteral("CREATE INDEX Fecha ON calendar (fecha)")});
    QStringList steps;
    steps << p.step(Direction(direction), true);
    while (steps.size() < found.size())
        steps << p.step(Direction(direction));
    QCOMPARE(steps, found);
}

void TestSearchPoint::goesOnAfterTheDaysChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("forwards");
    QTest::addColumn<QString>("backwards");

    // The search stands on 2 May ("a2"); between the two steps the days change.
    QTest::newRow("nothing changed") << ""
                                     << "4:a4"
                                     << "1:a1";
    QTest::newRow("the day found deleted") << "delete 2"
                                           << "4:a4"
                                           << "1:a1";
    QTest::newRow("the next day deleted") << "delete 4"
                                          << "5:a5"
                                          << "1:a1";
    QTest::newRow("a matching day saved just after") << "save 3 a3"
                                                     << "3:a3"
                                                     << "1:a1";
    QTest::newRow("the day found saved without the text") << "save 2 b"
                                                          << "4:a4"
                                                          << "1:a1";
    QTest::newRow("every day deleted") << "delete all"
                                       << "fin"
                                       << "fin";
}

void TestSearchPoint::goesOnAfterTheDaysChanged()
{
    QFETCH(QString, change);
    QFETCH(QString, forwards);
    QFETCH(QString, backwards);
    for (const Direction direction : {Direction::Forwards, Direction::Backwards}) {
        Point p;
        QCOMPARE(p.step(Direction::Forwards, true), QStringLiteral("1:a1"));
        QCOMPARE(p.step(Direction::Forwards), QStringLiteral("2:a2"));
        const QStringList words = change.split(QLatin1Char(' '));
        if (words[0] == QLatin1String("delete")) {
            p.t.db().execute(
                words[1] == QLatin1String("all")
                    ? QStringLiteral("DELETE FROM calendar")
                    : QStringLiteral("DELETE FROM calendar WHERE fecha = %1")
                          .arg(DatePattern::fromDate(QDate(1997, 5, words[1].toInt()))));
        } else if (words[0] == QLatin1String("save")) {
            Day day;
            day.date = QDate(1997, 5, words[1].toInt());
            day.note = words[2];
            p.t.store->days().save(day);
        }
        QCOMPARE(p.step(direction), direction == Direction::Forwards ? forwards : backwards);
    }
}

QTEST_GUILESS_MAIN(TestSearchPoint)
#include "tst_searchpoint.moc"
