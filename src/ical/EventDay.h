#pragma once

#include "store/domain/DayColour.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// What one event brings to one day: text for the note, a holiday mark, and the colour and
// alarm our own export carries.
struct EventDay
{
    QDate date;
    QString text; // empty when the event brings no text (a summary that only stood in)
    QString name; // how the user knows the event: its summary, else its UID, as written
    bool holiday = false;
    std::optional<DayColour> colour;
    std::optional<QTime> alarm;
};
