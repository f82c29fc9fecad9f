#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "FakeSound.h"
#include "TestStore.h"
#include "month/AlarmWatcher.h"
#include "store/domain/StoreGuard.h"

#include <QDir>
#include <QtTest>

namespace {

const QDate kToday(1997, 3, 5);

QDateTime at(int hour, int minute, double seconds = 0)
{
    return QDateTime(kToday, QTime(hour, minute)).addMSecs(qint64(seconds * 1000));
}

// A watcher started at a given moment over a store of its own; its directory can be changed.
struct Alarm
{
    explicit Alarm(const QDateTime& start)
        : clock(start), directory(s.folder()),
          watcher(s.store->days(), clock, sound, boxes, guard, [this] { return directory; })
    {
    }

    void setAlarm(const QDate& day, const QVariant& alarma, const QVariant& hora)
    {
        s.addDay(day, {.nota = QStringLiteral("x"), .alarma = alarma, .hora = hora});
    }

    void tickAfter(double seconds)
    {
        clock.advanceMs(qint64(seconds * 1000));
        watcher.Timer1_Timer();
    }
    int rings() const { return int(boxes.calls().size()); }
    static QString wave(const QString& folder) { return QDir(folder).filePath("alarma.wav"); }

    TestStore s;
    FakeClock clock;
    FakeSound sound;
    FakeMessageBoxes boxes;
    StoreGuard guard{
        [](const StoreError& error, const QString&) { QFAIL(qPrintable(error.message())); }};
    QString directory;
    AlarmWatcher watcher;
};

} // namespace

class TestAlarmWatcher : public QObject
{
    Q_OBJECT

private slots:
    void rings_data();
    void rings();
    void silentDays_data();
    void silentDays();
    void followsWorkingDirectory();
    void everyAlarmMinuteOnce_data();
    void everyAlarmMinuteOnce();
    void leavesSearchPoint_data();
    void leavesSearchPoint();
};

void TestAlarmWatcher::rings_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");

    QTest::newRow("plays alarma.wav and tells the time")
        << 1 << "A sonado la ALARMA a las 09:05" << int(MessageBoxes::Exclamation)
        << "¡¡¡Alarma!!!";
    QTest::newRow("no sound card: only says so")
        << 0 << "No hay tarjeta de sonido instalada" << int(MessageBoxes::OkOnly) << "Tarvelo";
}

void TestAlarmWatcher::rings()
{
    QFETCH(int, devices);
    QFETCH(QString, prompt);
    QFETCH(int, style);
    QFETCH(QString, title);

    Alarm a(at(9, 5, 30));
    a.sound.devices = devices;
    a.setAlarm(kToday, 1, DatePattern::fromTime(9, 5));
    a.tickAfter(0);
    QCOMPARE(a.rings(), 1);
    QCOMPARE(a.boxes.calls().first().prompt, prompt);
    QCOMPARE(a.boxes.calls().first().style, style);
    QCOMPARE(a.boxes.calls().first().title, title);
    QCOMPARE(a.sound.stops, devices > 0 ? 1 : 0);
    QCOMPARE(a.sound.played, devices > 0 ? QStringList{Alarm::wave(a.s.folder())} : QStringList());

    a.tickAfter(61.1); // the next minute: not again
    QCOMPARE(a.rings(), 1);
}

void TestAlarmWatcher::silentDays_data()
{
    QTest::addColumn<QDate>("day"); // invalid: no row at all
    QTest::addColumn<QVariant>("alarma");
    QTest::addColumn<QVariant>("hora");

    const QVariant nineOFive = DatePattern::fromTime(9, 5);
    QTest::newRow("the next day at the same time") << kToday.addDays(1) << QVariant(1) << nineOFive;
    QTest::newRow("the day before at the same time")
        << kToday.addDays(-1) << QVariant(1) << nineOFive;
    QTest::newRow("no row for today") << QDate() << QVariant(1) << nineOFive;
    QTest::newRow("alarm on without a time") << kToday << QVariant(1) << QVariant();
    QTest::newRow("alarm off at the time") << kToday << QVariant(0) << nineOFive;
}

void TestAlarmWatcher::silentDays()
{
    QFETCH(QDate, day);
    QFETCH(QVariant, alarma);
    QFETCH(QVariant, hora);

    Alarm a(at(9, 4, 10));
    if (day.isValid())
        a.setAlarm(day, alarma, hora);
    for (double after : {0, 60, 60})
        a.tickAfter(after);
    QCOMPARE(a.rings(), 0);
    QVERIFY(a.sound.played.isEmpty());
}

