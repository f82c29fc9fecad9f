#pragma once

#include <QString>

#include <stdexcept>

// A sync, a set-up or a look at the server that could not be done, with the message the user
// is shown (in Spanish, naming the server and the cause). What the store held before the
// failure is still there.
class SyncError : public std::runtime_error
{
public:
    enum class Cause
    {
        Server,      // the server refused or answered wrongly; trying again changes nothing
        Unreachable, // no answer at all (no network, the server down or silent): later
    };

    explicit SyncError(const QString& message, Cause cause = Cause::Server);

    QString message() const { return message_; }
    bool unreachable() const { return cause_ == Cause::Unreachable; }

private:
    QString message_;
    Cause cause_;
};
