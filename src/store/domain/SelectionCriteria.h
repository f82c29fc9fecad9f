#pragma once

#include "store/domain/DayColour.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// What the "Selección" dialog asks for: a range of days, the holiday mark, a colour and a word
// of the note; with the title a printout of it carries. Free of widgets and of SQL, so that any
// choice can be tried against the store's own text for it.
struct SelectionCriteria
{
    // The ends of the date range, as day numbers; whole days, so that the query text always
    // holds two plain integers.
    qint64 desde = 0;
    qint64 hasta = 0;
    bool festivo = true;
    bool laboral = true;
    std::optional<DayColour> colour; // none: every colour ("Todos")
    // The word of the note as typed: trimmed for the search, as typed in the title.
    QString word;

    // Both holiday boxes or neither ask for every day: a filter only when exactly one is ticked.
    bool holidaysOnly() const { return festivo && !laboral; }
    bool workdaysOnly() const { return laboral && !festivo; }
    // Nothing asked beyond the range: every stored day of it is listed.
    bool wholeRange() const
    {
        return !holidaysOnly() && !workdaysOnly() && !colour && word.isEmpty();
    }

    // The printed title: count + " Hallados entre " + the date boxes' texts + the filters.
    QString title(int count, const QString& desdeText, const QString& hastaText) const;
    QString holidayTitle() const;
    QString colourTitle() const;
    QString wordTitle() const;

    bool operator==(const SelectionCriteria&) const = default;
};
