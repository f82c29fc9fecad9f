#pragma once

#include "store/domain/Day.h"
#include "store/domain/EventDay.h"

#include <QString>

// How an entry brought in changes a day (an iCalendar event, a day of an older calendar): its
// text joins the day's note after kSeparator unless the note already holds it, and only while
// the note still fits; a holiday mark, a colour or an alarm it carries is set on the day.
class DayMerge
{
public:
    DayMerge() = delete;

    static const QString kSeparator; // " · "

    enum class Outcome
    {
        Changed,
        Unchanged, // the day already held everything the event brings
        TooLong,   // the note would pass Day::kMaxNote: the day is left as it was
    };
    struct Result
    {
        Outcome outcome;
        int noteLength; // what the note would have been, in characters
    };

    static Result apply(Day& day, const EventDay& event);
    // The note holds text as itself, as one of its parts between separators or as a run of
    // them, blanks around it aside.
    static bool holds(const QString& note, const QString& text);
};
