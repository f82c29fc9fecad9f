#pragma once

#include "store/sqlite/StoreError.h"

#include <QString>

#include <functional>

// Where a command meets a failure of the store. Every handler runs its work through the
// guard: a StoreError goes to the one reporter (which tells the user and ends the program)
// and no further, so that no exception ever leaves an event handler. After a failure the
// program is ending and the guard runs nothing more.
class StoreGuard
{
public:
    // error: what failed; unsaved: what the user was doing that may not have been saved
    // ("la nota del 05/03/1997"), empty when nothing was being written.
    using Reporter = std::function<void(const StoreError& error, const QString& unsaved)>;

    explicit StoreGuard(Reporter reporter) : reporter_(std::move(reporter)) {}
    StoreGuard(const StoreGuard&) = delete;
    StoreGuard& operator=(const StoreGuard&) = delete;

    // Runs body; false when the store failed (or had already failed) under it.
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

    bool failed() const { return failed_; }

private:
    void fail(const StoreError& error, const QString& unsaved) const noexcept;

    Reporter reporter_;
    mutable bool failed_ = false;
};
