#pragma once

#include <QString>

#include <libical/ical.h>

// What another program's event shows on a day it covers: its summary after its start's time
// (the time as the user's clock shows it; none for an all-day event), and whether it marks the
// day a holiday (the category "Festivo"). One reading for the events brought into a day's note
// and for the repeating ones shown beside it.
class ForeignEvent
{
public:
    ForeignEvent() = delete;

    // "18:00 Clase de yoga", "Feria", "08:00"; summary stands in for the event's own when it
    // has none (an occurrence replaced without one).
    static QString text(icalcomponent* event, const QString& summary = {});
    static bool holiday(icalcomponent* event);
};
