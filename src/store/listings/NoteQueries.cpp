#include "store/listings/NoteQueries.h"

#include "store/jet/DatePattern.h"
#include "store/listings/SelectionQuery.h"

namespace {

// Days enter a query as their whole day numbers.
QString dayNumber(const QDate& date)
{
    return QString::number(qint64(DatePattern::fromDate(date)));
}

QString order(ListingRequest::Kind kind)
{
    switch (kind) {
    case ListingRequest::Kind::AllNotes:
        return QStringLiteral(" order by fecha");
    case ListingRequest::Kind::Period:
        return QStringLiteral(" ORDER by fecha");
    case ListingRequest::Kind::Selection:
        break;
    }
    return SelectionQuery::orderPiece();
}

} // namespace

QString NoteQueries::unordered(const ListingRequest& request)
{
    switch (request.kind()) {
    case ListingRequest::Kind::AllNotes:
        return QStringLiteral("select fecha, nota from calendar where len(nota) > 0");
    case ListingRequest::Kind::Period:
        return QStringLiteral("SELECT fecha,nota from calendar WHERE fecha BETWEEN ") +
               dayNumber(request.first()) + QStringLiteral(" AND ") + dayNumber(request.last()) +
               QStringLiteral(" AND len(nota)>0");
    case ListingRequest::Kind::Selection:
        break;
    }
    return SelectionQuery::unordered(request.criteria());
}

QString NoteQueries::text(const ListingRequest& request)
{
    return unordered(request) + order(request.kind());
}
