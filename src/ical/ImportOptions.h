#pragma once

#include <QDate>
#include <QTimeZone>

#include <algorithm>
#include <optional>

// What the user chose for an import: whether every event is a holiday, and which days the
// events may land on.
struct ImportOptions
{
    // Every event marks its day as a holiday, not only those in the category "Festivo".
    bool everyEventIsHoliday = false;
    // The days the user asked for (both set or neither): only the days of events among them are
    // imported, and recurring events are repeated over them. Neither set: every single event
    // lands on its days, and recurring events are repeated over the years the file speaks of
    // (see firstDay and lastDay).
    QDate from;
    QDate to;
    // The year the calendar shows.
    int shownYear = QDate::currentDate().year();
    // The zone a timed event's start is turned into before it is given a day.
    QTimeZone localZone = QTimeZone::systemTimeZone();

    bool hasRange() const { return from.isValid() && to.isValid(); }
    // The days recurring events are repeated over without days asked for: from the year of the
    // file's earliest single event, or the year shown when none is earlier, through the year
    // after the one shown.
    QDate firstDay(std::optional<QDate> earliestSingle = std::nullopt) const
    {
        if (hasRange())
            return from;
        const int year = earliestSingle ? std::min(earliestSingle->year(), shownYear) : shownYear;
        return QDate(year, 1, 1);
    }
    QDate lastDay() const { return hasRange() ? to : QDate(std::min(shownYear + 1, 9999), 12, 31); }
};
