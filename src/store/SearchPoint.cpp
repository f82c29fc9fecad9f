#include "store/SearchPoint.h"

#include "store/DatePattern.h"
#include "store/DayBook.h"

SearchPoint::SearchPoint(Database& db, DayBook& days)
    : days_(days), cursor_(db, QStringLiteral("calendar"))
{
    cursor_.setIndex(QStringLiteral("Fecha"));
}

void SearchPoint::placeAt(const QDate& day)
{
    cursor_.seek(DatePattern::fromDate(day));
}

std::optional<QDate> SearchPoint::currentDate() const
{
    if (!cursor_.hasCurrent())
        return std::nullopt;
    return DatePattern::toDate(cursor_.value(QStringLiteral("fecha")).toDouble());
}

std::optional<QDate> SearchPoint::toFirst()
{
    cursor_.moveFirst();
    return currentDate();
}

std::optional<QDate> SearchPoint::toLast()
{
    cursor_.moveLast();
    return currentDate();
}

bool SearchPoint::ranOff(Direction direction) const
{
    return direction == Direction::Backwards ? cursor_.bof() : cursor_.eof();
}

SearchPoint::Result SearchPoint::searchFromCurrent(Direction direction, const NoteMatch& match)
{
    while (!ranOff(direction)) {
        const QString note = cursor_.value(QStringLiteral("nota")).toString();
        if (const int position = match.positionIn(note); position > 0) {
            Result found;
            found.kind = Result::Found;
            found.date = currentDate().value_or(QDate());
            found.note = note;
            found.position = position;
            return found;
        }
        if (direction == Direction::Backwards)
            cursor_.movePrevious();
        else
            cursor_.moveNext();
    }
    return Result{};
}

SearchPoint::Result SearchPoint::begin(Direction direction, const NoteMatch& match)
{
    // Notes typed into the notes list are part of what is searched.
    days_.commitAllStaged();
    if (direction == Direction::Backwards)
        cursor_.moveLast();
    else
        cursor_.moveFirst();
    if (ranOff(direction)) {
        Result none;
        none.kind = Result::NoDays;
        return none;
    }
    return searchFromCurrent(direction, match);
}

SearchPoint::Result SearchPoint::next(Direction direction, const NoteMatch& match)
{
    days_.commitAllStaged();
    if (ranOff(direction))
        return Result{};
    if (direction == Direction::Backwards)
        cursor_.movePrevious();
    else
        cursor_.moveNext();
    return searchFromCurrent(direction, match);
}
