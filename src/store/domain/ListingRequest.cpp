#include "store/domain/ListingRequest.h"

ListingRequest ListingRequest::period(const QDate& first, const QDate& last)
{
    ListingRequest request;
    request.kind_ = Kind::Period;
    request.first_ = first;
    request.last_ = last;
    return request;
}

ListingRequest ListingRequest::selection(const SelectionCriteria& criteria)
{
    ListingRequest request;
    request.kind_ = Kind::Selection;
    request.criteria_ = criteria;
    return request;
}
