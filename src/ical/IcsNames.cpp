#include "ical/IcsNames.h"

#include <QTime>

namespace {

// Four digits always: iCalendar has no other form of a year, and years below 1000 exist here.
QString compactDate(const QDate& date)
{
    return QStringLiteral("%1%2%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

} // namespace

QString IcsNames::dayUid(const QDate& date)
{
    return QStringLiteral("dia-%1@tarvelo").arg(compactDate(date));
}

QString IcsNames::notitaUid(qint64 row)
{
    return QStringLiteral("notita-%1@tarvelo").arg(row);
}

QString IcsNames::dayStamp(const QDate& date)
{
    return compactDate(date) + QStringLiteral("T000000Z");
}

QString IcsNames::dateValue(const QDate& date)
{
    return compactDate(date);
}

QString IcsNames::alarmValue(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm"));
}
