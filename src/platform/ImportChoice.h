#pragma once

#include <QDate>

// How the user chose to bring a calendar file in.
struct ImportChoice
{
    // Every event marks its day as a holiday, not only those in the category "Festivo".
    bool everyEventIsHoliday = false;
    // The year recurring events are repeated over when no days are given.
    int recurringYear = 0;
    // Only the events on these days (both set or neither); recurring ones repeat over them.
    QDate from;
    QDate to;
};
