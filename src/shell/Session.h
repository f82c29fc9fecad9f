#pragma once

#include "platform/Seams.h"
#include "store/domain/StoreGuard.h"

#include <QString>

#include <memory>

class CalendarStore;
class frmCalendar;

// One run of the program on a data folder: the store opened there, the guard every command
// runs under, and the windows built on them; made in that order and ended in reverse, so that
// nothing outlives what it reads and writes.
class Session
{
public:
    // The program's exit status after the store failed.
    static constexpr int kStoreFailureExit = 2;

    // Opens calendar.mdb in folder, builds the windows and runs the start-up. Nothing, after
    // the user has been told why, when the store cannot be used.
    static std::unique_ptr<Session> start(const Seams& seams, const QString& folder);
    ~Session();

    CalendarStore& store() { return *store_; }
    const StoreGuard& guard() const { return guard_; }
    frmCalendar& window() { return *window_; }

private:
    Session(std::unique_ptr<CalendarStore> store, const Seams& seams);

    std::unique_ptr<CalendarStore> store_;
    StoreGuard guard_;
    std::unique_ptr<frmCalendar> window_;
};
