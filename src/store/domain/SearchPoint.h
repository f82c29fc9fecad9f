#pragma once

#include "store/jet/NoteMatch.h"
#include "store/sqlite/Statement.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>

class Database;
class DayBook;

// The day the search goes on from: the one position in the days that the user sees. The
// user's own commands move it (opening or saving a day, showing a month, the selection's
// earliest and latest day) and the search leaves it on the day it found, or before the first
// or past the last day after a miss; nothing else moves it. It is kept as the day it stands
// on, so that days saved or deleted since leave it where it was.
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
    // Before the first day (a backward search ran off), or past the last one.
    bool atStart() const { return start_; }
    bool atEnd() const { return end_; }

    // "Buscar": from the latest day backwards, or the earliest forwards.
    Result begin(Direction direction, const NoteMatch& match);
    // "Siguiente": on from the day after the point, in the same way.
    Result next(Direction direction, const NoteMatch& match);

private:
    enum class From
    {
        Anywhere, // from the first (or last) day on
        Row,      // past the row the point stands on
        Key,      // past the day the point was placed at, which has no row
    };
    std::optional<QDate> toEnd(Direction direction);
    Result search(Direction direction, From from, const NoteMatch& match);
    Statement& statement(const QString& sql);
    void standOn(double key, qint64 rowid);

    Database& db_;
    DayBook& days_;
    std::map<QString, Statement> statements_;

    // The place of the point: on a row (key and rowid), beside a key without a row, or before
    // the first or past the last day; with no days at all it is both.
    bool onRow_ = false;
    double key_ = 0;
    qint64 rowid_ = 0;
    bool start_ = true;
    bool end_ = true;
};
