#pragma once

#include "store/domain/DayColour.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// What the "Selección" dialog asks of the store, turned into a query text and a printed
// title; kept free of widgets and of the store so that any input can be tried against it.
class SelectionQuery
{
public:
    // The ends of the date range, as day numbers; whole days, so that the query text always
    // holds two plain integers.
    qint64 desde = 0;
    qint64 hasta = 0;
    bool festivo = true;
    bool laboral = true;
    std::optional<DayColour> colour; // none: every colour ("Todos")
    // The word of the note as typed: trimmed for the search, as typed in the title.
    QString word;

    QString query() const;
    // The printed title: count + " Hallados entre " + the date boxes' texts + the filters.
    QString title(int count, const QString& desdeText, const QString& hastaText) const;

    QString rangePiece() const;
    QString holidayPiece() const;
    QString holidayTitle() const;
    QString colourPiece() const;
    QString colourTitle() const;
    QString wordPiece() const;
    QString wordTitle() const;

    // The word as the text of a quoted pattern: the store's own quoting (an apostrophe is
    // doubled) and nothing that could end the query text early, while "*", "?", "#" and "["
    // keep their meaning as parts of the pattern.
    static QString quotedPattern(const QString& word);
};
