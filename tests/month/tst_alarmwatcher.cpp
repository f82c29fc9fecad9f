#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "FakeSound.h"
#include "month/AlarmWatcher.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate kToday(1997, 3, 5);

QDateTime at(int hour, int minute, double seconds = 0)
{
    return QDateTime(kToday, QTime(hour, minute)).addMSecs(qint64(seconds * 1000));
}

// A watcher over a store of its own, started at a given moment, its directory settable.
struct Alarm
{
    explicit Alarm(const QDateTime& start) : clock(start)
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
        directory = dir.path();
        watcher = std::make_unique<AlarmWatcher>(clock, sound, boxes, [this] { return directory; });
        watcher->setStore(store.get());
    }

    void addDay(const QDate& day, const QVariant& alarma, const QVariant& hora)
    {
        Statement insert = store->dbCalendar->prepare(QStringLiteral(
            "INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
            "VALUES (?1, 'x', 0, ?2, ?3, 5)"));
        insert.bind(1, DatePattern::fromDate(day));
        insert.bind(2, alarma);
        insert.bind(3, hora);
        insert.execute();
        store->dbCalendar->noteWrite();
    }

    void setHora(const QDate& day, double hora)
    {
        Statement update = store->dbCalendar->prepare(
            QStringLiteral("UPDATE calendar SET hora = ?1 WHERE fecha = ?2"));
        update.bind(1, hora);
        update.bind(2, DatePattern::fromDate(day));
        update.execute();
        store->dbCalendar->noteWrite();
    }

    void tickAfter(double seconds)
    {
        clock.advanceMs(qint64(seconds * 1000));
        watcher->Timer1_Timer();
    }

    int rings() const { return int(boxes.calls().size()); }

    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;
    FakeClock clock;
    FakeSound sound;
    FakeMessageBoxes boxes;
    QString directory;
    std::unique_ptr<AlarmWatcher> watcher;
};

} // namespace

class TestAlarmWatcher : public QObject
{
    Q_OBJECT

private slots:
    void rings();
    void silentDays_data();
    void silentDays();
    void noSoundCard();
    void followsWorkingDirectory();
    void skippedMinutes_data();
    void skippedMinutes();
};

void TestAlarmWatcher::rings()
{
    Alarm a(at(9, 5, 30));
    a.addDay(kToday, 1, DatePattern::fromTime(9, 5));
    a.tickAfter(0);

    QCOMPARE(a.sound.stops, 1);
    QCOMPARE(a.sound.played, QStringList{QDir(a.dir.path()).filePath("alarma.wav")});
    QCOMPARE(a.rings(), 1);
    const auto& call = a.boxes.calls().first();
    QCOMPARE(call.prompt, QStringLiteral("A sonado la ALARMA a las 09:05"));
    QCOMPARE(call.style, int(MessageBoxes::Exclamation));
    QCOMPARE(call.title, QStringLiteral("¡¡¡Alarma!!!"));

    a.tickAfter(61.1);
    QCOMPARE(a.rings(), 1);
    QCOMPARE(a.sound.played.size(), 1);
}

void TestAlarmWatcher::silentDays_data()
{
    QTest::addColumn<QDate>("day"); // invalid: no row at all
    QTest::addColumn<QVariant>("alarma");
    QTest::addColumn<QVariant>("hora");

    const QVariant nineOFive = DatePattern::fromTime(9, 5);
    QTest::newRow("another day at the same time") << kToday.addDays(1) << QVariant(1) << nineOFive;
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
        a.addDay(day, alarma, hora);
    for (int tick = 0; tick < 3; ++tick)
        a.tickAfter(tick == 0 ? 0 : 60);
    QCOMPARE(a.rings(), 0);
    QVERIFY(a.sound.played.isEmpty());
}

void TestAlarmWatcher::noSoundCard()
{
    Alarm a(at(9, 5, 1));
    a.sound.devices = 0;
    a.addDay(kToday, 1, DatePattern::fromTime(9, 5));
    a.tickAfter(0);

    QCOMPARE(a.rings(), 1);
    const auto& call = a.boxes.calls().first();
    QCOMPARE(call.prompt, QStringLiteral("No hay tarjeta de sonido instalada"));
    QCOMPARE(call.style, int(MessageBoxes::OkOnly));
    QCOMPARE(call.title, QStringLiteral("Tarvelo"));
    QVERIFY(a.sound.played.isEmpty());
}

void TestAlarmWatcher::followsWorkingDirectory()
{
    Alarm a(at(9, 5, 1));
    a.addDay(kToday, 1, DatePattern::fromTime(9, 5));
    a.tickAfter(0);
    QTemporaryDir elsewhere;
    a.directory = elsewhere.path();
    a.setHora(kToday, DatePattern::fromTime(9, 6));
    a.tickAfter(60);

    QCOMPARE(a.sound.played, (QStringList{QDir(a.dir.path()).filePath("alarma.wav"),
                                          QDir(elsewhere.path()).filePath("alarma.wav")}));
}

void TestAlarmWatcher::skippedMinutes_data()
{
    QTest::addColumn<double>("start");    // seconds into 09:03 when the watcher starts
    QTest::addColumn<double>("interval"); // seconds between ticks

    QTest::newRow("ticks late from the minute's start") << 0.0 << 61.1;
    QTest::newRow("ticks late from mid-minute") << 30.0 << 61.1;
    QTest::newRow("ticks late from the minute's end") << 58.9 << 61.1;
    QTest::newRow("ticks late from its last second") << 59.9 << 61.1;
    QTest::newRow("ticks early from its last second") << 59.9 << 58.9;
    QTest::newRow("ticks twice a minute") << 59.9 << 30.0;
    QTest::newRow("one tick just before, one just after the minute") << 119.5 << 61.1;
    QTest::newRow("started within the alarm's minute") << 140.0 << 61.1;
}

void TestAlarmWatcher::skippedMinutes()
{
    QFETCH(double, start);
    QFETCH(double, interval);

    Alarm a(at(9, 3, start));
    a.addDay(kToday, 1, DatePattern::fromTime(9, 5));
    // Silent before 09:05, then rung once by the first tick at or after it.
    for (a.tickAfter(0); a.clock.now() < at(9, 8); a.tickAfter(interval))
        QCOMPARE(a.rings(), a.clock.now() >= at(9, 5) ? 1 : 0);
    QCOMPARE(a.rings(), 1);
    QCOMPARE(a.sound.played.size(), 1);
}

QTEST_MAIN(TestAlarmWatcher)
#include "tst_alarmwatcher.moc"
