#include "IcsFixture.h"
#include "ical/IcsReader.h"

#include <QTest>

#include <algorithm>

using namespace IcsFixture;

namespace {

// A recurring event from its start line and rule lines.
QByteArray repeated(const QString& start, const QStringList& rules,
                    const QString& uid = QStringLiteral("serie"))
{
    return vevent(
        QStringList{"UID:" + uid, "DTSTAMP:20240101T000000Z", "DTSTART" + start, "SUMMARY:Serie"} +
        rules);
}

QDate d(int year, int month, int day)
{
    return QDate(year, month, day);
}

// The days the events bring, sorted, over the days from and to (invalid: the years the file
// speaks of, the year shown being 2025), in Madrid.
QStringList daysOf(const QByteArray& events, const QDate& from, const QDate& to,
                   ImportSummary& summary)
{
    ImportOptions options;
    options.shownYear = 2025;
    options.localZone = QTimeZone("Europe/Madrid");
    options.from = from;
    options.to = to;
    QStringList days;
    for (const EventDay& day :
         IcsReader::read(calendar(events), QStringLiteral("serie.ics"), options, summary))
        days << day.date.toString(QStringLiteral("yyyy-MM-dd"));
    days.sort(); // the events' days come in the order of the file
    return days;
}

} // namespace

class TestIcsRecurrence : public QObject
{
    Q_OBJECT

private slots:
    void repeatsOverTheDaysAskedFor_data();
    void repeatsOverTheDaysAskedFor();
    void coversEveryDayOfAnEvent_data();
    void coversEveryDayOfAnEvent();
    void endlessRuleFromLongAgoIsCutShort();
    void ruleTooLongToFollowIsReported();
};

