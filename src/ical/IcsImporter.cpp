#include "ical/IcsImporter.h"

#include "ical/IcsError.h"
#include "ical/IcsReader.h"
#include "store/CalendarStore.h"
#include "store/domain/DayMerge.h"
#include "store/sqlite/HeldFiles.h"
#include "store/sqlite/StoreError.h"
#include "store/sqlite/Transaction.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace {

QString shown(const QString& file)
{
    return QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

QByteArray readAll(const QString& file)
{
    // Read as the store's own files are: the file chosen may be the open store, or a pipe.
    using Kind = HeldFiles::Reading::Kind;
    HeldFiles::Reading reading = HeldFiles::read(file, -1);
    switch (reading.kind) {
    case Kind::File:
        return std::move(reading.bytes);
    case Kind::Missing:
        throw IcsError(
            QStringLiteral("No se puede importar «%1»: el archivo no existe").arg(shown(file)));
    case Kind::Forbidden:
    case Kind::Failed:
        throw IcsError(
            QStringLiteral("No se puede leer «%1»: %2").arg(shown(file), reading.failureInWords()));
    default:
        throw IcsError(QStringLiteral("No se puede importar «%1»: es %2, no un archivo")
                           .arg(shown(file), reading.kindInWords()));
    }
}

Day newDay(const QDate& date)
{
    Day day;
    day.date = date;
    day.colour = DayColours::kNeutral; // what the day editor writes for a plain day
    return day;
}

} // namespace

IcsCalendar IcsImporter::readFile(const QString& file, const std::atomic<bool>* cancel)
{
    return IcsCalendar::parse(readAll(file), shown(file), cancel);
}

IcsImporter::Prepared IcsImporter::prepare(const IcsCalendar& calendar,
                                           const ImportOptions& options,
                                           const std::atomic<bool>* cancel)
{
    Prepared prepared;
    prepared.summary.file = calendar.file();
    prepared.days = IcsReader::read(calendar, options, prepared.summary, cancel);
    return prepared;
}

ImportSummary IcsImporter::importFile(CalendarStore& store, const QString& file,
                                      const ImportOptions& options)
{
    return write(store, prepare(readFile(file), options));
}

ImportSummary IcsImporter::write(CalendarStore& store, Prepared prepared)
{
    ImportSummary& summary = prepared.summary;
    const std::vector<EventDay>& events = prepared.days;
    if (events.empty())
        return summary;
    // The events of each day in the order of the file: a day's note grows in that order.
    std::vector<const EventDay*> byDay;
    byDay.reserve(events.size());
    for (const EventDay& event : events)
        byDay.push_back(&event);
    std::stable_sort(byDay.begin(), byDay.end(),
                     [](const EventDay* a, const EventDay* b) { return a->date < b->date; });

    try {
        DayBook& days = store.days();
        Transaction transaction(store.database());
        std::map<QDate, Day> stored;
        for (Day& day : days.between(byDay.front()->date, byDay.back()->date))
            stored.emplace(day.date, std::move(day));

        for (auto it = byDay.begin(); it != byDay.end();) {
            const QDate date = (*it)->date;
            const auto found = stored.find(date);
            const bool existed = found != stored.end();
            const Day before = existed ? found->second : newDay(date);
            Day day = before;
            for (; it != byDay.end() && (*it)->date == date; ++it) {
                if (DayMerge::apply(day, **it) == DayMerge::Outcome::Unchanged)
                    ++summary.alreadyHeld;
            }
            if (day == before)
                continue;
            if (existed)
                days.save(day);
            else
                days.add(day);
            ++summary.daysWritten;
            if (!existed)
                ++summary.daysAdded;
            if (day.holiday && !before.holiday)
                ++summary.daysMarked;
        }
        transaction.commit();
    } catch (const StoreError& error) {
        throw IcsError(QStringLiteral("No se ha importado «%1»; el calendario queda como estaba. "
                                      "El almacén ha fallado: %2")
                           .arg(summary.file, error.message()));
    }
    return std::move(summary);
}
