#include "ical/DayMerge.h"

const QString DayMerge::kSeparator = QStringLiteral(" · ");

bool DayMerge::holds(const QString& note, const QString& text)
{
    // libical reads a text without the blanks around it, so those make no difference.
    const QString wanted = text.trimmed();
    if (note.trimmed() == wanted)
        return true;
    // Whole parts only: "Ana" is not held by "Mañana".
    for (const QString& part : note.split(kSeparator)) {
        if (part.trimmed() == wanted)
            return true;
    }
    return (kSeparator + note + kSeparator).contains(kSeparator + text + kSeparator);
}

DayMerge::Result DayMerge::apply(Day& day, const EventDay& event)
{
    Day after = day;
    if (!event.text.isEmpty() && !holds(after.note, event.text)) {
        const QString note =
            after.note.isEmpty() ? event.text : after.note + kSeparator + event.text;
        if (note.size() > Day::kMaxNote)
            return {Outcome::TooLong, int(note.size())};
        after.note = note;
    }
    if (event.holiday)
        after.holiday = true;
    if (event.colour)
        after.colour = event.colour;
    if (event.alarm) {
        after.alarmOn = true;
        after.alarmTime = event.alarm;
    }
    if (after == day)
        return {Outcome::Unchanged, int(day.note.size())};
    day = after;
    return {Outcome::Changed, int(day.note.size())};
}
