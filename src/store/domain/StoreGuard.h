#pragma once

#include "store/sqlite/StoreError.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;
class QTimer;

// Where a command meets a failure of the store. Every handler runs its work through the
// guard: a StoreError goes to the one reporter (which tells the user and ends the program)
// and no further, so that no exception ever leaves an event handler. After a failure the
// program is ending and the guard runs nothing more.
//
// Another program that holds the store's lock longer than a save waits (Database::kSaveWaitMs)
// is no failure where the guard watches the database: what the user typed (write()) is kept and
// written as soon as the lock is free, a command (run()) simply does not happen, and the busy
// notice says so once, without stopping the user.
class StoreGuard
{
public:
    // error: what failed; unsaved: what the user was doing that may not have been saved
    // ("la nota del 05/03/1997"), empty when nothing was being written.
    using Reporter = std::function<void(const StoreError& error, const QString& unsaved)>;
    // Told when another program's lock holds off a write: who holds it, in words (empty when
    // nobody can be found), what it was, and whether it is kept to be written later (kept) or
    // was not done (a command); and with nullopt once everything kept is written.
    using BusyNotice = std::function<void(const std::optional<QString>& holder,
                                          const QString& unsaved, bool kept)>;

    // How often writes held off are tried again, and how long each try waits for the lock.
    static constexpr int kRetryMs = 1000;
    static constexpr int kRetryWaitMs = 100;

    explicit StoreGuard(Reporter reporter);
    StoreGuard(Reporter reporter, Database& db, BusyNotice busy);
    ~StoreGuard();
    StoreGuard(const StoreGuard&) = delete;
    StoreGuard& operator=(const StoreGuard&) = delete;

    // Runs body; false when the store failed (or had already failed) under it, or, where the
    // guard watches the database, was busy.
    template <typename Body> bool run(Body&& body, const QString& unsaved = {}) const noexcept
    {
        if (failed_)
            return false;
        try {
            body();
            return true;
        } catch (const StoreError& error) {
            fail(error, unsaved);
            return false;
        }
    }

    // Writes what the user typed: body writes the latest state of key (a notita's window, the
    // notes list), so that one kept for key is replaced by the next. Kept when another program
    // holds the lock (waited for only kRetryWaitMs), and then, while anything is kept, every
    // later write is kept behind it without waiting. False when the store failed.
    bool write(const void* key, std::function<void()> body, const QString& unsaved) const;
    // key is going away: whatever it kept is dropped.
    void forget(const void* key) const;
    bool holdsWrites() const { return !held_.empty(); }
    // Writes everything kept, waiting for the lock as a save does; the end of the program. When
    // the lock is still held the reporter says what could not be saved. False then.
    bool flush() const;

    bool failed() const { return failed_; }

private:
    struct Held
    {
        const void* key;
        std::function<void()> body;
        QString unsaved;
    };

    void fail(const StoreError& error, const QString& unsaved) const noexcept;
    // Tries the writes kept, in order; true when none is left.
    bool retry() const noexcept;
    void hold(const void* key, std::function<void()> body, const QString& unsaved) const;

    Reporter reporter_;
    Database* db_ = nullptr;
    BusyNotice busy_;
    mutable bool failed_ = false;
    mutable std::vector<Held> held_;
    mutable int normalWaitMs_ = 0; // the database's wait, while shorter tries are made
    std::unique_ptr<QTimer> retryTimer_;
};
