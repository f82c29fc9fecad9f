#include "ical/IcsImporter.h"

#include "ical/IcsError.h"
#include "ical/IcsReader.h"
#include "store/CalendarStore.h"
#include "store/domain/DayMerge.h"
#include "store/sqlite/StoreError.h"
#include "store/sqlite/Transaction.h"

#include <QDir>
#include <QFile>
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
    QFile in(file);
    if (!QFileInfo(file).isFile()) {
        throw IcsError(QStringLiteral("No se puede importar «%1»: %2")
                           .arg(shown(file), QFileInfo::exists(file)
                                                 ? QStringLiteral("es una carpeta, no un archivo")
                                                 : QStringLiteral("el archivo no existe")));
    }
    if (!in.open(QIODevice::ReadOnly)) {
        throw IcsError(
            QStringLiteral("No se puede leer «%1»: %2").arg(shown(file), in.errorString()));
    }
    QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        throw IcsError(
            QStringLiteral("No se puede leer «%1»: %2").arg(shown(file), in.errorString()));
    }
    return bytes;
}

Day newDay(const QDate& date)
{
    Day day;
    day.date = date;
    day.colour = DayColours::kNeutral; // what the day editor writes for a plain day
    return day;
}

QString tooLong(int length)
{
    return QStringLiteral("no cabe en la nota del día (quedaría de %1 caracteres; caben %2)")
        .arg(length)
        .arg(Day::kMaxNote);
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
                const DayMerge::Result result = DayMerge::apply(day, **it);
                if (result.outcome == DayMerge::Outcome::TooLong)
                    summary.rejected.push_back({(*it)->name, date, tooLong(result.noteLength)});
                else if (result.outcome == DayMerge::Outcome::Unchanged)
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
