#include "store/domain/DayMerge.h"

const QString DayMerge::kSeparator = QStringLiteral(" · ");

bool DayMerge::holds(const QString& note, const QString& text)
{
    if (note == text)
        return true;
    // A text of blanks adds nothing to a note that has something; an empty note takes it.
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return !note.isEmpty();
    // Blanks around the text make no difference (readers drop them), but only a note of
    // exactly that text, or one of its parts between separators, holds it: "Ana" is not held
    // by "Mañana".
    if (note.trimmed() == wanted)
        return true;
    for (const QString& part : note.split(kSeparator)) {
        if (part.trimmed() == wanted)
            return true;
    }
    return (kSeparator + note + kSeparator).contains(kSeparator + text + kSeparator);
}

DayMerge::Result DayMerge::apply(Day& day, const EventDay& event)
{
    Day after = day;
    if (!holds(after.note, event.text)) {
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
