#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

// A sync, a set-up or a look at the server that could not be done: what kind of failure it
// was, with the server, the HTTP status and what else the user is to be told, and a message
// in Spanish. What the store held before the failure is still there.
class SyncError : public std::runtime_error
{
public:
    enum class Kind
    {
        Refused,         // the server refused or answered what CalDAV does not say
        Unreachable,     // no answer at all (no network, the server down, silent or cut off)
        RetryLater,      // the server is busy (503, 429): tried again later, as offline
        WrongPassword,   // 401
        NotACalendar,    // the address is no calendar server, or not one as expected
        CalendarGone,    // the calendar is no longer on the server (404)
        CalendarEmptied, // the calendar holds none of what was synced with it
        Conflict,        // a write the server refused as stale every time it was read again
        Limit,           // an answer too big or too long in coming
        Certificate,     // the server's certificate is not trusted
        Address,         // an address that may not be used
        Setup,           // nothing set up, or what was set up is no longer right
    };

    explicit SyncError(const QString& message, Kind kind = Kind::Refused);

    QString message() const { return message_; }
    Kind kind() const { return kind_; }
    // Offline rather than failed: nothing is wrong but the way to the server.
    bool unreachable() const { return kind_ == Kind::Unreachable || kind_ == Kind::RetryLater; }

    // What the failure is about, where it is known.
    QString host;
    int status = 0;
    std::optional<int> retryAfter; // seconds the server asked to wait
    QString calendar;              // the calendar's name
    int days = 0;                  // CalendarEmptied: synced here with it
    int notitas = 0;

    SyncError& about(const QString& server, int httpStatus = 0)
    {
        host = server;
        status = httpStatus;
        return *this;
    }

private:
    QString message_;
    Kind kind_;
};