void TestIcsRecurrence::repeatsOverTheDaysAskedFor_data()
{
    QTest::addColumn<QByteArray>("events");
    QTest::addColumn<QDate>("from"); // invalid: the year 2025, the default
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("outside");

    const QDate year;
    QTest::newRow("yearly on new year's eve, across two year ends")
        << repeated(";VALUE=DATE:20201231", {"RRULE:FREQ=YEARLY"}) << d(2024, 12, 1)
        << d(2026, 1, 31) << QStringList{"31/12/2024", "31/12/2025"} << 0;
    QTest::newRow("yearly on new year's day, the range on year ends")
        << repeated(";VALUE=DATE:19900101", {"RRULE:FREQ=YEARLY"}) << d(2024, 12, 31)
        << d(2026, 1, 1) << QStringList{"01/01/2025", "01/01/2026"} << 0;
    QTest::newRow("29 February only in leap years")
        << repeated(";VALUE=DATE:20000229", {"RRULE:FREQ=YEARLY"}) << d(2023, 1, 1)
        << d(2029, 12, 31) << QStringList{"29/02/2024", "29/02/2028"} << 0;
    QTest::newRow("the last day of February")
        << repeated(";VALUE=DATE:20230228", {"RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"})
        << d(2023, 1, 1) << d(2025, 12, 31) << QStringList{"28/02/2023", "29/02/2024", "28/02/2025"}
        << 0;
    QTest::newRow("monthly on the 29th skips a short February")
        << repeated(";VALUE=DATE:20250129", {"RRULE:FREQ=MONTHLY;COUNT=3"}) << year << year
        << QStringList{"29/01/2025", "29/03/2025", "29/04/2025"} << 0;
    QTest::newRow("weekly across the year end")
        << repeated(";VALUE=DATE:20251225", {"RRULE:FREQ=WEEKLY;COUNT=3"}) << d(2025, 12, 1)
        << d(2026, 1, 31) << QStringList{"25/12/2025", "01/01/2026", "08/01/2026"} << 0;
    QTest::newRow("the year shown and the next when no days are given")
        << repeated(";VALUE=DATE:20000101", {"RRULE:FREQ=YEARLY"}) << year << year
        << QStringList{"01/01/2025", "01/01/2026"} << 0;
    QTest::newRow("from the year of the earliest single event")
        << repeated(";VALUE=DATE:20000101", {"RRULE:FREQ=YEARLY"}) + allDay(d(2023, 5, 5), "Suelto")
        << year << year
        << QStringList{"01/01/2023", "01/01/2024", "01/01/2025", "01/01/2026", "05/05/2023"} << 0;
    QTest::newRow("days given bound single and recurring events alike")
        << repeated(";VALUE=DATE:20000101", {"RRULE:FREQ=YEARLY"}) +
               allDay(d(2023, 5, 5), "Suelto") + allDay(d(2024, 5, 5), "Otro")
        << d(2024, 1, 1) << d(2024, 12, 31) << QStringList{"01/01/2024", "05/05/2024"} << 1;
    QTest::newRow("three RDATE lines")
        << repeated(";VALUE=DATE:20250301",
                    {"RDATE;VALUE=DATE:20250401", "RDATE;VALUE=DATE:20250501",
                     "RDATE;VALUE=DATE:20250601"})
        << year << year << QStringList{"01/03/2025", "01/04/2025", "01/05/2025", "01/06/2025"} << 0;
    QTest::newRow("one RDATE with three dates")
        << repeated(";VALUE=DATE:20250301", {"RDATE;VALUE=DATE:20250401,20250501,20250601"}) << year
        << year << QStringList{"01/03/2025", "01/04/2025", "01/05/2025", "01/06/2025"} << 0;
    QTest::newRow("two RRULEs after an EXDATE")
        << repeated(";VALUE=DATE:20250106",
                    {"EXDATE;VALUE=DATE:20250113", "RRULE:FREQ=WEEKLY;COUNT=3",
                     "RRULE:FREQ=MONTHLY;COUNT=2"})
        << year << year << QStringList{"06/01/2025", "20/01/2025", "06/02/2025"} << 0;
    QTest::newRow("an override naming a zone the file does not describe")
        << repeated(";TZID=Europe/Madrid:20250106T100000", {"RRULE:FREQ=WEEKLY;COUNT=3"}) +
               vevent({"UID:serie", "DTSTAMP:20240101T000000Z",
                       "RECURRENCE-ID;TZID=Europe/Madrid:20250113T100000",
                       "DTSTART;TZID=Europe/Madrid:20250115T100000", "SUMMARY:Serie"})
        << year << year << QStringList{"06/01/2025", "15/01/2025", "20/01/2025"} << 0;
    QTest::newRow("a single event anywhere when no days are given")
        << allDay(d(1999, 7, 4), "Suelto") << year << year << QStringList{"04/07/1999"} << 0;
    QTest::newRow("a single event outside the days given")
        << allDay(d(1999, 7, 4), "Suelto") << d(2025, 1, 1) << d(2025, 12, 31) << QStringList{}
        << 1;
    QTest::newRow("a series that starts after the days given")
        << repeated(";VALUE=DATE:20300101", {"RRULE:FREQ=YEARLY"}) << year << year << QStringList{}
        << 1;
    QTest::newRow("excluded and added days")
        << repeated(";VALUE=DATE:20250101",
                    {"RRULE:FREQ=DAILY;COUNT=5", "EXDATE;VALUE=DATE:20250103",
                     "RDATE;VALUE=DATE:20250110"})
        << year << year
        << QStringList{"01/01/2025", "02/01/2025", "04/01/2025", "05/01/2025", "10/01/2025"} << 0;
    QTest::newRow("an instance moved by another component")
        << repeated(";VALUE=DATE:20250106", {"RRULE:FREQ=WEEKLY;COUNT=3"}) +
               vevent({"UID:serie", "DTSTAMP:20240101T000000Z", "RECURRENCE-ID;VALUE=DATE:20250113",
                       "DTSTART;VALUE=DATE:20250115", "SUMMARY:Serie"})
        << year << year << QStringList{"06/01/2025", "15/01/2025", "20/01/2025"} << 0;
    QTest::newRow("a series before the days given stays out with its overrides")
        << repeated(";VALUE=DATE:20240420", {"RRULE:FREQ=DAILY;COUNT=10"}) +
               vevent({"UID:serie", "DTSTAMP:20240101T000000Z", "RECURRENCE-ID;VALUE=DATE:20240424",
                       "DTSTART;VALUE=DATE:20240424", "SUMMARY:Serie cambiada"}) +
               vevent({"UID:serie", "DTSTAMP:20240101T000000Z", "RECURRENCE-ID;VALUE=DATE:20240425",
                       "DTSTART;VALUE=DATE:20240426", "SUMMARY:Serie movida"})
        << year << year << QStringList{} << 3;
    QTest::newRow("late evening in UTC is the next day in Madrid")
        << repeated(":20251230T233000Z", {"RRULE:FREQ=DAILY;COUNT=3"}) << d(2025, 12, 1)
        << d(2026, 1, 31) << QStringList{"31/12/2025", "01/01/2026", "02/01/2026"} << 0;
    QTest::newRow("a rule that ended before the days given")
        << repeated(";VALUE=DATE:19900319", {"RRULE:FREQ=YEARLY;UNTIL=20121231"}) << year << year
        << QStringList{} << 1;
}

void TestIcsRecurrence::repeatsOverTheDaysAskedFor()
{
    QFETCH(QByteArray, events);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, expected);
    QFETCH(int, outside);

    ImportSummary summary;
    const QStringList days = daysOf(events, from, to, summary);
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QStringList wanted;
    for (const QString& day : expected)
        wanted << QDate::fromString(day, QStringLiteral("dd/MM/yyyy")).toString(Qt::ISODate);
    wanted.sort();
    QCOMPARE(days, wanted);
    QCOMPARE(summary.outsideRange, outside);
}

