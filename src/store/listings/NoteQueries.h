#pragma once

#include "store/domain/ListingRequest.h"

#include <QString>

// The query texts of the notes listings, made from their requests: with the day book's, the
// only texts that name the store's columns for a listing.
class NoteQueries
{
public:
    NoteQueries() = delete;

    // The text a request is run by, as the program has always sent it.
    static QString text(const ListingRequest& request);
    // The same rows without their order: the listing sorts its days itself.
    static QString unordered(const ListingRequest& request);
};
