// A day changed here and on the server, put together three ways; and a day read back from the
// body sent for it is the day as the server keeps it.
#include "sync/DayContent.h"
#include "sync/Multistatus.h"
#include "sync/SyncError.h"
#include "sync/ThreeWayMerge.h"

#include <QTest>

#include <optional>

namespace {

const QDate kDate(2026, 3, 5);

// A day written the way the rows read: note, then the marks that are set.
Day day(const QString& note, bool holiday = false, std::optional<QTime> alarm = std::nullopt,
        DayColour colour = DayColours::kNeutral)
{
    Day d;
    d.date = kDate;
    d.note = note;
    d.holiday = holiday;
    d.alarmOn = alarm.has_value();
    d.alarmTime = alarm;
    d.colour = colour;
    return DayContent::canonical(d);
}

const std::optional<Day> kNew = std::nullopt;

} // namespace

Q_DECLARE_METATYPE(Day)
Q_DECLARE_METATYPE(std::optional<Day>)

class TestDayMerge : public QObject
{
    Q_OBJECT

private slots:
    void merge_data()
    {
        QTest::addColumn<std::optional<Day>>("base");
        QTest::addColumn<Day>("local");
        QTest::addColumn<Day>("remote");
        QTest::addColumn<Day>("expected");
        QTest::addColumn<bool>("joined");

        const Day a = day(QStringLiteral("Dentista"));
        QTest::newRow("changed here only")
            << std::optional(a) << day("Dentista 10h") << a << day("Dentista 10h") << false;
        QTest::newRow("changed there only")
            << std::optional(a) << a << day("Médico") << day("Médico") << false;
        QTest::newRow("both changed the note: both kept")
            << std::optional(a) << day("Dentista 10h") << day("Dentista mañana")
            << day("Dentista 10h · Dentista mañana") << true;
        QTest::newRow("both made the same change")
            << std::optional(a) << day("X") << day("X") << day("X") << false;
        QTest::newRow("both changed the holiday mark: the server's")
            << std::optional(day("N", true)) << day("N", false, QTime(9, 0)) << day("N", false)
            << day("N", false, QTime(9, 0)) << false;
        QTest::newRow("both changed the colour: the server's")
            << std::optional(a) << day("Dentista", false, {}, DayColour::Azul)
            << day("Dentista", false, {}, DayColour::Verde)
            << day("Dentista", false, {}, DayColour::Verde) << true;
        QTest::newRow("both changed the alarm: the server's")
            << std::optional(day("A", false, QTime(8, 0))) << day("A", false, QTime(9, 0))
            << day("A", false, QTime(10, 30)) << day("A", false, QTime(10, 30)) << true;
        QTest::newRow("a mark here, the note there: both stand")
            << std::optional(a) << day("Dentista", true) << day("Médico") << day("Médico", true)
            << false;
        QTest::newRow("deleted here, edited there: the edit")
            << std::optional(a) << day("") << day("Médico", true) << day("Médico", true) << false;
        QTest::newRow("edited here, deleted there: the edit")
            << std::optional(a) << day("Dentista", true) << day("") << day("Dentista", true)
            << false;
        QTest::newRow("deleted there, untouched here: deleted")
            << std::optional(a) << a << day("") << day("") << false;
        QTest::newRow("new on both sides: both notes, the server's marks")
            << kNew << day("Aquí", false, {}, DayColour::Azul)
            << day("Allí", false, {}, DayColour::Negro)
            << day("Aquí · Allí", false, {}, DayColour::Negro) << true;
        QTest::newRow("new on both sides, one holding the other")
            << kNew << day("Cena · Cine") << day("Cine") << day("Cena · Cine") << true;
    }
    void merge()
    {
        QFETCH(std::optional<Day>, base);
        QFETCH(Day, local);
        QFETCH(Day, remote);
        QFETCH(Day, expected);
        QFETCH(bool, joined);
        const ThreeWayMerge::Result result = ThreeWayMerge::merge(base, local, remote);
        QCOMPARE(result.day.note, expected.note);
        QCOMPARE(result.day, expected);
        QCOMPARE(result.joined, joined);
    }

