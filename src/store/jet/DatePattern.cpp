#include "store/jet/DatePattern.h"

#include <QStringView>
#include <QTime>

#include <cmath>
#include <limits>

namespace {

// Day 0 of the date values, 30 December 1899, as a Julian day.
constexpr qint64 kEpochJulianDay = 2415019;
constexpr int kSecondsPerDay = 86400;
// Beyond this no calendar day exists for a value, and casting it to an integer would overflow.
constexpr double kLargestWholePart = 1e15;

constexpr QStringView kMonthNames[] = {u"enero",      u"febrero", u"marzo",     u"abril",
                                       u"mayo",       u"junio",   u"julio",     u"agosto",
                                       u"septiembre", u"octubre", u"noviembre", u"diciembre"};
constexpr QStringView kMonthAbbreviations[] = {u"ene", u"feb", u"mar", u"abr", u"may", u"jun",
                                               u"jul", u"ago", u"sep", u"oct", u"nov", u"dic"};
constexpr QStringView kWeekdayNames[] = {u"domingo", u"lunes",   u"martes", u"miércoles",
                                         u"jueves",  u"viernes", u"sábado"};
constexpr QStringView kWeekdayAbbreviations[] = {u"dom", u"lun", u"mar", u"mié",
                                                 u"jue", u"vie", u"sáb"};

struct Moment
{
    QDate date;
    int secondsOfDay = 0;
};

// Dates before 1899 keep the old Basic convention: the whole part, truncated towards zero, is
// the day and the fraction's magnitude the time, so -1.25 is 29/12/1899 at 06:00. The time is
// rounded to the second here, once, so that 09:05 stored as 0.378472222... never shows as
// 09:04:59, and a time that rounds up to midnight moves on to the next day (further from zero
// for negative values, where a later time is a more negative number).
std::optional<Moment> split(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= kLargestWholePart)
        return std::nullopt;
    const double whole = std::trunc(value);
    qint64 day = static_cast<qint64>(whole);
    qint64 seconds = std::llround(std::fabs(value - whole) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        day += value < 0 ? -1 : 1;
    }
    const QDate date = QDate::fromJulianDay(day + kEpochJulianDay);
    if (!date.isValid())
        return std::nullopt;
    return Moment{date, static_cast<int>(seconds)};
}

QString number(qint64 n, int width)
{
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

char lowerAscii(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'A' && u <= u'Z')
        return static_cast<char>(u - u'A' + 'a');
    if (u < 0x80)
        return static_cast<char>(u);
    return '\0';
}

