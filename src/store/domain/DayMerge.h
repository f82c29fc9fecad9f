#pragma once

#include "store/domain/Day.h"
#include "store/domain/EventDay.h"

#include <QString>

// How an entry brought in changes a day (an iCalendar event, a day of an older calendar): its
// text joins the day's note (TextMerge::join) unless the note already holds it, however long
// the note grows, for nothing brought in is cut; a holiday mark, a colour or an alarm it
// carries is set on the day.
class DayMerge
{
public:
    DayMerge() = delete;

    enum class Outcome
    {
        Changed,
        Unchanged, // the day already held everything the event brings
    };

    static Outcome apply(Day& day, const EventDay& event);
};
