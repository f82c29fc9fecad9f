#include "store/CalendarStore.h"

#include <QDir>

QString CalendarStore::pathIn(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(kFileName));
}

std::unique_ptr<CalendarStore> CalendarStore::open(const QString& folder, Database::Access access)
{
    std::unique_ptr<CalendarStore> store(new CalendarStore(Database::open(pathIn(folder), access)));
    store->point_.toFirst(); // the point starts on the first day, as a cursor opened on the days
    store->outside_.start();
    return store;
}

std::unique_ptr<CalendarStore> CalendarStore::beginOpen(const QString& folder)
{
    const QString path = pathIn(folder);
    std::unique_ptr<CalendarStore> store(new CalendarStore(Database::unopened(path)));
    store->opening_ = std::async(std::launch::async, [path] { return Database::open(path); });
    return store;
}

void CalendarStore::opened()
{
    if (!opening_.valid())
        return;
    db_->take(opening_.get());
    point_.toFirst();
    outside_.start();
}

CalendarStore::CalendarStore(std::unique_ptr<Database> db)
    : db_(std::move(db)), series_(*db_), days_(*db_, series_), notitas_(*db_), point_(*db_, days_),
      outside_(*db_)
{
}

void CalendarStore::runListing(const ListingRequest& request)
{
    days_.writePending();
    // The listing shown so far is done with: a reading of its days still open ends now.
    listing_ = NoteListing();
    // Every note is what "Ver notas" and every saved day list: the day book keeps those days.
    listing_ = NoteListing::run(
        *db_, request,
        request.kind() == ListingRequest::Kind::AllNotes ? days_.noteDays() : NoteListing::Days());
}
