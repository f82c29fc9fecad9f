#pragma once

#include "store/domain/Day.h"
#include "store/sqlite/Statement.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>
#include <vector>

class Database;

// What the store keeps of its sync with a calendar server: the account's settings (never the
// password) and, per event on the server, its address, its ETag and the day's content as it
// was last sent or read, the common ancestor of a three-way merge; likewise per notita's
// journal entry, its text. Its tables are made the
// first time a sync opens the book, beside the calendar's own: a store that never syncs never
// gets them, and a program that knows nothing of them opens the store as before.
class SyncBook
{
public:
    struct Event
    {
        QString href; // the event's path on the server, as the server writes it
        QString etag;
        QDate date; // the day it carries; invalid for an event that is not one of ours
        Day base;   // the day as last sent or read
    };

    struct Journal
    {
        QString href;
        QString etag;
        QString uid;  // the notita's identity
        QString text; // as last sent or read
    };

    // Makes the tables when they are not there. Throws StoreError.
    explicit SyncBook(Database& db);
    // Whether a sync ever opened the book of this store; looking makes nothing.
    static bool exists(Database& db);

    std::optional<QString> setting(const QString& key);
    void setSetting(const QString& key, const QString& value);
    void removeSetting(const QString& key);

    // Every event recorded, in date order.
    std::vector<Event> events();
    void record(const Event& event);
    void forget(const QString& href);
    std::vector<Journal> journals();
    void record(const Journal& journal);
    void forgetJournal(const QString& href);

    // A write the sync promised and has not seen through yet, kept before it is sent so that
    // a sync cut short finishes it the next time.
    struct Promise
    {
        enum class Action
        {
            Delete,  // another program's event, brought into its days: it goes
            Rewrite, // a day's own event moved to another day elsewhere: its day's content goes
                     // back there, or it goes
        };
        QString href;
        QString etag;
        Action action = Action::Delete;
        QDate date;  // Rewrite: the day whose event it is
        QString uid; // Rewrite: the notita whose entry it is
    };
    std::vector<Promise> promises();
    void record(const Promise& promise);
    // Whatever is recorded of href, event, entry or promise, and the occurrences kept of it
    // (SeriesBook).
    void forgetHref(const QString& href);
    // The calendar changed: nothing recorded of the old one holds, nor is anything of it shown.
    void forgetAll();

private:
    Statement& statement(const QString& sql);

    Database& db_;
    std::map<QString, Statement> statements_;
};
