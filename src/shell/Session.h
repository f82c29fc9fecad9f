#pragma once

#include "platform/Seams.h"
#include "store/domain/StoreGuard.h"

#include <QObject>
#include <QString>

#include <memory>

class CalendarStore;
class SyncRunner;
class frmCalendar;

// One run of the program on a data folder: the store opened there, the guard every command
// runs under, and the windows built on them; made in that order and ended in reverse, so that
// nothing outlives what it reads and writes. The store opens on a thread of its own while the
// windows are built, and is refused before any of them shows.
class Session
{
public:
    // The program's exit status after the store failed.
    static constexpr int kStoreFailureExit = 2;
    // How long after the windows are up the store's whole file begins to be read.
    static constexpr int kWholeFileAfterMs = 250;

    // Opens calendar.mdb in folder, builds the windows and runs the start-up; the empty days
    // are pruned once the store's whole file has been read. Nothing, after the user has been
    // told why, when the store cannot be used.
    static std::unique_ptr<Session> start(const Seams& seams, const QString& folder);
    ~Session();

    CalendarStore& store() { return *store_; }
    const StoreGuard& guard() const { return guard_; }
    frmCalendar& window() { return *window_; }

private:
    Session(std::unique_ptr<CalendarStore> store, const Seams& seams, const QString& folder);
    void tidyUpOnceRead();

    // Where the tidy-up is told that the reading is done: it outlives the store, whose reading
    // thread may tell it until the store has closed.
    QObject tidyUp_;
    std::unique_ptr<CalendarStore> store_;
    StoreGuard guard_;
    // The sync, away from the window on a connection and a thread of its own: it outlives the
    // window, whose schedule asks it for syncs.
    std::unique_ptr<SyncRunner> runner_;
    std::unique_ptr<frmCalendar> window_;
};
