#include "access/CalendarJoin.h"

#include "access/MdbError.h"
#include "access/MdbImport.h"
#include "store/CalendarStore.h"
#include "store/domain/DayMerge.h"
#include "store/domain/StoreImage.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/StoreError.h"
#include "store/sqlite/StoreFile.h"
#include "store/sqlite/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <map>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// What an older day brings to a stored one, as an imported event brings it: its note, its
// holiday mark, a colour other than the neutral one and an alarm that is on.
EventDay broughtBy(const DayRecord& record)
{
    EventDay event;
    event.date = record.date;
    event.name = dayText(record.date);
    event.text = record.note.value_or(QString());
    event.holiday = record.holiday;
    if (record.colour) {
        const std::optional<DayColour> colour = DayColours::fromCode(*record.colour);
        if (colour && *colour != DayColours::kNeutral)
            event.colour = colour;
    }
    if (record.alarmOn && record.time) {
        const double time = *record.time;
        event.alarm =
            QTime(DatePattern::hour(time), DatePattern::minute(time), DatePattern::second(time));
    }
    return event;
}

// The stored days over the older calendar's dates, by date.
std::map<QDate, Day> storedOver(CalendarStore& store, const CalendarMending::Result& older)
{
    std::map<QDate, Day> stored;
    if (older.days.empty())
        return stored;
    for (Day& day : store.days().between(older.days.front().date, older.days.back().date))
        stored.emplace(day.date, std::move(day));
    return stored;
}

bool storeEmpty(CalendarStore& store)
{
    return !store.days().first() && store.notitas().count() == 0;
}

} // namespace

void CalendarJoin::refuseOpenStore(const QString& file, const QString& storePath)
{
    struct stat chosen
    {
    };
    if (::stat(QFile::encodeName(file).constData(), &chosen) != 0)
        return; // nothing there: the reading names it
    for (const QString& part : {storePath, StoreFile::walPath(storePath),
                                StoreFile::shmPath(storePath), StoreFile::journalPath(storePath)}) {
        struct stat open
        {
        };
        if (::stat(QFile::encodeName(part).constData(), &open) != 0 ||
            open.st_dev != chosen.st_dev || open.st_ino != chosen.st_ino)
            continue;
        const QString what = part == storePath
                                 ? QStringLiteral("el calendario que Tarvelo tiene abierto")
                                 : QStringLiteral("un archivo de trabajo del calendario que "
                                                  "Tarvelo tiene abierto");
        throw MdbError(QStringLiteral("El archivo «%1» es %2, no un calendario de la versión "
                                      "anterior. Elija el calendar.mdb de Access que guardaba el "
                                      "programa anterior.")
                           .arg(shown(file), what));
    }
}

CalendarMending::Result CalendarJoin::read(const QString& file, const QString& storePath,
                                           const MdbReader::Limits& limits)
{
    refuseOpenStore(file, storePath);
    return MdbImport::read(file, limits);
}

CalendarJoin::Coming CalendarJoin::look(CalendarStore& store, const CalendarMending::Result& older)
{
    Coming coming;
    coming.days = int(older.days.size());
    coming.notitas = int(older.notitas.size());
    coming.storedNotitas = store.notitas().count();
    coming.storeEmpty = storeEmpty(store);
    if (coming.storeEmpty)
        return coming;
    const std::map<QDate, Day> stored = storedOver(store, older);
    for (const DayRecord& record : older.days) {
        const auto found = stored.find(record.date);
        if (found != stored.end() && !found->second.carriesNothing())
            ++coming.meeting;
    }
    return coming;
}

CalendarJoin::Result CalendarJoin::write(CalendarStore& store, const CalendarMending::Result& older)
{
    Result result;
    result.report = older.report;
    try {
        Transaction transaction(store.database());
        if (storeEmpty(store)) {
            // Nothing to join: the store takes the rows as a conversion writes them.
            StoreImage::fill(store.database(), older.days, older.notitas);
            result.filled = true;
            result.added = int(older.days.size());
        } else {
            const std::map<QDate, Day> stored = storedOver(store, older);
            std::vector<DayRecord> fresh;
            for (const DayRecord& record : older.days) {
                const auto found = stored.find(record.date);
                if (found == stored.end()) {
                    fresh.push_back(record);
                    continue;
                }
                Day day = found->second;
                const bool had = !day.carriesNothing();
                if (DayMerge::apply(day, broughtBy(record)) == DayMerge::Outcome::Unchanged) {
                    ++result.alreadyHeld;
                    continue;
                }
                store.days().save(day);
                ++(had ? result.joined : result.added);
            }
            StoreImage::fill(store.database(), fresh, {});
            result.added += int(fresh.size());
            for (const NotitaRecord& notita : older.notitas)
                store.notitas().addPlaced(notita.text.value_or(QString()), notita.top, notita.left);
        }
        transaction.commit();
    } catch (const StoreError& error) {
        throw MdbError(QStringLiteral("No se ha traído «%1»; el calendario queda como estaba. El "
                                      "almacén ha fallado: %2")
                           .arg(older.report.file, error.message()));
    }
    return result;
}
