#pragma once

#include "store/domain/DayBook.h"
#include "store/domain/NotitaBook.h"
#include "store/domain/OutsideWrites.h"
#include "store/domain/SearchPoint.h"
#include "store/listings/NoteListing.h"
#include "store/sqlite/Database.h"

#include <QString>

#include <memory>

// The open store and what the program reads and writes it through, held from start-up until
// the program ends: the database, the days, the notitas, the search's point and the listing
// the notes panel shows.
class CalendarStore
{
public:
    static constexpr const char* kFileName = "calendar.mdb";

    // Opens calendar.mdb in folder; never creates it. Throws StoreError.
    static std::unique_ptr<CalendarStore> open(const QString& folder);
    static QString pathIn(const QString& folder);

    Database& database() { return *db_; }
    DayBook& days() { return days_; }
    NotitaBook& notitas() { return notitas_; }
    SearchPoint& searchPoint() { return point_; }
    // Writes the windows did not make: the windows are told through it.
    OutsideWrites& outsideWrites() { return outside_; }

    // rsLista: the result of the latest listing.
    const NoteListing& listing() const { return listing_; }
    NoteListing& listing() { return listing_; }
    // Replaces the listing by the result of a query text; notes still waiting in the notes
    // list are written first, so that the listing shows them.
    void runListing(const QString& query);

private:
    explicit CalendarStore(std::unique_ptr<Database> db);

    std::unique_ptr<Database> db_;
    DayBook days_;
    NotitaBook notitas_;
    SearchPoint point_;
    NoteListing listing_;
    OutsideWrites outside_;
};
