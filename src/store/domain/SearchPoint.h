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
        // The note is the text another program's repeating event shows on the day (SeriesBook),
        // found after the day's own note.
        bool fromCalendar = false;
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
        Anywhere,   // from the first (or last) day on
        Row,        // past the row the point stands on
        Key,        // past the day the point was placed at, which has no row
        Occurrence, // past the occurrence the point stands on, which follows its day's rows
    };
    // The next match in one of the two tables, as the point would stand on it.
    struct Hit
    {
        double key = 0;
        qint64 rowid = 0;
        QString note;
    };
    std::optional<QDate> toEnd(Direction direction);
    Result search(Direction direction, From from, const NoteMatch& match);
    std::optional<Hit> nextDay(Direction direction, From from, const NoteMatch& match);
    std::optional<Hit> nextOccurrence(Direction direction, From from, const NoteMatch& match);
    // The first row the query finds, its place (?1 the day, ?2 the row) and match (?3, ?4)
    // bound as asked.
    std::optional<Hit> firstOf(Statement& find, bool fromKey, bool fromRow, const NoteMatch& match);
    Statement& statement(const QString& sql);
    void standOn(double key, qint64 rowid, bool occurrence = false);

    Database& db_;
    DayBook& days_;
    std::map<QString, Statement> statements_;

    // The place of the point: on a row (key and rowid) of a day or of an occurrence, beside a
    // key without a row, or before the first or past the last day; with no days at all it is
    // both. A day's occurrences come after the day's own rows.
    bool onRow_ = false;
    bool onOccurrence_ = false; // the row is an occurrence's, not a day's
    double key_ = 0;
    qint64 rowid_ = 0;
    bool start_ = true;
    bool end_ = true;
};
