#include "store/listings/NoteQueries.h"

#include "store/jet/DatePattern.h"

namespace {

// Days enter a query as their whole day numbers.
QString dayNumber(const QDate& date)
{
    return QString::number(qint64(DatePattern::fromDate(date)));
}

} // namespace

QString NoteQueries::allNotes()
{
    return QStringLiteral("select fecha, nota from calendar where len(nota) > 0 order by fecha");
}

QString NoteQueries::period(const QDate& first, const QDate& last)
{
    return QStringLiteral("SELECT fecha,nota from calendar WHERE fecha BETWEEN ") +
           dayNumber(first) + QStringLiteral(" AND ") + dayNumber(last) +
           QStringLiteral(" AND len(nota)>0 ORDER by fecha");
}
