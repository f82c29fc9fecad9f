#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The calendar on the server, as a sync sees it: what it lists, the bodies it gives, and the
// writes it takes. CalDavCalendar speaks CalDAV to a real server; the tests give an in-memory
// calendar that plays a server's every answer. Every failure throws SyncError.
class RemoteCalendar
{
public:
    virtual ~RemoteCalendar() = default;

    // The server's name, for messages.
    virtual QString host() const = 0;
    // The calendar's folder on the server: a new item's name goes after it.
    virtual QString folder() const = 0;
    // Whether the calendar lists what changed since a token (sync-collection); else every
    // listing is whole, each event with its ETag.
    virtual bool listsChanges() const = 0;

    struct Entry
    {
        QString href;
        QByteArray etag;
    };
    // One answer to a listing.
    struct Listing
    {
        std::vector<Entry> present;
        std::vector<QString> removed; // only in a listing since a token
        QString token;                // the calendar's state once this answer is taken in
        // The server stopped before the end (507): the rest comes from a listing since token.
        bool truncated = false;
        // The server would not list since the token it was given (it no longer knows it, or
        // failed on it): nothing else in the answer holds.
        bool tokenRefused = false;
    };
    // What changed since token, or, with none, everything.
    virtual Listing list(const QString& token) = 0;

    struct Event
    {
        QString href;
        QByteArray etag;
        QByteArray body;
    };
    // The bodies of these; one gone meanwhile is left out.
    virtual std::vector<Event> fetch(const std::vector<QString>& hrefs) = 0;

    // A write: a body put in place, or the item deleted; only if it still has etag, or, with
    // none, only if there is nothing there.
    struct Write
    {
        QString href;
        QByteArray body; // empty: a deletion
        QByteArray etag;
    };
    struct Answer
    {
        int status = 0;
        QByteArray etag; // of what was put, when the server says
        // Seconds the server asks to wait before trying again (503, 429), when it says.
        std::optional<int> retryAfter;
    };
    // Every write, several at once where the server allows; answered is told each answer as
    // it comes. A throw from answered stops the rest.
    virtual void
    write(const std::vector<Write>& writes,
          const std::function<void(std::size_t index, const Answer& answer)>& answered) = 0;
};
