#include "store/jet/DatePattern.h"

#include <QtTest>

#include <cmath>

namespace {

// Wednesday 5 March 1997, the day most rows below are shown on.
constexpr double kMarch5 = 35494;
const double kMarch5At0907 = kMarch5 + 9.0 / 24 + 7.0 / 1440;
const double kMarch5At090705 = kMarch5At0907 + 5.0 / 86400;

} // namespace

class TestDatePattern : public QObject
{
    Q_OBJECT

private slots:
    void format_data();
    void format();
    void names_data();
    void names();
    void read_data();
    void read();
    void readFailures_data();
    void readFailures();
    void readTimes_data();
    void readTimes();
    void roundTrip_data();
    void roundTrip();
    void build_data();
    void build();
    void formatText();
    void timeRoundsToTheSecond();
    void beforeDayZero();
};

void TestDatePattern::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    const struct
    {
        const char* name;
        double value;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {"day, month and four-digit year", kMarch5At0907, "dd/mm/yyyy", "05/03/1997"},
        {"two-digit year", kMarch5At0907, "dd/mm/yy", "05/03/97"},
        {"month and two-digit year", kMarch5At0907, "mm/yy", "03/97"},
        {"day without zero", kMarch5At0907, "d", "5"},
        {"month without zero", kMarch5At0907, "m", "3"},
        {"day of year", kMarch5At0907, "y", "64"},
        {"weekday abbreviation", kMarch5At0907, "ddd", "mié"},
        {"weekday name", kMarch5At0907, "dddd", "miércoles"},
        {"weekday number", kMarch5At0907, "w", "4"},
        {"month name", kMarch5At0907, "mmmm", "marzo"},
        {"letters in any case", kMarch5At0907, "Mmmm", "marzo"},
        {"upper-case day and year", kMarch5At0907, "DD/MM/YYYY", "05/03/1997"},
        {"month name and year", kMarch5At0907, "mmmm/yyyy", "marzo/1997"},
        {"literal digit before name", kMarch5At0907, "1/mmmm/yyyy", "1/marzo/1997"},
        {"literal digit before month", kMarch5At0907, "1/mm/yyyy", "1/03/1997"},
        {"literal day and month", kMarch5At0907, "31/12/yyyy", "31/12/1997"},
        {"month abbreviation", kMarch5At0907, "dd/mmm/yy", "05/mar/97"},
        {"comma and blank literal", kMarch5At0907, "ddd, dd/mmmm/yyyy", "mié, 05/marzo/1997"},
        {"hour", kMarch5At0907, "hh", "09"},
        {"hour without zero", kMarch5At0907, "h", "9"},
        {"minute", kMarch5At0907, "nn", "07"},
        {"minute without zero", kMarch5At0907, "n", "7"},
        {"hour and minute", kMarch5At0907, "hh:nn", "09:07"},
        {"seconds", kMarch5At090705, "ss", "05"},
        {"seconds without zero", kMarch5At090705, "s", "5"},
        {"full time", kMarch5At090705, "hh:nn:ss", "09:07:05"},
        {"whole number drops the time", kMarch5At0907, "#", "35494"},
        {"whole number of 1 May 1997", 35551, "#", "35551"},
        {"whole number of 31 Dec 1997", 35795, "#", "35795"},
        {"whole number of 1 Jan 1997", 35431, "#", "35431"},
        {"whole number rounds up past noon", 35494.75, "#", "35495"},
        {"Sunday abbreviation", 35491, "ddd", "dom"},
        {"Sunday is weekday 1", 35491, "w", "1"},
        {"empty pattern", kMarch5, "", ""},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << row.value << QString::fromUtf8(row.pattern)
                                << QString::fromUtf8(row.expected);
}

void TestDatePattern::format()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(DatePattern::format(value, pattern), expected);
}

