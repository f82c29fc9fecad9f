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

} // namespace

class TestIcsRecurrence : public QObject
{
    Q_OBJECT

private slots:
    void repeatsOverTheDaysAskedFor_data();
    void repeatsOverTheDaysAskedFor();
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
    QTest::newRow("the current year when no days are given")
        << repeated(";VALUE=DATE:20000101", {"RRULE:FREQ=YEARLY"}) << year << year
        << QStringList{"01/01/2025"} << 0;
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

    ImportOptions options;
    options.recurringYear = 2025;
    options.localZone = QTimeZone("Europe/Madrid");
    options.from = from;
    options.to = to;
    ImportSummary summary;
    QStringList days;
    for (const EventDay& day :
         IcsReader::read(calendar(events), QStringLiteral("serie.ics"), options, summary))
        days << day.date.toString(QStringLiteral("dd/MM/yyyy"));
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    days.sort(); // the events' days come in the order of the file
    std::sort(expected.begin(), expected.end());
    QCOMPARE(days, expected);
    QCOMPARE(summary.outsideRange, outside);
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
    options.recurringYear = 2025;
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
