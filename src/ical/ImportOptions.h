#pragma once

#include <QDate>
#include <QTimeZone>

// What the user chose for an import: whether every event is a holiday, and which days the
// events may land on.
struct ImportOptions
{
    // Every event marks its day as a holiday, not only those in the category "Festivo".
    bool everyEventIsHoliday = false;
    // The days the user asked for (both set or neither): only events on them are imported and
    // recurring events are repeated over them. Neither set: every single event lands on its
    // day, and recurring events are repeated over the year recurringYear.
    QDate from;
    QDate to;
    int recurringYear = QDate::currentDate().year();
    // The zone a timed event's start is turned into before it is given a day.
    QTimeZone localZone = QTimeZone::systemTimeZone();

    bool hasRange() const { return from.isValid() && to.isValid(); }
    QDate firstDay() const { return hasRange() ? from : QDate(recurringYear, 1, 1); }
    QDate lastDay() const { return hasRange() ? to : QDate(recurringYear, 12, 31); }
};
