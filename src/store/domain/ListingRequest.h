#pragma once

#include "store/domain/SelectionCriteria.h"

#include <QDate>

// What a listing of the notes panel asks of the store: every note ("Ver notas"), the noted
// days of a period (a month or a year), or a selection with its criteria. Only the store turns
// it into a query text; it picks how to run the listing from the request's kind.
class ListingRequest
{
public:
    enum class Kind
    {
        AllNotes,
        Period,
        Selection
    };

    ListingRequest() = default; // every note
    static ListingRequest allNotes() { return {}; }
    // The days from first to last, both included, that have a note.
    static ListingRequest period(const QDate& first, const QDate& last);
    static ListingRequest selection(const SelectionCriteria& criteria);

    Kind kind() const { return kind_; }
    // A period's first and last day; invalid for the other kinds.
    QDate first() const { return first_; }
    QDate last() const { return last_; }
    // A selection's criteria; the defaults for the other kinds.
    const SelectionCriteria& criteria() const { return criteria_; }
    // Every stored day over a range, and nothing else: a listing that can be counted from the
    // index of dates alone.
    bool wholeRange() const { return kind_ == Kind::Selection && criteria_.wholeRange(); }

    bool operator==(const ListingRequest&) const = default;

private:
    Kind kind_ = Kind::AllNotes;
    QDate first_;
    QDate last_;
    SelectionCriteria criteria_;
};
