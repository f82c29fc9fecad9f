#pragma once

#include "store/domain/CalendarOccurrence.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

class Database;

// Another program's repeating event on the calendar (a weekly class made on the phone) stays
// that program's: the sync never brings it into the days' notes nor sends anything for it, and
// keeps its occurrences beside the days instead (SeriesBook), over the same years an import
// repeats events over: from the year the event starts (or this year, when it starts later)
// through the next year. Each sync that reads it again (renamed, moved, a day of it changed)
// keeps them anew, one that finds it gone takes them away, and one on a day whose years reach
// further than those its occurrences were read over reads them again from the body kept.
class ForeignSeries
{
public:
    ForeignSeries() = delete;

    // The last day occurrences are kept through by a sync on today.
    static QDate lastDay(const QDate& today);

    // Whether a body (not one of ours) holds a repeating event: one with a rule or further dates
    // of its own (RRULE, RDATE), whichever of its components comes first.
    static bool repeats(const QByteArray& body);

    // The days a body's event occurs on through lastDay(today), each with what it shows there:
    // the series' own days, less those another component of the body replaces (RECURRENCE-ID),
    // and each replacement on its own day with its own text (none for one cancelled); a day on
    // which it shows neither a text nor a holiday is left out. None when the body holds no
    // repeating event, or one cancelled whole.
    static std::vector<CalendarOccurrence> occurrences(const QByteArray& body, const QDate& today);

    // Keeps the event read at href, in place of whatever was kept of it (inside the sync's
    // transaction). Throws StoreError.
    static void keep(Database& db, const QString& href, const QByteArray& body, const QDate& today);
    // Reads again, from their kept bodies, the events whose occurrences end before
    // lastDay(today). Throws StoreError.
    static void moveOn(Database& db, const QDate& today);
};