// How many times the letter repeats from pos on, case-insensitively, up to longest.
int runLength(const QString& pattern, qsizetype pos, char letter, int longest)
{
    int n = 0;
    while (n < longest && pos + n < pattern.size() && lowerAscii(pattern[pos + n]) == letter)
        ++n;
    return n;
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Only plain ASCII digits: QChar::isDigit() would let other scripts' digits through.
std::optional<int> digits(QStringView text, qsizetype minLength, qsizetype maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return std::nullopt;
    int n = 0;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// ASCII-only folding on purpose: Unicode folding would accept oddities such as a long s
// standing for the s of "septiembre".
std::optional<int> monthByName(QStringView text)
{
    for (int i = 0; i < 12; ++i) {
        const QStringView name = kMonthNames[i];
        if (name.size() != text.size())
            continue;
        bool same = true;
        for (qsizetype k = 0; k < name.size() && same; ++k)
            same = lowerAscii(text[k]) != '\0' && lowerAscii(text[k]) == name[k].unicode();
        if (same)
            return i + 1;
    }
    return std::nullopt;
}

std::optional<double> readDate(const QList<QStringView>& parts)
{
    const std::optional<int> day = digits(parts[0], 1, 2);
    std::optional<int> month = digits(parts[1], 1, 2);
    if (!month)
        month = monthByName(parts[1]);
    std::optional<int> year = digits(parts[2], 2, 2);
    if (year)
        *year += *year >= 30 ? 1900 : 2000;
    else
        year = digits(parts[2], 4, 4);
    if (!day || !month || !year || !DatePattern::inRange(*year))
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return DatePattern::fromDate(date);
}

std::optional<double> readTime(const QList<QStringView>& parts)
{
    const std::optional<int> hour = digits(parts[0], 1, 2);
    const std::optional<int> minute = digits(parts[1], 1, 2);
    const std::optional<int> second = parts.size() == 3 ? digits(parts[2], 1, 2) : 0;
    if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return DatePattern::fromTime(*hour, *minute, *second);
}

// QDate counts Monday 1 to Sunday 7; the program counts Sunday 1 to Saturday 7.
int weekdayOf(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

QString nameAt(const QStringView* names, int count, int index)
{
    return index >= 1 && index <= count ? names[index - 1].toString() : QString();
}

} // namespace

QString DatePattern::format(double value, const QString& pattern)
{
    const std::optional<Moment> moment = split(value);
    if (!moment)
        return QString();
    const QDate& date = moment->date;
    const int seconds = moment->secondsOfDay;

    QString out;
    out.reserve(pattern.size() * 2);
    qsizetype pos = 0;
    while (pos < pattern.size()) {
        const char letter = lowerAscii(pattern[pos]);
        int n = 1;
        switch (letter) {
        case 'd':
            n = runLength(pattern, pos, 'd', 4);
            if (n == 4)
                out += weekdayName(weekdayOf(date));
            else if (n == 3)
                out += weekdayAbbreviation(weekdayOf(date));
            else
                out += number(date.day(), n);
            break;
        case 'm':
            n = runLength(pattern, pos, 'm', 4);
            if (n == 4)
                out += monthName(date.month());
            else if (n == 3)
                out += monthAbbreviation(date.month());
            else
                out += number(date.month(), n);
            break;
        case 'y':
            n = runLength(pattern, pos, 'y', 4);
            if (n == 4) {
                out += number(date.year(), 4);
            } else if (n >= 2) {
                // "yyy" has no meaning of its own; it is "yy" followed by "y".
                n = 2;
                out += number(std::abs(date.year()) % 100, 2);
            } else {
                out += number(date.dayOfYear(), 1);
            }
            break;
        case 'w':
            out += number(weekdayOf(date), 1);
            break;
        case 'h':
            n = runLength(pattern, pos, 'h', 2);
            out += number(seconds / 3600, n);
            break;
        case 'n':
            n = runLength(pattern, pos, 'n', 2);
            out += number(seconds / 60 % 60, n);
            break;
        case 's':
            n = runLength(pattern, pos, 's', 2);
            out += number(seconds % 60, n);
            break;
        case '#':
            out += number(std::llround(value), 1);
            break;
        default:
            out += pattern[pos];
            break;
        }
        pos += n;
    }
    return out;
}

QString DatePattern::format(const QString& text, const QString& pattern)
{
    const std::optional<double> value = read(text);
    return value ? format(*value, pattern) : QString();
}

std::optional<double> DatePattern::read(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QStringView view(trimmed);
    if (view.contains(u'/')) {
        const QList<QStringView> parts = view.split(u'/');
        return parts.size() == 3 ? readDate(parts) : std::nullopt;
    }
    if (view.contains(u':')) {
        const QList<QStringView> parts = view.split(u':');
        return parts.size() == 2 || parts.size() == 3 ? readTime(parts) : std::nullopt;
    }
    return std::nullopt;
}

bool DatePattern::isDate(const QString& text)
{
    return read(text).has_value();
}

double DatePattern::build(int year, int month, int day)
{
    // 64-bit so that extreme months cannot overflow while they are folded into the year.
    const qint64 months = static_cast<qint64>(month) - 1;
    qint64 y = static_cast<qint64>(year) + months / 12;
    qint64 m = months % 12;
    if (m < 0) {
        m += 12;
        --y;
    }
    // The year is counted with a year 0, so that rolling back from January of year 1 lands in
    // the December just before it; QDate has no year 0 and calls that year -1.
    if (y <= 0)
        --y;
    if (y < std::numeric_limits<int>::min() || y > std::numeric_limits<int>::max())
        return std::numeric_limits<double>::quiet_NaN();
    const QDate first(static_cast<int>(y), static_cast<int>(m) + 1, 1);
    if (!first.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(first.toJulianDay() - kEpochJulianDay + day - 1);
}

int DatePattern::day(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? moment->date.day() : 0;
}

int DatePattern::month(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? moment->date.month() : 0;
}

int DatePattern::year(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? moment->date.year() : 0;
}

int DatePattern::weekday(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? weekdayOf(moment->date) : 0;
}

int DatePattern::hour(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? moment->secondsOfDay / 3600 : 0;
}

int DatePattern::minute(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? moment->secondsOfDay / 60 % 60 : 0;
}

int DatePattern::second(double value)
{
    const std::optional<Moment> moment = split(value);
    return moment ? moment->secondsOfDay % 60 : 0;
}

QDate DatePattern::toDate(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= kLargestWholePart)
        return QDate();
    return QDate::fromJulianDay(static_cast<qint64>(std::trunc(value)) + kEpochJulianDay);
}

double DatePattern::fromDate(const QDate& date)
{
    if (!date.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(date.toJulianDay() - kEpochJulianDay);
}

double DatePattern::fromDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    const double day = fromDate(dateTime.date());
    const double time = dateTime.time().msecsSinceStartOfDay() / (kSecondsPerDay * 1000.0);
    // Before day 0 the time is added away from zero, as split() reads it back.
    return day < 0 ? day - time : day + time;
}

double DatePattern::fromTime(int hour, int minute, int second)
{
    const qint64 seconds = static_cast<qint64>(hour) * 3600 + static_cast<qint64>(minute) * 60 +
                           static_cast<qint64>(second);
    return static_cast<double>(seconds) / kSecondsPerDay;
}

QString DatePattern::monthName(int month)
{
    return nameAt(kMonthNames, 12, month);
}

QString DatePattern::monthAbbreviation(int month)
{
    return nameAt(kMonthAbbreviations, 12, month);
}

QString DatePattern::weekdayName(int weekday)
{
    return nameAt(kWeekdayNames, 7, weekday);
}

QString DatePattern::weekdayAbbreviation(int weekday)
{
    return nameAt(kWeekdayAbbreviations, 7, weekday);
}
