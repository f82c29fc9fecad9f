#pragma once

#include "ical/ImportOptions.h"

#include <QDate>
#include <QString>
#include <QTimeZone>

#include <libical/ical.h>

#include <vector>

// The days one event starts on, as the user's own clock sees them: a single event's start
// day, or every repetition of a recurring one (RRULE, RDATE, less EXDATE and the instances
// that other components replace) over the days the import covers.
class EventDates
{
public:
    EventDates() = delete;

    // A hostile rule could ask for billions of repetitions before the first day wanted.
    static constexpr int kMaxSteps = 200000;

    struct Result
    {
        std::vector<QDate> dates;  // ascending, each once
        QString refusal;           // why the event has no usable day, in Spanish; empty if none
        bool outsideRange = false; // readable, but none of its days is among those wanted
    };

    // replaced: the RECURRENCE-ID values of the components that replace some of its instances.
    static Result of(icalcomponent* event, const ImportOptions& options,
                     const std::vector<icaltimetype>& replaced);

    // The day a start falls on in zone: a date is its own day, a time in UTC or in a named
    // zone is turned into zone, and a floating time is already the user's own.
    static QDate localDate(icaltimetype time, const QTimeZone& zone);
};
