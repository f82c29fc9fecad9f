#pragma once

#include <QDate>
#include <QString>

#include <vector>

// What an import did and what it left out and why, and the Spanish text that tells the user.
struct ImportSummary
{
    // One event on one day (or, with no date, the whole event) that was not imported.
    struct Rejection
    {
        QString event; // its summary, or its UID, as written (text() shortens it)
        QDate date;    // invalid when the event has no usable day at all
        QString reason;
    };
    // A line of the file that was passed over, the rest of its event kept.
    struct SkippedLine
    {
        QString event;  // the event it was in, as Rejection names it; empty outside events
        qsizetype line; // where it begins in the file
        QString quoted; // its beginning
        QString reason;
    };

    QString file; // as the user should see it: absolute, native separators
    QDate from;   // the days recurring events were repeated over
    QDate to;
    int events = 0;       // VEVENT components read
    int recurring = 0;    // of those, events that repeat
    int daysCovered = 0;  // the days the events imported cover, each event's counted
    int daysWritten = 0;  // days added or changed
    int daysAdded = 0;    // of those, days that had no row
    int daysMarked = 0;   // days that became holidays
    int alreadyHeld = 0;  // event days on a day that already held all they bring
    int outsideRange = 0; // events with no day among the days asked for
    int otherEntries = 0; // VJOURNAL, VTODO and the like: never imported
    std::vector<Rejection> rejected;
    std::vector<SkippedLine> skipped;

    // The counts, one a line, then at most `listed` of the lines passed over and of the
    // rejections (and how many more).
    QString text(int listed = 20) const;
};