    // Local changes are found by comparing each day with what was last sent: a day must read
    // back from its own body as exactly its canonical form, or it would be sent at every sync.
    void roundTrip_data()
    {
        QTest::addColumn<Day>("stored");
        Day d;
        d.date = kDate;
        const auto with = [&d](auto change) {
            Day copy = d;
            change(copy);
            return copy;
        };
        QTest::newRow("note") << with([](Day& x) { x.note = QStringLiteral("Dentista"); });
        QTest::newRow("accents, separators, commas and semicolons")
            << with([](Day& x) { x.note = QStringLiteral("Año nuevo · cañas; té, ¿sí?"); });
        QTest::newRow("note of blanks only, holiday") << with([](Day& x) {
            x.note = QStringLiteral("   ");
            x.holiday = true;
        });
        QTest::newRow("blanks around the note")
            << with([](Day& x) { x.note = QStringLiteral("  cena  "); });
        QTest::newRow("alarm with seconds, off colour") << with([](Day& x) {
            x.alarmOn = true;
            x.alarmTime = QTime(7, 45, 31);
            x.colour = DayColour::Verde;
        });
        QTest::newRow("alarm without a time") << with([](Day& x) { x.alarmOn = true; });
        QTest::newRow("alarm off keeps a time the server never sees") << with([](Day& x) {
            x.note = QStringLiteral("n");
            x.alarmTime = QTime(9, 0);
        });
        QTest::newRow("no colour at all") << with([](Day& x) {
            x.note = QStringLiteral("n");
            x.colour.reset();
        });
        QTest::newRow("long note") << with([](Day& x) { x.note = QString(300, u'x'); });
    }
    void roundTrip()
    {
        QFETCH(Day, stored);
        const DayContent::Read read =
            DayContent::read(DayContent::body(stored), QStringLiteral("prueba"));
        QVERIFY(read.ours);
        QCOMPARE(read.day.note, DayContent::canonical(stored).note);
        QCOMPARE(read.day, DayContent::canonical(stored));
    }

    // Another program's events bring their summary, with the time the user's clock shows.
    void foreignEvent_data()
    {
        QTest::addColumn<QByteArray>("event");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("all-day") << QByteArray("DTSTART;VALUE=DATE:20260305\r\nSUMMARY:Feria")
                                 << QDate(2026, 3, 5) << QStringLiteral("Feria");
        QTest::newRow("floating time") << QByteArray("DTSTART:20260305T173000\r\nSUMMARY:Tenis")
                                       << QDate(2026, 3, 5) << QStringLiteral("17:30 Tenis");
        QTest::newRow("time without a summary") << QByteArray("DTSTART:20260306T080000")
                                                << QDate(2026, 3, 6) << QStringLiteral("08:00");
    }
    void foreignEvent()
    {
        QFETCH(QByteArray, event);
        QFETCH(QDate, date);
        QFETCH(QString, text);
        const QByteArray body = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\n"
                                "BEGIN:VEVENT\r\nUID:abc-123\r\nDTSTAMP:20260101T000000Z\r\n" +
                                event + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const DayContent::Read read = DayContent::read(body, QStringLiteral("movil.ics"));
        QVERIFY(!read.ours);
        QCOMPARE(read.date, date);
        QCOMPARE(read.text, text);
    }

    // What a server answers is read within limits, or refused with the server named.
    void multistatusRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("cause");
        const QByteArray ok = "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/a/b.ics"
                              "</d:href></d:response></d:multistatus>";
        QTest::newRow("not XML") << QByteArray("hola, esto no es XML")
                                 << QStringLiteral("no es XML válido");
        QTest::newRow("cut short") << ok.left(40) << QStringLiteral("no es XML válido");
        QTest::newRow("another root")
            << QByteArray("<html xmlns=\"DAV:\"/>") << QStringLiteral("multistatus");
        QTest::newRow("a DTD with entities")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaa\"><!ENTITY b "
                          "\"&a;&a;&a;&a;\">]><d:multistatus xmlns:d=\"DAV:\">&b;"
                          "</d:multistatus>")
            << QStringLiteral("DTD");
        QTest::newRow("an entity without a DTD")
            << QByteArray("<d:multistatus xmlns:d=\"DAV:\">&x;</d:multistatus>")
            << QStringLiteral("no es XML válido");
        QByteArray deep = "<d:multistatus xmlns:d=\"DAV:\"><d:response>";
        for (int i = 0; i < 100; ++i)
            deep += "<x>";
        QTest::newRow("nested too deep") << deep << QStringLiteral("anida más de 32");
        QTest::newRow("an href on another server")
            << QByteArray("<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>"
                          "https://otro.example/a.ics</d:href></d:response></d:multistatus>")
            << QStringLiteral("remite a otro servidor");
        QTest::newRow("a response without href")
            << QByteArray("<d:multistatus xmlns:d=\"DAV:\"><d:response/></d:multistatus>")
            << QStringLiteral("falta href");
    }
    void multistatusRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, cause);
        try {
            Multistatus::read(body, QUrl(QStringLiteral("http://127.0.0.1:5232/a/")),
                              QStringLiteral("127.0.0.1"));
            QFAIL("read a body it should refuse");
        } catch (const SyncError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("«127.0.0.1»")),
                     qPrintable(error.message()));
            QVERIFY2(error.message().contains(cause), qPrintable(error.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestDayMerge)
#include "tst_daymerge.moc"
