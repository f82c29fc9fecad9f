#pragma once

#include "store/domain/CalendarOccurrence.h"
#include "store/domain/SeriesBook.h"
#include "store/sqlite/Database.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// Other programs' repeating events, as the tests write them: an event's calendar text as a
// phone keeps it, and occurrences put in a store as a sync keeps them.
namespace CalendarSeries {

// A calendar holding one event (UID uid) with these property lines, and further components
// of its own (each the lines of one more VEVENT of the same UID, such as a day replaced).
inline QByteArray body(const QString& uid, const QStringList& lines,
                       const QList<QStringList>& replacements = {})
{
    const auto event = [&uid](const QStringList& own) {
        return QStringLiteral("BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20260101T000000Z\r\n%2\r\n"
                              "END:VEVENT\r\n")
            .arg(uid, own.join(QStringLiteral("\r\n")));
    };
    QString text =
        QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\n") + event(lines);
    for (const QStringList& replacement : replacements)
        text += event(replacement);
    return (text + QStringLiteral("END:VCALENDAR\r\n")).toUtf8();
}

// A weekly class from a Tuesday at 18:00 (floating: the user's own clock), count times.
inline QByteArray weekly(const QString& uid, const QString& summary, const QDate& first, int count,
                         const QStringList& more = {})
{
    return body(
        uid,
        QStringList{
            QStringLiteral("DTSTART:%1T180000").arg(first.toString(QStringLiteral("yyyyMMdd"))),
            QStringLiteral("DURATION:PT1H"),
            QStringLiteral("RRULE:FREQ=WEEKLY;COUNT=%1").arg(count),
            QStringLiteral("SUMMARY:") + summary} +
            more);
}

// Occurrences kept in the store as a sync keeps them, for the event at href.
inline void keep(Database& db, const QString& href,
                 const std::vector<CalendarOccurrence>& occurrences)
{
    SeriesBook(db).replace({href, QByteArray(), QDate(9999, 12, 31)}, occurrences);
    db.noteWrite();
}

// "2027-01-12 18:00 Clase de yoga", "… (festivo)": an occurrence as the tests compare them.
inline QStringList lines(const std::vector<CalendarOccurrence>& occurrences)
{
    QStringList out;
    for (const CalendarOccurrence& o : occurrences)
        out << o.date.toString(Qt::ISODate) + u' ' + o.text +
                   (o.holiday ? QStringLiteral(" (festivo)") : QString());
    return out;
}

} // namespace CalendarSeries
