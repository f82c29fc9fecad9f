#include "store/domain/SearchPoint.h"

#include "store/domain/DayBook.h"
#include "store/domain/SeriesBook.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"

namespace {

// Every query reads the row's day, its note and its row number, in this order; rows without a
// date are no days and are passed by.
const QString kSelect = QStringLiteral("SELECT fecha, nota, rowid FROM calendar "
                                       "WHERE fecha IS NOT NULL ");

QString ordered(SearchPoint::Direction direction)
{
    return direction == SearchPoint::Direction::Forwards
               ? QStringLiteral(" ORDER BY fecha, rowid LIMIT 1")
               : QStringLiteral(" ORDER BY fecha DESC, rowid DESC LIMIT 1");
}

} // namespace

SearchPoint::SearchPoint(Database& db, DayBook& days) : db_(db), days_(days) {}

Statement& SearchPoint::statement(const QString& sql)
{
    auto it = statements_.find(sql);
    if (it == statements_.end())
        it = statements_.emplace(sql, db_.prepareOn(QStringLiteral("calendar"), sql)).first;
    return it->second;
}

void SearchPoint::standOn(double key, qint64 rowid, bool occurrence)
{
    onRow_ = true;
    onOccurrence_ = occurrence;
    key_ = key;
    rowid_ = rowid;
    start_ = end_ = false;
}

void SearchPoint::placeAt(const QDate& day)
{
    const double key = DatePattern::fromDate(day);
    Statement& seek =
        statement(QStringLiteral("SELECT rowid FROM calendar WHERE fecha = ?1 ORDER BY rowid "
                                 "LIMIT 1"));
    seek.bind(1, key);
    if (seek.step()) {
        const qint64 rowid = seek.columnInt64(0);
        seek.reset();
        standOn(key, rowid);
        return;
    }
    // A day without a row: the next step goes to its neighbour in the step's direction.
    onRow_ = false;
    onOccurrence_ = false;
    key_ = key;
    start_ = end_ = false;
}

std::optional<QDate> SearchPoint::toEnd(Direction direction)
{
    Statement& select = statement(kSelect + ordered(direction));
    if (!select.step()) {
        onRow_ = false;
        onOccurrence_ = false;
        start_ = end_ = true;
        return std::nullopt;
    }
    const double key = select.columnDouble(0);
    const qint64 rowid = select.columnInt64(2);
    select.reset();
    standOn(key, rowid);
    return DatePattern::toDate(key);
}

std::optional<QDate> SearchPoint::toFirst()
{
    return toEnd(Direction::Forwards);
}

std::optional<QDate> SearchPoint::toLast()
{
    return toEnd(Direction::Backwards);
}

std::optional<SearchPoint::Hit> SearchPoint::nextDay(Direction direction, From from,
                                                     const NoteMatch& match)
{
    const bool forwards = direction == Direction::Forwards;
    QString where;
    if (from == From::Row)
        where = forwards ? QStringLiteral("AND (fecha, rowid) > (?1, ?2) ")
                         : QStringLiteral("AND (fecha, rowid) < (?1, ?2) ");
    else if (from == From::Key)
        where = forwards ? QStringLiteral("AND fecha > ?1 ") : QStringLiteral("AND fecha < ?1 ");
    else if (from == From::Occurrence) // the day's own rows come before it
        where = forwards ? QStringLiteral("AND fecha > ?1 ") : QStringLiteral("AND fecha <= ?1 ");
    // One query finds the next day whose note holds the text, compared inside the store by
    // the same rules as on screen.
    Statement& find = statement(
        kSelect + where +
        QStringLiteral("AND %1(nota, ?3, ?4) > 0").arg(QLatin1String(NoteMatch::kSqlFunction)) +
        ordered(direction));
    return firstOf(find, from != From::Anywhere, from == From::Row, match);
}

std::optional<SearchPoint::Hit> SearchPoint::nextOccurrence(Direction direction, From from,
                                                            const NoteMatch& match)
{
    if (!days_.series().present())
        return std::nullopt;
    const bool forwards = direction == Direction::Forwards;
    QString where;
    if (from == From::Occurrence)
        where = forwards ? QStringLiteral("AND (fecha, rowid) > (?1, ?2) ")
                         : QStringLiteral("AND (fecha, rowid) < (?1, ?2) ");
    else if (from != From::Anywhere) // a day's occurrences come after its own rows
        where = forwards ? QStringLiteral("AND fecha >= ?1 ") : QStringLiteral("AND fecha < ?1 ");
    Statement& find = db_.cached(
        QStringLiteral("SELECT fecha, texto, rowid FROM %1 WHERE %2(texto, ?3, ?4) > 0 ")
            .arg(QLatin1String(SeriesBook::kOccurrences), QLatin1String(NoteMatch::kSqlFunction)) +
        where + ordered(direction));
    return firstOf(find, from != From::Anywhere, from == From::Occurrence, match);
}

std::optional<SearchPoint::Hit> SearchPoint::firstOf(Statement& find, bool fromKey, bool fromRow,
                                                     const NoteMatch& match)
{
    if (fromKey)
        find.bind(1, key_);
    if (fromRow)
        find.bind(2, rowid_);
    find.bind(3, match.text());
    find.bind(4, match.matchCase() ? 1 : 0);
    if (!find.step())
        return std::nullopt;
    Hit found{find.columnDouble(0), find.columnInt64(2), find.column(1).toString()};
    find.reset();
    return found;
}

SearchPoint::Result SearchPoint::search(Direction direction, From from, const NoteMatch& match)
{
    const bool forwards = direction == Direction::Forwards;
    const std::optional<Hit> day = nextDay(direction, from, match);
    const std::optional<Hit> occurrence = nextOccurrence(direction, from, match);
    if (!day && !occurrence) {
        onRow_ = false;
        onOccurrence_ = false;
        (forwards ? end_ : start_) = true;
        return Result{};
    }
    // On one day its own note comes first, then what the calendar shows on it.
    bool takeOccurrence = !day;
    if (day && occurrence)
        takeOccurrence = forwards ? occurrence->key < day->key : occurrence->key >= day->key;
    const Hit& next = takeOccurrence ? *occurrence : *day;
    Result found;
    found.kind = Result::Found;
    found.date = DatePattern::toDate(next.key);
    found.note = next.note;
    found.position = match.positionIn(found.note);
    found.fromCalendar = takeOccurrence;
    standOn(next.key, next.rowid, takeOccurrence);
    return found;
}

SearchPoint::Result SearchPoint::begin(Direction direction, const NoteMatch& match)
{
    // Notes typed into the notes list are part of what is searched.
    days_.writePending();
    if (!toEnd(direction) && !days_.series().present()) {
        Result none;
        none.kind = Result::NoDays;
        return none;
    }
    return search(direction, From::Anywhere, match);
}

SearchPoint::Result SearchPoint::next(Direction direction, const NoteMatch& match)
{
    days_.writePending();
    const bool forwards = direction == Direction::Forwards;
    if (forwards ? end_ : start_)
        return Result{};
    // Before the first day a step forwards goes to the first; past the last, a step back to
    // the last.
    const From from = (start_ || end_) ? From::Anywhere
                      : onOccurrence_  ? From::Occurrence
                      : onRow_         ? From::Row
                                       : From::Key;
    return search(direction, from, match);
}
