#include "store/domain/DayMerge.h"

#include "store/domain/TextMerge.h"

DayMerge::Outcome DayMerge::apply(Day& day, const EventDay& event)
{
    Day after = day;
    after.note = TextMerge::join(after.note, event.text);
    if (event.holiday)
        after.holiday = true;
    if (event.colour)
        after.colour = event.colour;
    if (event.alarm) {
        after.alarmOn = true;
        after.alarmTime = event.alarm;
    }
    if (after == day)
        return Outcome::Unchanged;
    day = after;
    return Outcome::Changed;
}
