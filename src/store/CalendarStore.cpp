#include "store/CalendarStore.h"

#include "store/listings/NoteQueries.h"

#include <QDir>

QString CalendarStore::pathIn(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(kFileName));
}

std::unique_ptr<CalendarStore> CalendarStore::open(const QString& folder)
{
    return std::unique_ptr<CalendarStore>(new CalendarStore(Database::open(pathIn(folder))));
}

CalendarStore::CalendarStore(std::unique_ptr<Database> db)
    : db_(std::move(db)), days_(*db_), notitas_(*db_), point_(*db_, days_), outside_(*db_)
{
}

void CalendarStore::runListing(const QString& query)
{
    days_.commitAllStaged();
    // The listing shown so far is done with: a reading of its days still open ends now.
    listing_ = NoteListing();
    // Every note is what "Ver notas" and every saved day list: the day book keeps those days.
    listing_ = NoteListing::run(
        *db_, query, query == NoteQueries::allNotes() ? days_.noteDays() : NoteListing::Days());
}
