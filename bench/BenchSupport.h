#pragma once

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Statement.h"

#include <QObject>
#include <QString>

#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>
#include <stdexcept>

// What the benchmark programs share: seams that never wait for a person, a store of their own
// filled in one transaction, and fixtures made on first use.

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(1997, 3, 5), QTime(9, 7)); }
};

class SilentBoxes : public MessageBoxes
{
public:
    int show(const QString&, int, const QString&) override { return Ok; }
    int choose(const QString&, const QStringList& buttons, int, int, const QString&) override
    {
        return int(buttons.size()) - 1;
    }
};

// The guard the benchmarks' widgets run under: a figure measured past a failure of the store
// would mean nothing, so the program stops there.
inline const StoreGuard& benchGuard()
{
    static const StoreGuard guard([](const StoreError& error, const QString&) {
        std::fprintf(stderr, "%s\n", error.message().toLocal8Bit().constData());
        std::abort();
    });
    return guard;
}

// The control named name among parent's children; the program stops when there is none.
template <typename T> T* control(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}

// An empty store in a temporary folder, closed before the folder goes.
struct BenchStore
{
    BenchStore()
    {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
    }

    // One row a day from `first`, through an INSERT whose ?1 is the day; `bind` sets the rest.
    template <typename Bind>
    void fillDays(int rows, const QDate& first, const QString& insert, Bind bind)
    {
        Database& db = store->database();
        db.execute(QStringLiteral("BEGIN"));
        {
            Statement statement = db.prepare(insert);
            const double day = DatePattern::fromDate(first);
            for (int i = 0; i < rows; ++i) {
                statement.bind(1, day + i);
                bind(statement, i);
                statement.execute();
                statement.reset();
            }
        }
        db.execute(QStringLiteral("COMMIT"));
        db.noteWrite();
        store->searchPoint().toFirst();
    }

    // A bare baseline: a count run again and again on a read-only connection of its own, with
    // its parameters bound once.
    void timeBareCount(benchmark::State& state, const char* sql,
                       std::initializer_list<double> parameters) const
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(CalendarStore::pathIn(dir.path())).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* count = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &count, nullptr);
        int index = 0;
        for (double parameter : parameters)
            sqlite3_bind_double(count, ++index, parameter);
        for (auto _ : state) {
            sqlite3_step(count);
            benchmark::DoNotOptimize(sqlite3_column_int64(count, 0));
            sqlite3_reset(count);
        }
        sqlite3_finalize(count);
        sqlite3_close_v2(db);
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/tarvelo-bench-XXXXXX")};
    std::unique_ptr<CalendarStore> store;
};

// Fixtures made on first use, one per store size, and released on demand (before the application
// object that their widgets need). Whatever a benchmark needs beyond the store it sets up
// itself, so that its figure is the same alone, in the full run and interleaved with others.
template <typename Fixture> class SizedFixtures
{
public:
    Fixture& get(int rows)
    {
        std::unique_ptr<Fixture>& fixture = fixtures_[rows];
        if (!fixture)
            fixture = std::make_unique<Fixture>(rows);
        return *fixture;
    }
    void reset() { fixtures_.clear(); }

private:
    std::map<int, std::unique_ptr<Fixture>> fixtures_;
};

// Other programs' repeating events as a sync keeps them: `series` weekly classes from `first`,
// `weeks` times each, on the days of the store.
inline void seedSeries(CalendarStore& store, const QDate& first, int weeks, int series)
{
    Database& db = store.database();
    db.execute(QStringLiteral("BEGIN"));
    for (int k = 0; k < series; ++k) {
        std::vector<CalendarOccurrence> days;
        for (int week = 0; week < weeks; ++week)
            days.push_back(
                {first.addDays(7 * week + k), QStringLiteral("18:00 Clase %1").arg(k), false});
        SeriesBook(db).replace({QStringLiteral("clase-%1.ics").arg(k), {}, QDate(9999, 12, 31)},
                               days);
    }
    db.execute(QStringLiteral("COMMIT"));
    db.noteWrite();
}

// The memory the process holds now, in megabytes (Linux; 0 elsewhere).
inline double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

// A fixture made on first use and released on demand, before the application object that its
// widgets need.
template <typename Fixture> class LazyFixture
{
public:
    Fixture& get()
    {
        if (!fixture_)
            fixture_ = std::make_unique<Fixture>();
        return *fixture_;
    }
    void reset() { fixture_.reset(); }

private:
    std::unique_ptr<Fixture> fixture_;
};
