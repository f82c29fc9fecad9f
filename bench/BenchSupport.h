#pragma once

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"
#include "store/Statement.h"
#include "store/StoreGuard.h"

#include <QObject>
#include <QString>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
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

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/tarvelo-bench-XXXXXX")};
    std::unique_ptr<CalendarStore> store;
};

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
