#pragma once

#include "sync/SyncPlan.h"
#include "sync/SyncReport.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class CalendarStore;
class DavClient;
class RemoteCalendar;
class SyncBook;

// Two-way sync of the calendar's days and notitas with one calendar on a CalDAV server: each
// day with something stored as one all-day event (the export's own, UID dia-AAAAMMDD@tarvelo),
// each notita as a journal entry where the calendar keeps them.
//
//     DavClient client(account->server, account->user, password);
//     try {
//         const SyncReport report = CalendarSync(store, client).run();
//     } catch (const SyncError& error) { ... error.kind(), error.message() ... }
//
// A run, in named steps around SyncPlan's decisions: gather (the server's listing, whole or
// since the last sync, and the bodies that changed), decide, apply (one transaction, each item
// merged with what it holds at that moment, so that a save made meanwhile stands), upload
// (each write recorded as its answer comes, so that a sync cut short goes on where it stopped)
// and resolve (writes refused as stale, read again, merged and written again). A calendar that
// holds none of what was synced with it is never applied without the user's word.
class CalendarSync
{
public:
    // The calendar the store syncs with when the user names none.
    static const QString kCalendarName; // "Tarvelo"

    struct Account
    {
        QUrl server;
        QString user;
        QUrl calendar;
    };
    // The account a set-up left in the store; none before one. Looking writes nothing.
    static std::optional<Account> account(CalendarStore& store);
    // Keeps the account in the store with calendar, a calendar of the user's, or, when it is
    // empty, their calendar «Tarvelo» (made when there is none). A calendar made now, or other
    // than the one before, starts with nothing recorded: everything here is sent to it, merged
    // with what it holds. Nothing is stored when the server fails. Returns the calendar.
    static QUrl setUp(CalendarStore& store, DavClient& client, const QUrl& server,
                      const QString& user, const QUrl& calendar = {});
    // The set-up's record, without asking a server: fresh, the calendar starts with nothing
    // recorded, as a calendar made anew does.
    struct Calendar
    {
        QUrl url;
        QString name;
        bool listsChanges = true; // sync-collection
        bool journals = true;     // keeps journal entries
    };
    static void keep(CalendarStore& store, const Account& account, const Calendar& calendar,
                     bool fresh);
    // The calendar a set-up takes: chosen; else the calendar whose own address the user gave for
    // the server (many servers show each calendar's link to copy); else «Tarvelo». An empty
    // url: none of those is there, and it will be made.
    static Calendar choose(DavClient& client, const QUrl& server, const QUrl& chosen = {});
    // Whether two addresses name the same folder, a closing slash aside.
    static bool samePlace(const QUrl& a, const QUrl& b);
    // The writes the next sync makes (items new, changed or emptied here since they were last
    // sent or read, and the promises to keep): none before a set-up.
    static int pending(CalendarStore& store);
    // The events in calendar that other programs made and a sync would bring into their days.
    static int othersEvents(DavClient& client, const QUrl& calendar);

    // What a sync does with a calendar that holds none of what was synced with it.
    enum class WhenEmptied
    {
        Refuse,    // throws SyncError CalendarEmptied, changing nothing: the user decides
        SendAgain, // everything here goes to it again, as to a calendar made anew (even if
                   // another machine has sent its own since)
        EmptyHere, // what went there goes here too (only what was not changed here since)
    };

    // With the account's calendar over CalDAV, through client.
    CalendarSync(CalendarStore& store, DavClient& client);
    // With any calendar: the account set up in the store is used for its settings only.
    CalendarSync(CalendarStore& store, RemoteCalendar& remote);
    ~CalendarSync();

    // Told as the upload goes: the writes answered so far of all there are to make; first
    // with none answered, once the writes are known.
    void onProgress(std::function<void(int answered, int writes)> progress)
    {
        progress_ = std::move(progress);
    }
    // Throws SyncError (the server), or StoreError. makeAgain: a calendar gone from the server
    // (CalendarGone) is made again at its address, and everything here sent to it.
    SyncReport run(WhenEmptied whenEmptied = WhenEmptied::Refuse, bool makeAgain = false);

    // Answers written to the store together: a kill loses at most these, found again by the
    // next sync.
    static constexpr int kRecordBatch = 100;
    // How often one write is read, merged and tried again before the sync gives up.
    static constexpr int kConflictRounds = 3;

private:
    struct Run;

    SyncPlan::Listing gather(Run& run);
    std::vector<SyncPlan::Fetched> fetchChanged(Run& run, const SyncPlan::Recorded& recorded,
                                                const SyncPlan::Listing& listing);
    void apply(Run& run, const SyncPlan::Decision& decision, const SyncPlan::Listing& listing);
    std::vector<SyncPlan::Upload> upload(Run& run, std::vector<SyncPlan::Upload> uploads);
    void resolve(Run& run, std::vector<SyncPlan::Upload> stale);

    CalendarStore& store_;
    DavClient* client_ = nullptr;
    RemoteCalendar* remote_ = nullptr;
    std::unique_ptr<RemoteCalendar> own_;
    std::function<void(int, int)> progress_;
};