void TestDatePattern::names_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    // Sunday 2 March 1997 to Saturday 8 March 1997.
    const char* weekdays[] = {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"};
    for (int i = 0; i < 7; ++i)
        QTest::addRow("weekday %d", i + 1)
            << 35491.0 + i << "ddd" << QString::fromUtf8(weekdays[i]);
    const char* months[] = {"ene", "feb", "mar", "abr", "may", "jun",
                            "jul", "ago", "sep", "oct", "nov", "dic"};
    for (int i = 0; i < 12; ++i)
        QTest::addRow("month %d", i + 1)
            << DatePattern::build(1997, i + 1, 15) << "mmm" << QString::fromUtf8(months[i]);
}

void TestDatePattern::names()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(DatePattern::format(value, pattern), expected);
}

void TestDatePattern::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("two-digit fields") << "05/03/1997" << QDate(1997, 3, 5);
    QTest::newRow("one-digit fields") << "5/3/97" << QDate(1997, 3, 5);
    QTest::newRow("month name") << "5/marzo/1997" << QDate(1997, 3, 5);
    QTest::newRow("month name upper case") << "5/MARZO/1997" << QDate(1997, 3, 5);
    QTest::newRow("month name capitalised") << "5/Marzo/97" << QDate(1997, 3, 5);
    QTest::newRow("surrounding blanks") << "  5/03/1997 \t" << QDate(1997, 3, 5);
    QTest::newRow("leap day in a leap year") << "29/02/96" << QDate(1996, 2, 29);
    QTest::newRow("year 29 is 2029") << "1/01/29" << QDate(2029, 1, 1);
    QTest::newRow("year 30 is 1930") << "1/01/30" << QDate(1930, 1, 1);
    QTest::newRow("year 00 is 2000") << "29/02/00" << QDate(2000, 2, 29);
}

void TestDatePattern::read()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    const std::optional<double> value = DatePattern::read(text);
    QVERIFY(value.has_value());
    QCOMPARE(DatePattern::toDate(*value), expected);
    QCOMPARE(*value, std::trunc(*value));
    QVERIFY(DatePattern::isDate(text));
}

void TestDatePattern::readFailures_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("letters") << "ab";
    QTest::newRow("day and month only") << "5/03";
    QTest::newRow("extra field") << "5/03/1997/1";
    QTest::newRow("trailing junk") << "5/03/1997 x";
    QTest::newRow("dashes") << "05-03-1997";
    QTest::newRow("sign") << "+5/03/1997";
    QTest::newRow("leap day in a common year") << "29/02/97";
    QTest::newRow("day 31 of a 30-day month") << "31/04/2000";
    QTest::newRow("day 0") << "0/03/1997";
    QTest::newRow("month 13") << "5/13/1997";
    QTest::newRow("month abbreviation") << "5/mar/1997";
    QTest::newRow("three-digit day") << "005/03/1997";
    QTest::newRow("three-digit year") << "5/03/997";
    QTest::newRow("four-digit year below 100") << "5/03/0099";
    QTest::newRow("hour 24") << "24:00";
    QTest::newRow("minute 60") << "9:60";
    QTest::newRow("second 60") << "9:05:60";
    QTest::newRow("hour alone") << "9:";
    QTest::newRow("four time fields") << "9:05:00:00";
    QTest::newRow("date and time together") << "5/03/1997 9:05";
}

void TestDatePattern::readFailures()
{
    QFETCH(QString, text);
    QVERIFY(!DatePattern::read(text).has_value());
    QVERIFY(!DatePattern::isDate(text));
}

void TestDatePattern::readTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("hour and minute") << "9:05" << 9.0 / 24 + 5.0 / 1440;
    QTest::newRow("with seconds") << "09:05:00" << 9.0 / 24 + 5.0 / 1440;
    QTest::newRow("midnight") << "0:00" << 0.0;
    QTest::newRow("last second of the day") << "23:59:59" << 86399.0 / 86400;
}

void TestDatePattern::readTimes()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    const std::optional<double> value = DatePattern::read(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
    QCOMPARE(DatePattern::format(*value, "hh:nn:ss"), DatePattern::format(expected, "hh:nn:ss"));
}

