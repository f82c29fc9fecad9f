#pragma once

#include "store/domain/DayColour.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// What one entry brought in from elsewhere gives one day: an event of an iCalendar file (text
// for the note, a holiday mark, and the colour and alarm our own export carries), or a day of
// an older calendar joined into the open one.
struct EventDay
{
    QDate date;
    QString text; // empty when the event brings no text (a summary that only stood in)
    QString name; // how the user knows it: an event's summary, else its UID; an older day's date
    bool holiday = false;
    std::optional<DayColour> colour;
    std::optional<QTime> alarm;
};
