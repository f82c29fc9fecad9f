#pragma once

#include "store/domain/DayBook.h"
#include "store/domain/ListingRequest.h"
#include "store/domain/NotitaBook.h"
#include "store/domain/OutsideWrites.h"
#include "store/domain/SearchPoint.h"
#include "store/domain/SeriesBook.h"
#include "store/listings/NoteListing.h"
#include "store/sqlite/Database.h"

#include <QString>

#include <future>
#include <memory>

// The open store and what the program reads and writes it through, held from start-up until
// the program ends: the database, the days, the notitas, the search's point and the listing
// the notes panel shows.
class CalendarStore
{
public:
    static constexpr const char* kFileName = "calendar.mdb";

    // Opens calendar.mdb in folder; never creates it. Throws StoreError. A store opened for
    // reading only (the store tool's export) may be on a disk or in a file it cannot write.
    static std::unique_ptr<CalendarStore>
    open(const QString& folder, Database::Access access = Database::Access::ReadWrite);
    // The same on a thread of its own, so that the windows can be built on the store meanwhile:
    // nothing reads or writes it before opened() has returned, which waits for the opening and
    // throws its StoreError.
    static std::unique_ptr<CalendarStore> beginOpen(const QString& folder);
    void opened();
    static QString pathIn(const QString& folder);

    Database& database() { return *db_; }
    DayBook& days() { return days_; }
    // Other programs' repeating events on the calendar server, shown beside the days.
    SeriesBook& series() { return series_; }
    NotitaBook& notitas() { return notitas_; }
    SearchPoint& searchPoint() { return point_; }
    // Writes the windows did not make: the windows are told through it.
    OutsideWrites& outsideWrites() { return outside_; }

    // rsLista: the result of the latest listing.
    const NoteListing& listing() const { return listing_; }
    NoteListing& listing() { return listing_; }
    // Replaces the listing by the one the request asks for; notes still waiting in the notes
    // list are written first, so that the listing shows them.
    void runListing(const ListingRequest& request);

private:
    explicit CalendarStore(std::unique_ptr<Database> db);

    std::unique_ptr<Database> db_;
    SeriesBook series_;
    DayBook days_;
    NotitaBook notitas_;
    SearchPoint point_;
    NoteListing listing_;
    OutsideWrites outside_;
    std::future<std::unique_ptr<Database>> opening_;
};