void TestDatePattern::roundTrip_data()
{
    QTest::addColumn<int>("year");

    QTest::newRow("1900") << 1900;
    QTest::newRow("2030") << 2030;
    QTest::newRow("9999") << 9999;
    QTest::newRow("100") << 100;
}

void TestDatePattern::roundTrip()
{
    QFETCH(int, year);
    const double value = DatePattern::build(year, 12, 31);
    const QString text = DatePattern::format(value, "dd/mm/yyyy");
    QCOMPARE(text.right(4).toInt(), year);
    QCOMPARE(DatePattern::read(text), std::optional<double>(value));
    QCOMPARE(DatePattern::year(value), year);
}

void TestDatePattern::build_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("ordinary day") << 1997 << 3 << 5 << QDate(1997, 3, 5);
    QTest::newRow("day past February runs on") << 1997 << 2 << 30 << QDate(1997, 3, 2);
    QTest::newRow("day 0 runs back") << 1997 << 3 << 0 << QDate(1997, 2, 28);
    QTest::newRow("negative day runs back") << 1997 << 3 << -1 << QDate(1997, 2, 27);
    QTest::newRow("month 13 is next January") << 1997 << 13 << 1 << QDate(1998, 1, 1);
    QTest::newRow("month 0 is last December") << 1997 << 0 << 1 << QDate(1996, 12, 1);
    QTest::newRow("month -12 goes back a year") << 1997 << -12 << 1 << QDate(1995, 12, 1);
    QTest::newRow("day 366 of a leap year") << 1996 << 1 << 366 << QDate(1996, 12, 31);
}

void TestDatePattern::build()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QDate, expected);
    QCOMPARE(DatePattern::toDate(DatePattern::build(year, month, day)), expected);
}

void TestDatePattern::formatText()
{
    QCOMPARE(DatePattern::format(QStringLiteral("5/marzo/1997"), "dd/mm/yy"), "05/03/97");
    QCOMPARE(DatePattern::format(QStringLiteral("9:05"), "hh:nn"), "09:05");
    QVERIFY(DatePattern::format(QStringLiteral("29/02/97"), "dd/mm/yy").isEmpty());
}

void TestDatePattern::timeRoundsToTheSecond()
{
    // A time a hair before the next second must not show the second before it.
    QCOMPARE(DatePattern::format(kMarch5 + DatePattern::fromTime(9, 5) - 1e-9, "hh:nn:ss"),
             "09:05:00");
    QCOMPARE(DatePattern::minute(kMarch5 + DatePattern::fromTime(9, 5) - 1e-9), 5);
    // Half a second before midnight is the next day's midnight.
    const double lateNight = kMarch5 + 86399.6 / 86400;
    QCOMPARE(DatePattern::format(lateNight, "dd/mm hh:nn:ss"), "06/03 00:00:00");
    QCOMPARE(DatePattern::day(lateNight), 6);
    QVERIFY(DatePattern::format(std::nan(""), "dd/mm/yyyy").isEmpty());
}

void TestDatePattern::beforeDayZero()
{
    const double firstOf1800 = DatePattern::fromDate(QDate(1800, 1, 1));
    QCOMPARE(firstOf1800, -36522.0);
    QCOMPARE(DatePattern::format(firstOf1800, "ddd, dd/mmmm/yyyy"), "mié, 01/enero/1800");

    // The day before day 0 at 06:00 is -1.25: the time counts away from zero.
    const QDateTime morning(QDate(1899, 12, 29), QTime(6, 0));
    QCOMPARE(DatePattern::fromDateTime(morning), -1.25);
    QCOMPARE(DatePattern::format(-1.25, "dd/mm/yyyy hh:nn"), "29/12/1899 06:00");
    QCOMPARE(DatePattern::format(0.5, "dd/mm/yyyy hh:nn"), "30/12/1899 12:00");
    QCOMPARE(DatePattern::hour(-36522.75), 18);
}

QTEST_GUILESS_MAIN(TestDatePattern)
#include "tst_datepattern.moc"
