#include "store/domain/StoreGuard.h"

#include "store/sqlite/Database.h"
#include "store/sqlite/LockHolder.h"

#include <QStringList>
#include <QTimer>

#include <algorithm>

StoreGuard::StoreGuard(Reporter reporter) : reporter_(std::move(reporter)) {}

StoreGuard::StoreGuard(Reporter reporter, Database& db, BusyNotice busy)
    : reporter_(std::move(reporter)), db_(&db), busy_(std::move(busy)),
      retryTimer_(std::make_unique<QTimer>())
{
    retryTimer_->setInterval(kRetryMs);
    QObject::connect(retryTimer_.get(), &QTimer::timeout, retryTimer_.get(), [this] { retry(); });
}

StoreGuard::~StoreGuard() = default;

void StoreGuard::fail(const StoreError& error, const QString& unsaved) const noexcept
{
    if (db_ && error.busy()) {
        // The command does not happen; the store is as it was, and the user may try again.
        try {
            if (busy_)
                busy_(LockHolder::of(db_->path()), unsaved, false);
        } catch (...) {
            // A notice that cannot be shown leaves the user where they were.
        }
        return;
    }
    failed_ = true;
    try {
        if (reporter_)
            reporter_(error, unsaved);
    } catch (...) {
        // Nothing is left to tell the user with; the program is ending anyway.
    }
}

void StoreGuard::hold(const void* key, std::function<void()> body, const QString& unsaved) const
{
    const bool first = held_.empty();
    const auto same = std::find_if(held_.begin(), held_.end(),
                                   [key](const Held& held) { return held.key == key; });
    if (same != held_.end())
        same->body = std::move(body); // the latest state of key is all there is to write
    else
        held_.push_back(Held{key, std::move(body), unsaved});
    if (!first)
        return;
    // Tries from now on wait only a moment, so that the user can go on typing.
    normalWaitMs_ = db_->busyTimeout();
    db_->setBusyTimeout(kRetryWaitMs);
    retryTimer_->start();
    if (busy_)
        busy_(LockHolder::of(db_->path()), unsaved, true);
}

bool StoreGuard::write(const void* key, std::function<void()> body, const QString& unsaved) const
{
    if (failed_)
        return false;
    if (!held_.empty()) {
        hold(key, std::move(body), unsaved);
        return true;
    }
    // What is typed waits only a moment for another program's lock, as every try after it
    // does: a keystroke never stops the user for a save's whole wait.
    const int normalWait = db_ ? db_->busyTimeout() : 0;
    if (db_)
        db_->setBusyTimeout(std::min(normalWait, kRetryWaitMs));
    try {
        body();
        if (db_)
            db_->setBusyTimeout(normalWait);
        return true;
    } catch (const StoreError& error) {
        if (db_)
            db_->setBusyTimeout(normalWait);
        if (db_ && error.busy()) {
            hold(key, std::move(body), unsaved);
            return true;
        }
        fail(error, unsaved);
        return false;
    }
}

bool StoreGuard::retry() const noexcept
{
    while (!held_.empty() && !failed_) {
        try {
            held_.front().body();
        } catch (const StoreError& error) {
            if (error.busy())
                return false; // still held: the next tick tries again
            const QString unsaved = held_.front().unsaved;
            held_.clear();
            fail(error, unsaved);
            return false;
        } catch (...) {
            held_.clear();
            return false;
        }
        held_.erase(held_.begin());
    }
    retryTimer_->stop();
    db_->setBusyTimeout(normalWaitMs_);
    try {
        if (busy_ && !failed_)
            busy_(std::nullopt, QString(), false);
    } catch (...) {
        // Only the notice is late to go.
    }
    return held_.empty();
}

void StoreGuard::forget(const void* key) const
{
    held_.erase(std::remove_if(held_.begin(), held_.end(),
                               [key](const Held& held) { return held.key == key; }),
                held_.end());
    // Nothing left to write: the waits are as before. Only a window that goes forgets, at the
    // end of the program: nobody is left to tell.
    if (held_.empty() && retryTimer_ && retryTimer_->isActive()) {
        retryTimer_->stop();
        db_->setBusyTimeout(normalWaitMs_);
    }
}

bool StoreGuard::flush() const
{
    if (held_.empty())
        return true;
    if (failed_) {
        held_.clear(); // the failure was told already
        return false;
    }
    // The last tries wait for the lock as a save always does.
    db_->setBusyTimeout(normalWaitMs_);
    while (!held_.empty()) {
        try {
            held_.front().body();
        } catch (const StoreError& error) {
            QStringList unsaved;
            for (const Held& held : held_) {
                if (!held.unsaved.isEmpty() && !unsaved.contains(held.unsaved))
                    unsaved << held.unsaved;
            }
            held_.clear();
            retryTimer_->stop();
            failed_ = true;
            try {
                if (reporter_)
                    reporter_(error, unsaved.join(QStringLiteral(", ")));
            } catch (...) {
                // The program is ending anyway.
            }
            return false;
        }
        held_.erase(held_.begin());
    }
    retryTimer_->stop();
    return true;
}
