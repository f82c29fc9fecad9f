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

    // A hostile rule could ask for billions of repetitions before the first day wanted: one
    // event may take this many steps of its rules, and a whole file kFileSteps (each step
    // costs libical some microseconds).
    static constexpr int kMaxSteps = 50000;
    static constexpr int kFileSteps = 500000;

    struct Result
    {
        std::vector<QDate> dates;  // ascending, each once
        QString refusal;           // why the event has no usable day, in Spanish; empty if none
        bool outsideRange = false; // readable, but none of its days is among those wanted
    };

    // replaced: the RECURRENCE-ID values of the components that replace some of its instances;
    // stepsLeft: what is left of the file's steps, lowered by those this event takes.
    static Result of(icalcomponent* event, const ImportOptions& options,
                     const std::vector<icaltimetype>& replaced, int& stepsLeft);

    // The day a start falls on in zone: a date is its own day, a time in UTC or in a named
    // zone is turned into zone, and a floating time is already the user's own.
    static QDate localDate(icaltimetype time, const QTimeZone& zone);
};
