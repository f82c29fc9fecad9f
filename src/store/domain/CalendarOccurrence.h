#pragma once

#include <QDate>
#include <QString>

#include <vector>

// One day of another program's repeating event on the calendar server (a weekly class made on
// the phone): shown on its day beside the day's own note, and never part of it. The sync keeps
// them (SeriesBook); the day, its note and its marks stay the user's own.
struct CalendarOccurrence
{
    QDate date;
    QString text; // what the event shows on the day: "18:00 Clase de yoga"
    bool holiday = false;

    // How every view shows it, marked as the calendar's and not the day's own:
    // "Del calendario: 18:00 Clase de yoga", "Del calendario: San Isidro (festivo)".
    QString shown() const
    {
        QString what = text;
        if (holiday)
            what = what.isEmpty() ? QStringLiteral("festivo") : what + QStringLiteral(" (festivo)");
        return QStringLiteral("Del calendario: ") + what;
    }
    // Several on one day, in one line: "Del calendario: 18:00 Yoga · 20:00 Coro".
    static QString shownTogether(const std::vector<CalendarOccurrence>& occurrences)
    {
        QString line;
        for (const CalendarOccurrence& occurrence : occurrences) {
            const QString one = occurrence.shown();
            line += line.isEmpty() ? one : QStringLiteral(" · ") + one.mid(kPrefixLength);
        }
        return line;
    }
    // Where the event's own text begins in shown().
    static constexpr int kPrefixLength = 16; // "Del calendario: "

    bool operator==(const CalendarOccurrence&) const = default;
};