void TestAlarmWatcher::followsWorkingDirectory()
{
    Alarm a(at(9, 5, 1));
    a.setAlarm(kToday, 1, DatePattern::fromTime(9, 5));
    a.tickAfter(0);
    QTemporaryDir elsewhere;
    a.directory = elsewhere.path();
    // The day's time changed as the day editor changes it.
    Day day = *a.s.store->days().find(kToday);
    day.alarmTime = QTime(9, 6);
    a.s.store->days().save(day);
    a.tickAfter(60);
    QCOMPARE(a.sound.played,
             (QStringList{Alarm::wave(a.s.folder()), Alarm::wave(elsewhere.path())}));
}

void TestAlarmWatcher::everyAlarmMinuteOnce_data()
{
    QTest::addColumn<double>("start");    // seconds after 09:03:00 when the watcher starts
    QTest::addColumn<double>("interval"); // seconds between ticks

    QTest::newRow("late ticks from a minute's start") << 0.0 << 61.1;
    QTest::newRow("late ticks from mid-minute") << 30.0 << 61.1;
    QTest::newRow("late ticks from a minute's end") << 58.9 << 61.1;
    QTest::newRow("late ticks from its last second") << 59.9 << 61.1;
    QTest::newRow("early ticks from its last second") << 59.9 << 58.9;
    QTest::newRow("ticks twice a minute") << 59.9 << 30.0;
    QTest::newRow("09:04:59.5 then 09:06:00.6 skips the minute") << 119.5 << 61.1;
    QTest::newRow("started within the alarm's minute") << 140.0 << 61.1;
}

void TestAlarmWatcher::everyAlarmMinuteOnce()
{
    QFETCH(double, start);
    QFETCH(double, interval);

    Alarm a(at(9, 3, start));
    a.setAlarm(kToday, 1, DatePattern::fromTime(9, 5));
    // Silent before 09:05, then rung once by the first tick at or after it.
    for (a.tickAfter(0); a.clock.now() < at(9, 8); a.tickAfter(interval))
        QCOMPARE(a.rings(), a.clock.now() >= at(9, 5) ? 1 : 0);
    QCOMPARE(a.rings(), 1);
    QCOMPARE(a.sound.played.size(), 1);
}

void TestAlarmWatcher::leavesSearchPoint_data()
{
    QTest::addColumn<bool>("forwards");
    QTest::addColumn<bool>("ringing");
    QTest::addColumn<QDate>("begun"); // what the search found before the tick
    QTest::addColumn<QDate>("next");  // and found after it

    const QDate first = kToday.addDays(-4);
    const QDate before = kToday.addDays(-2);
    const QDate after = kToday.addDays(2);
    const QDate last = kToday.addDays(4);
    QTest::newRow("on, silent tick") << true << false << first << before;
    QTest::newRow("on, ringing tick") << true << true << first << before;
    QTest::newRow("back, silent tick") << false << false << last << after;
    QTest::newRow("back, ringing tick") << false << true << last << after;
}

void TestAlarmWatcher::leavesSearchPoint()
{
    QFETCH(bool, forwards);
    QFETCH(bool, ringing);
    QFETCH(QDate, begun);
    QFETCH(QDate, next);

    Alarm a(ringing ? at(9, 5, 30) : at(9, 4, 30));
    for (int offset : {-4, -2, 2, 4})
        a.s.addNote(kToday.addDays(offset), QStringLiteral("cita"));
    a.setAlarm(kToday, 1, DatePattern::fromTime(9, 5)); // today's note is not looked for
    SearchPoint& point = a.s.store->searchPoint();
    const auto direction =
        forwards ? SearchPoint::Direction::Forwards : SearchPoint::Direction::Backwards;
    const NoteMatch match(NoteMatch::prepare(QStringLiteral("cita"), false), false);

    QCOMPARE(point.begin(direction, match).date, begun);
    a.tickAfter(0);
    QCOMPARE(a.rings(), ringing ? 1 : 0);
    const SearchPoint::Result found = point.next(direction, match);
    QCOMPARE(found.kind, SearchPoint::Result::Found);
    QCOMPARE(found.date, next);
}

QTEST_MAIN(TestAlarmWatcher)
#include "tst_alarmwatcher.moc"
