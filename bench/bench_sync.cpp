// The sync's decisions on a calendar of 100,000 days synced before, 10 of which changed on the
// server and 10 here, beside a bare read of the same days from the store: as listed since the
// last sync (sync-collection, the server's 10 changes), and as listed whole (a server without
// sync-collection: every name with its ETag).
#include "store/CalendarStore.h"
#include "store/domain/SyncBook.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/Transaction.h"
#include "sync/CalendarSync.h"
#include "sync/SyncPlan.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

namespace {

constexpr int kDays = 100000;
constexpr int kChanged = 10;
const QDate kFirst(1990, 1, 1);

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;
    SyncPlan::Records records;
    SyncPlan::Local local;
    SyncPlan::Listing changes; // since the last sync
    SyncPlan::Listing whole;
    std::vector<SyncPlan::Fetched> fetched;

    Fixture()
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
        Database& db = store->database();
        SyncBook book(db);
        Transaction transaction(db);
        Statement insert =
            db.prepare(QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, Color) "
                                      "VALUES (?1, ?2, 0, 0, 5)"));
        for (int d = 0; d < kDays; ++d) {
            Day day;
            day.date = kFirst.addDays(d);
            day.note = QStringLiteral("Nota del día %1").arg(d);
            day.colour = DayColours::kNeutral;
            insert.bind(1, DatePattern::fromDate(day.date));
            insert.bind(2, day.note);
            insert.execute();
            const SyncItem item = SyncItem::ofDay(day);
            const QString href = QStringLiteral("/cal/") + item.fileName();
            const QByteArray etag = QByteArray::number(d);
            book.record(SyncBook::Event{href, QString::fromLatin1(etag), day.date, item.day});
            records.push_back({href, etag, SyncRecord::Holds::Item, item});
            local.emplace(item.key, item);
            whole.present.emplace(href, d < kChanged ? etag + "x" : etag);
            if (d < kChanged) {
                changes.present.emplace(href, etag + "x");
                SyncItem there = item;
                there.day.note += QStringLiteral(" (cambiada allí)");
                fetched.push_back({href,
                                   etag + "x",
                                   {SyncItem::Read::What::Item, there, {}, {}, false, false, {}}});
            }
        }
        book.setSetting(QStringLiteral("calendario"), QStringLiteral("http://127.0.0.1/cal/"));
        transaction.commit();
        for (int d = kDays - kChanged; d < kDays; ++d) {
            SyncItem& here = local.at({SyncItem::Kind::Day, kFirst.addDays(d), {}});
            here.day.note += QStringLiteral(" (cambiada aquí)");
        }
        whole.complete = true;
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// The bare read: every day's fields, straight from SQLite.
void BM_BareReadOfTheDays(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3* db = f.store->database().handle();
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT fecha, nota, festivo, alarma, hora, Color FROM calendar", -1,
                           &select, nullptr);
        qint64 length = 0;
        while (sqlite3_step(select) == SQLITE_ROW)
            length += sqlite3_column_bytes(select, 1) + sqlite3_column_int(select, 5);
        sqlite3_finalize(select);
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_BareReadOfTheDays)->Unit(benchmark::kMillisecond);

// The decision alone: what to fetch, what the server's changes do, what goes up.
void decide(benchmark::State& state, const SyncPlan::Listing& listing)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        const SyncPlan::Recorded recorded(f.records, listing);
        benchmark::DoNotOptimize(SyncPlan::toFetch(recorded, listing));
        const SyncPlan::Decision decision =
            SyncPlan::decide(recorded, listing, f.fetched, QStringLiteral("/cal/"));
        benchmark::DoNotOptimize(decision);
        benchmark::DoNotOptimize(
            SyncPlan::uploads(f.records, f.local, QStringLiteral("/cal/"), true));
    }
}
void BM_DecideTenChangesAmong100k(benchmark::State& state)
{
    decide(state, fixture().changes);
}
BENCHMARK(BM_DecideTenChangesAmong100k)->Unit(benchmark::kMillisecond);
void BM_DecideTenChangesAmong100kListedWhole(benchmark::State& state)
{
    decide(state, fixture().whole);
}
BENCHMARK(BM_DecideTenChangesAmong100kListedWhole)->Unit(benchmark::kMillisecond);

// As a sync does it: the days and the records read from the store, then the plan of what goes
// up (CalendarSync::pending).
void BM_ReadAndPlanFromTheStore(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(CalendarSync::pending(*f.store));
}
BENCHMARK(BM_ReadAndPlanFromTheStore)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
