#pragma once

#include "store/NoteMatch.h"
#include "store/TableCursor.h"

#include <QDate>
#include <QString>

#include <optional>

class Database;
class DayBook;

// The day the search goes on from: the one position in the days that the user sees. The
// user's own commands move it (opening or saving a day, showing a month, the selection's
// earliest and latest day) and the search leaves it on the day it found, or at the beginning or
// end of the days after a miss; nothing else moves it.
class SearchPoint
{
public:
    enum class Direction
    {
        Backwards,
        Forwards
    };

    struct Result
    {
        enum Kind
        {
            Found,
            NotFound, // ran off the days
            NoDays,   // there was nothing to search at all
        };
        Kind kind = NotFound;
        QDate date;
        QString note;
        int position = 0; // 1-based, in the compared note
    };

    SearchPoint(Database& db, DayBook& days);

    // The point stands on day (or, when it has no row, where it would be).
    void placeAt(const QDate& day);
    // The earliest or latest stored day, where the point now stands; none without days.
    std::optional<QDate> toFirst();
    std::optional<QDate> toLast();
    bool atStart() const { return cursor_.bof(); }
    bool atEnd() const { return cursor_.eof(); }

    // "Buscar": from the latest day backwards, or the earliest forwards.
    Result begin(Direction direction, const NoteMatch& match);
    // "Siguiente": one day on from the point, then on in the same way.
    Result next(Direction direction, const NoteMatch& match);

private:
    Result searchFromCurrent(Direction direction, const NoteMatch& match);
    std::optional<QDate> currentDate() const;
    bool ranOff(Direction direction) const;

    DayBook& days_;
    TableCursor cursor_; // index "Fecha": one row per day, in day order
};
