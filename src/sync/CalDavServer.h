#pragma once

#include "sync/DavClient.h"
#include "sync/RemoteCalendar.h"

#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

// The calendar server's side of a sync in CalDAV's terms: finding the user's calendars from the
// server's address, making one, listing a calendar's events by their ETags (what changed since
// a sync token, where the server keeps them) and reading events' bodies. Every answer that is
// not what CalDAV says throws SyncError.
class CalDavServer
{
public:
    explicit CalDavServer(DavClient& client) : client_(client) {}

    struct Calendar
    {
        QUrl url;
        QString name;
        bool takesEvents = true;
        bool takesJournals = true;
    };
    // From the address the user gave: the address itself, else /.well-known/caldav, for the
    // user's principal; its calendar home; the calendars there.
    QUrl home(const QUrl& start);
    std::vector<Calendar> calendars(const QUrl& home);
    // Makes a calendar named name in home (or takes the one already at its address).
    QUrl create(const QUrl& home, const QString& name);
    // The same at the address url (a calendar gone from the server, made again where it was).
    QUrl createAt(const QUrl& url, const QString& name);

    // What changed since token (empty: everything), by sync-collection where the server
    // offers it, else every event with its ETag.
    RemoteCalendar::Listing list(const QUrl& calendar, const QString& token, bool syncCollection);
    // Whether the calendar answers sync-collection.
    bool offersSyncCollection(const QUrl& calendar);
    // Whether the calendar keeps journal entries (VJOURNAL) beside its events.
    bool takesJournals(const QUrl& calendar);

    struct Event
    {
        QString href;
        QByteArray etag;
        QByteArray body;
    };
    // The bodies of these events; an event gone meanwhile is left out.
    std::vector<Event> fetch(const QUrl& calendar, const std::vector<QString>& hrefs);
    // One event's body by GET; none when it is gone.
    std::optional<Event> get(const QUrl& calendar, const QString& href);

    QUrl at(const QUrl& calendar, const QString& href) const;

private:
    QUrl principal(const QUrl& url);
    // An address the server names for the user's principal or calendars: on the server, or
    // on another that may be followed (DavClient::mayFollow), which the client is then allowed
    // to talk to; any other is refused, saying what the server asked.
    QUrl followed(const QUrl& from, const QUrl& to);

    DavClient& client_;
};
