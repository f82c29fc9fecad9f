#pragma once

#include "sync/RemoteCalendar.h"
#include "sync/SyncItem.h"
#include "sync/SyncRecord.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The sync's decisions, apart from everything they are made from: what the store recorded,
// what the items here hold, what the server listed and gave. Nothing here reads or writes the
// store or the network, so that every rule can be checked on its own.
//
// A sync, in order: gather (the server's listing, the bodies that changed), decide (what the
// server's changes do here), apply (in one transaction, each item merged as it stands then),
// upload (what changed here since it was last sent or read), resolve (the writes the server
// refused as stale, read again and merged).
class SyncPlan
{
public:
    SyncPlan() = delete;

    using Records = std::vector<SyncRecord>;
    using Local = std::map<SyncItem::Key, SyncItem>;

    // The server's listing, from all the answers it took.
    struct Listing
    {
        std::unordered_map<QString, QByteArray> present; // name and ETag
        std::unordered_set<QString> removed;             // named as gone (since a token)
        bool complete = false;                           // everything on the calendar is in present
        QString token;                                   // the state once it is all taken in
        // Takes in one answer: what it names as present or gone replaces what came before.
        void take(const RemoteCalendar::Listing& answer);
    };

    struct Listing;
    // The records by name, looked up for each name a listing gives: made once a sync. Of a
    // listing since a token (a few names among many records), only the records it names are
    // looked up.
    class Recorded
    {
    public:
        Recorded(const Records& records, const Listing& listing);
        const Records& all() const { return records_; }
        const SyncRecord* find(const QString& href) const;

    private:
        const Records& records_;
        std::unordered_map<QString, const SyncRecord*> byHref_;
    };

    // The names whose bodies are to be read: listed, and not as they were last sent or read.
    static std::vector<QString> toFetch(const Recorded& records, const Listing& listing);

    // How many synced items the listing leaves on the server, of those recorded: none, of one
    // or more, is a calendar emptied or made again, never applied without the user's word
    // (unless a listing since a token brings Tarvelo's own new names: the calendar going on).
    struct Emptied
    {
        int days = 0;
        int notitas = 0;
    };
    static std::optional<Emptied> emptied(const Records& records, const Listing& listing);

    struct Fetched
    {
        QString href;
        QByteArray etag;
        SyncItem::Read read;
    };

    // What the server brings to one item here.
    struct Incoming
    {
        SyncItem::Key key;
        // Merged from what both started from (base, none when both are new) and the server's
        // content; or, brought in, the text and the marks joined to what the item holds.
        bool bringIn = false;
        std::optional<SyncItem> base;
        SyncItem remote;
        QString text;
        bool holiday = false;
    };
    struct Decision
    {
        std::vector<Incoming> incoming;
        // Gone from the server: each item goes here too, unless changed here since.
        std::vector<SyncItem> removals;
        Records record; // what is recorded from now on, name by name
        std::vector<QString> forget;
        int broughtIn = 0; // other programs' events brought into their days
        // Other programs' repeating events read: left as they are, and shown on their days
        // (ForeignSeries), by name and body.
        std::vector<std::pair<QString, QByteArray>> series;
    };
    // folder: the calendar's, which an item's own name is in.
    static Decision decide(const Recorded& records, const Listing& listing,
                           const std::vector<Fetched>& fetched, const QString& folder);

    // One write that brings the server up to an item here.
    struct Upload
    {
        SyncItem::Key key;
        RemoteCalendar::Write write;
        SyncRecord::Holds holds = SyncRecord::Holds::Item; // what the name holds now
        SyncItem sent;                                     // what the write puts there
        std::optional<SyncItem> base;                      // what was recorded of it
        bool deletion() const { return write.body.isEmpty(); }
    };
    // journals: the calendar keeps the notitas' entries.
    static std::vector<Upload> uploads(const Records& records, const Local& local,
                                       const QString& folder, bool journals);
};
