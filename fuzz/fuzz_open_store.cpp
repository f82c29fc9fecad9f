// Opening any file as the store, then working on whatever opened as the user would: saving a
// day and a notita, walking the days forwards and backwards as the search does, tidying up and
// listing. Nothing may crash, and a refused file is left byte for byte as it was, with nothing
// new beside it.

#include "store/CalendarStore.h"
#include "store/domain/ListingRequest.h"
#include "store/sqlite/StoreError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

// A step that the store may refuse: its failure is reported to the user, and the next step
// goes on, as the fuzzing is after crashes, not after refusals.
template <typename Step> void attempt(Step&& step)
{
    try {
        step();
    } catch (const StoreError&) {
    }
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

void walk(SearchPoint& point, SearchPoint::Direction direction)
{
    const NoteMatch match(NoteMatch::prepare(QStringLiteral("a"), false), false);
    SearchPoint::Result result = point.begin(direction, match);
    for (int steps = 0; result.kind == SearchPoint::Result::Found && steps < 10000; ++steps)
        result = point.next(direction, match);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    for (const QString& name : entriesOf(dir.path()))
        QFile::remove(QDir(dir.path()).filePath(name));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(bytes);
    }

    std::unique_ptr<CalendarStore> store;
    try {
        store = CalendarStore::open(dir.path());
    } catch (const StoreError&) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        // What is refused at the door is never written to, and nothing is left beside it.
        if (file.readAll() != bytes || entriesOf(dir.path()) != QStringList{"calendar.mdb"})
            std::abort();
        return 0;
    }

    DayBook& days = store->days();
    Day day;
    day.date = QDate(1997, 3, 5);
    day.note = QStringLiteral("una nota");
    day.holiday = true;
    day.alarmOn = true;
    day.alarmTime = QTime(9, 5);
    day.colour = DayColour::Verde;
    attempt([&] { days.save(day); });
    attempt([&] { days.find(day.date); });
    attempt([&] {
        NotitaBook& notitas = store->notitas();
        for (const Notita& notita : notitas.first(10))
            notitas.save(Notita{notita.row, notita.text + QStringLiteral("!"), 1, 2});
        const qint64 row = notitas.add();
        notitas.save(Notita{row, QStringLiteral("una notita"), 150, 300});
    });
    attempt([&] { walk(store->searchPoint(), SearchPoint::Direction::Forwards); });
    attempt([&] { walk(store->searchPoint(), SearchPoint::Direction::Backwards); });
    attempt([&] { days.pruneEmpty(); });
    attempt([&] { store->runListing(ListingRequest::allNotes()); });
    return 0;
}
