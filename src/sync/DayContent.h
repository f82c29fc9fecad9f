#pragma once

#include "store/domain/Day.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

// A day as one event on the server: the body sent for it (the export's own event for that
// day), and what an event's body read back brings.
class DayContent
{
public:
    DayContent() = delete;

    // The day as the server keeps it: the note without the blanks around it (so one of blanks
    // only is none), the alarm's time counts
    // only while the alarm is on and only to the minute, no colour is the neutral one. Two days
    // are the same on the server exactly when these are equal.
    static Day canonical(const Day& day);
    // Whether the day is on the server at all (the export writes it).
    static bool isEvent(const Day& day);
    // The calendar text of the day's event.
    static QByteArray body(const Day& day);
    // The name of the day's event in the calendar's folder: "dia-19970305.ics".
    static QString fileName(const QDate& date);

    // What an event's body brings.
    struct Read
    {
        bool ours = false; // a day's own event: its UID is dia-AAAAMMDD@tarvelo
        Day day;           // ours: the day it carries (canonical)
        // Another program's event: the days it covers, as an import would give them (each day
        // of a multi-day event; each repetition of a recurring one from the year it starts through
        // the next), and the text it brings to each (its summary, after its time when it has one);
        // no days when it has no VEVENT to take.
        std::vector<QDate> dates;
        QString text;
        bool holiday = false;
        bool recurring = false; // its rule reaches beyond the days it is brought into
    };
    // Throws SyncError naming where when the body is no calendar text.
    static Read read(const QByteArray& body, const QString& where);
};
