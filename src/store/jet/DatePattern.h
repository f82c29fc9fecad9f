#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// Date values and the date texts of the whole program: a date value is a number of days since
// midnight of 30 December 1899 (whole part the day, fraction the time of day), and every text
// goes through format() and read() with Spanish names, whatever the machine's locale.
class DatePattern
{
public:
    DatePattern() = delete;

    // Pattern elements, letters in any case: d dd ddd dddd w m mm mmm mmmm y yy yyyy h hh n nn
    // s ss, "/" and ":" as separators, "#" the value as a whole number; anything else as itself.
    // Empty for a value that is no day at all (NaN, infinite, beyond any calendar).
    static QString format(double value, const QString& pattern);
    // A text that read() accepts is read first; an unreadable text gives an empty string.
    static QString format(const QString& text, const QString& pattern);

    // Day/month/year (day one or two digits; month one or two digits or its full name, any case;
    // year two or four digits, 30-99 -> 1930-1999, 00-29 -> 2000-2029), or a 24-hour time
    // h:nn or h:nn:ss giving a value with whole part 0. Anything else fails.
    static std::optional<double> read(const QString& text);
    // Exactly "read() succeeds", so a bare time such as "9:05" passes too: the date boxes of the
    // dialogs take either, and telling them apart is left to the caller.
    static bool isDate(const QString& text);

    // The day of (year, month, day); a day past the month's end runs on into the next months,
    // and day 0 or below runs back. Months outside 1..12 roll the year the same way.
    // A year 0 or below counts with a year 0 (so 0 is 1 BC); NaN when no such day exists.
    static double build(int year, int month, int day);

    // As format() shows them: the time rounded to the second, a time that rounds up to midnight
    // counting as the next day. 0 for a value that is no day at all (NaN, infinite, too large).
    static int day(double value);
    static int month(double value);
    static int year(double value);
    static int weekday(double value); // Sunday 1 ... Saturday 7
    static int hour(double value);
    static int minute(double value);
    static int second(double value);

    // The whole part of a value as a calendar day (the fraction is dropped).
    static QDate toDate(double value);
    // NaN for an invalid date or date-time.
    static double fromDate(const QDate& date);
    static double fromDateTime(const QDateTime& dateTime);
    static double fromTime(int hour, int minute, int second = 0);

    // Dates the program can build and show: 1 January 100 to 31 December 9999.
    static constexpr int kFirstYear = 100;
    static constexpr int kLastYear = 9999;
    static bool inRange(int year) { return year >= kFirstYear && year <= kLastYear; }

    static QString monthName(int month);             // 1..12: "enero" ...
    static QString monthAbbreviation(int month);     // 1..12: "ene" ...
    static QString weekdayName(int weekday);         // 1..7, Sunday first: "domingo" ...
    static QString weekdayAbbreviation(int weekday); // 1..7, Sunday first: "dom" ...
};
