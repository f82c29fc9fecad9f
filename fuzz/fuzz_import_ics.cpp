// Any bytes imported as an iCalendar file into a store of its own: the file is refused with an
// IcsError, leaving the store as it was, or imported, leaving no note longer than a note can be.

#include "ical/IcsError.h"
#include "ical/IcsImporter.h"
#include "store/CalendarStore.h"
#include "store/sqlite/StoreError.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

const QDate kKept(2025, 3, 5);
const QString kKeptNote = QStringLiteral("Nota que estaba");

CalendarStore& store(const QTemporaryDir& dir)
{
    static std::unique_ptr<CalendarStore> opened;
    if (!opened) {
        Database::create(CalendarStore::pathIn(dir.path()));
        opened = CalendarStore::open(dir.path());
        // Every input commits: without waiting for the disk, many more inputs an hour.
        opened->database().execute(QStringLiteral("PRAGMA synchronous=OFF"));
    }
    return *opened;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    CalendarStore& calendar = store(dir);
    calendar.database().execute(QStringLiteral("DELETE FROM calendar"));
    Day kept;
    kept.date = kKept;
    kept.note = kKeptNote;
    kept.colour = DayColour::Azul;
    calendar.days().save(kept);

    const QString path = dir.filePath(QStringLiteral("entrada.ics"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    ImportOptions options;
    options.shownYear = 2025;
    options.localZone = QTimeZone::utc();
    try {
        const ImportSummary summary = IcsImporter::importFile(calendar, path, options);
        if (summary.text().isEmpty())
            std::abort();
        for (const Day& day : calendar.days().between(QDate(100, 1, 1), QDate(9999, 12, 31))) {
            if (day.note.size() > Day::kMaxNote)
                std::abort();
        }
    } catch (const IcsError& error) {
        // A refused file writes nothing.
        if (error.message().isEmpty() || calendar.days().find(kKept) != kept ||
            calendar.days().between(QDate(100, 1, 1), QDate(9999, 12, 31)).size() != 1)
            std::abort();
    }
    return 0;
}