void TestIcsRecurrence::coversEveryDayOfAnEvent_data()
{
    QTest::addColumn<QByteArray>("events");
    QTest::addColumn<QDate>("from"); // invalid: no days asked for
    QTest::addColumn<QStringList>("expected");

    const auto event = [](const QStringList& lines) {
        return vevent(QStringList{"UID:largo", "DTSTAMP:20240101T000000Z", "SUMMARY:Largo"} +
                      lines);
    };
    const QDate any;
    QTest::newRow("all day: DTEND is the day after the last")
        << event({"DTSTART;VALUE=DATE:20261228", "DTEND;VALUE=DATE:20261231"}) << any
        << QStringList{"2026-12-28", "2026-12-29", "2026-12-30"};
    QTest::newRow("all day: DTEND on the start is the start alone")
        << event({"DTSTART;VALUE=DATE:20261228", "DTEND;VALUE=DATE:20261228"}) << any
        << QStringList{"2026-12-28"};
    QTest::newRow("all day: DURATION of two days")
        << event({"DTSTART;VALUE=DATE:20250228", "DURATION:P2D"}) << any
        << QStringList{"2025-02-28", "2025-03-01"};
    QTest::newRow("timed: over midnight in Madrid, both days")
        << event({"DTSTART:20250305T220000Z", "DTEND:20250306T010000Z"}) << any
        << QStringList{"2025-03-05", "2025-03-06"};
    QTest::newRow("timed: ending at midnight, one day")
        << event({"DTSTART:20250305T100000", "DTEND:20250306T000000"}) << any
        << QStringList{"2025-03-05"};
    QTest::newRow("timed: DURATION of fifty hours")
        << event({"DTSTART:20250305T100000", "DURATION:PT50H"}) << any
        << QStringList{"2025-03-05", "2025-03-06", "2025-03-07"};
    QTest::newRow("recurring: every instance, every day")
        << event({"DTSTART;VALUE=DATE:20250106", "DTEND;VALUE=DATE:20250108",
                  "RRULE:FREQ=WEEKLY;COUNT=2"})
        << any << QStringList{"2025-01-06", "2025-01-07", "2025-01-13", "2025-01-14"};
    QTest::newRow("days asked for cut a long event")
        << event({"DTSTART;VALUE=DATE:20250101", "DTEND;VALUE=DATE:20250120"}) << d(2025, 1, 17)
        << QStringList{"2025-01-17", "2025-01-18", "2025-01-19"};
    QTest::newRow("a series begun long before reaches into the days asked for")
        << event({"DTSTART;VALUE=DATE:19900101", "DTEND;VALUE=DATE:19900111", "RRULE:FREQ=YEARLY"})
        << d(2025, 1, 9) << QStringList{"2025-01-09", "2025-01-10"};
}

void TestIcsRecurrence::coversEveryDayOfAnEvent()
{
    QFETCH(QByteArray, events);
    QFETCH(QDate, from);
    QFETCH(QStringList, expected);

    ImportSummary summary;
    const QStringList days =
        daysOf(events, from, from.isValid() ? d(2025, 12, 31) : QDate(), summary);
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QCOMPARE(days, expected);
    QCOMPARE(summary.daysCovered, int(expected.size()));
    QVERIFY2(summary.text().contains(QStringLiteral("que cubren %1 d").arg(expected.size())),
             qPrintable(summary.text()));
}

void TestIcsRecurrence::endlessRuleFromLongAgoIsCutShort()
{
    ImportOptions options;
    options.from = d(2025, 3, 1);
    options.to = d(2025, 3, 3);
    ImportSummary summary;
    const auto days =
        IcsReader::read(calendar(repeated(";VALUE=DATE:18000101", {"RRULE:FREQ=DAILY"})),
                        QStringLiteral("x.ics"), options, summary);
    QCOMPARE(days.size(), std::size_t(3));
    QCOMPARE(days.front().date, d(2025, 3, 1));
}

void TestIcsRecurrence::ruleTooLongToFollowIsReported()
{
    // A count forbids jumping ahead: every hour since 2000 would have to be walked.
    ImportOptions options;
    options.from = d(2025, 1, 1);
    options.to = d(2025, 12, 31);
    ImportSummary summary;
    const auto days = IcsReader::read(
        calendar(repeated(":20000101T100000Z", {"RRULE:FREQ=HOURLY;COUNT=999999999"})),
        QStringLiteral("x.ics"), options, summary);
    QVERIFY(days.empty());
    QCOMPARE(summary.rejected.size(), std::size_t(1));
    QVERIFY2(summary.rejected[0].reason.contains(QStringLiteral("se repite más de")),
             qPrintable(summary.rejected[0].reason));
}

QTEST_GUILESS_MAIN(TestIcsRecurrence)
#include "tst_icsrecurrence.moc"
