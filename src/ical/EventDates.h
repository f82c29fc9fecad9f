#pragma once

#include "ical/ImportOptions.h"

#include <QDate>
#include <QString>
#include <QTimeZone>

#include <libical/ical.h>

#include <vector>

// The days one event covers, as the user's own clock sees them: every day from its start to
// its end (an all-day event's DTEND is the day after its last; a timed event covers each day it
// touches; DURATION likewise), for each repetition of a recurring one (every RRULE and RDATE,
// less EXDATE and the instances that other components replace).
class EventDates
{
public:
    EventDates() = delete;

    // A hostile rule could ask for billions of repetitions before the first day wanted: one
    // event may take this many steps of its rules, and a whole file kFileSteps (each step
    // costs libical some microseconds). Every day an event covers counts as a step too.
    static constexpr int kMaxSteps = 50000;
    static constexpr int kFileSteps = 500000;
    // No event covers more days than this at once (ten years).
    static constexpr int kMaxSpan = 3660;

    struct Window
    {
        QDate first; // the days repetitions are kept on
        QDate last;
        bool bindsSingles; // a single event's days are kept only between first and last
        QTimeZone zone;    // the user's own
    };

    struct Result
    {
        std::vector<QDate> dates;  // ascending, each once
        QString refusal;           // why the event has no usable day, in Spanish; empty if none
        bool outsideRange = false; // readable, but none of its days is among those wanted
    };

    // replaced: the RECURRENCE-ID values of the components that replace some of its instances;
    // stepsLeft: what is left of the file's steps, lowered by those this event takes.
    static Result of(icalcomponent* event, const Window& window,
                     const std::vector<icaltimetype>& replaced, int& stepsLeft);

    // Whether the event repeats (has an RRULE or an RDATE).
    static bool isRecurring(icalcomponent* event);
    // The day a start falls on in zone: a date is its own day, a time in UTC or in a named
    // zone is turned into zone, and a floating time is already the user's own.
    static QDate localDate(icaltimetype time, const QTimeZone& zone);
    // A time with the zone its property's TZID names: the file's own VTIMEZONE first, then the
    // system's; a name neither knows leaves the time floating.
    static icaltimetype withZone(icaltimetype time, icalproperty* property, icalcomponent* event);
};
