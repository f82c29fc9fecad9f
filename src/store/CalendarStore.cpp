#include "store/CalendarStore.h"

#include <QDir>

#include <sqlite3.h>

QString CalendarStore::allNotesQuery()
{
    return QStringLiteral("select fecha, nota from calendar where len(nota) > 0 order by fecha");
}

QString CalendarStore::pathIn(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(kFileName));
}

std::unique_ptr<CalendarStore> CalendarStore::open(const QString& folder)
{
    return std::unique_ptr<CalendarStore>(new CalendarStore(Database::open(pathIn(folder))));
}

CalendarStore::CalendarStore(std::unique_ptr<Database> db)
    : dbCalendar(std::move(db)), rsCalendar(*dbCalendar, QStringLiteral("calendar")),
      rsNota(*dbCalendar, QStringLiteral("Nota"))
{
    rsCalendar.setIndex(QStringLiteral("Fecha"));
}

void CalendarStore::runListing(const QString& query)
{
    rsLista = Listing::run(*dbCalendar, query);
}

bool CalendarStore::writeNote(double fecha, const QString& nota)
{
    Statement update =
        dbCalendar->prepare(QStringLiteral("UPDATE calendar SET nota = ?1 WHERE fecha = ?2"));
    update.bind(1, nota);
    update.bind(2, fecha);
    update.execute();
    dbCalendar->noteWrite();
    return sqlite3_changes(dbCalendar->handle()) > 0;
}
