#pragma once

#include "store/domain/DayColour.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// One day of the calendar as the program sees it: its note, holiday mark, alarm and colour.
struct Day
{
    // What a day's note can hold: the note box takes no more from the keyboard.
    static constexpr int kMaxNote = 255;

    QDate date;
    QString note;
    bool holiday = false;
    bool alarmOn = false;
    // The alarm's time; none when the store holds none. A day saved with its alarm off keeps
    // the time it had.
    std::optional<QTime> alarmTime;
    // None when the store holds a code the program never writes (or none at all); a day saved
    // without a colour keeps the one it had.
    std::optional<DayColour> colour;

    // Nothing worth keeping: no note, no alarm, not a holiday, the neutral colour.
    bool carriesNothing() const
    {
        return note.isEmpty() && !alarmOn && !holiday && colour == DayColours::kNeutral;
    }

    bool operator==(const Day&) const = default;
};
