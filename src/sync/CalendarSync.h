#pragma once

#include "sync/SyncReport.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class CalendarStore;
class DavClient;

// Two-way sync of the calendar's days with one calendar on a CalDAV server, each day with
// something stored as one all-day event (the export's own, UID dia-AAAAMMDD@tarvelo).
//
//     DavClient client(account->server, account->user, password);
//     try {
//         const SyncReport report = CalendarSync(store, client).run();
//     } catch (const SyncError& error) { ... error.message() ... }
//
// What the server changed is read and checked whole before the store is touched, and stored
// in one transaction; what changed here is found by comparing each day with what was last sent
// or read for it, and written with If-Match (or If-None-Match: * for a new event), each answer
// recorded as it comes, so that a sync cut short at any point goes on where it stopped. A
// write the server refuses as stale (412) is read again, merged and written again.
class CalendarSync
{
public:
    struct Account
    {
        QUrl server;
        QString user;
        QUrl calendar;
    };
    // The account a set-up left in the store; none before one. Looking writes nothing.
    static std::optional<Account> account(CalendarStore& store);
    // Keeps the account in the store with calendar, a calendar of the user's, or, when it is
    // empty, their calendar «Tarvelo» (made when there is none); a calendar other than the
    // one before starts the sync afresh. Nothing is stored when the server fails. Returns the
    // calendar's address.
    static QUrl setUp(CalendarStore& store, DavClient& client, const QUrl& server,
                      const QString& user, const QUrl& calendar = {});
    // The days changed here that the next sync sends (new, changed or emptied since they were
    // last sent or read): none before a set-up.
    static int pending(CalendarStore& store);
    // The events in calendar that other programs made and a sync would bring into their days.
    static int othersEvents(DavClient& client, const QUrl& calendar);

    CalendarSync(CalendarStore& store, DavClient& client) : store_(store), client_(client) {}
    // Told as the upload goes: the writes answered so far of all there are to make; first
    // with none answered, once the writes are known.
    void onProgress(std::function<void(int answered, int writes)> progress)
    {
        progress_ = std::move(progress);
    }
    // Throws SyncError (the server), or StoreError.
    SyncReport run();

    // Answers written to the store together: a kill loses at most these, found again by the
    // next sync.
    static constexpr int kRecordBatch = 100;

private:
    CalendarStore& store_;
    DavClient& client_;
    std::function<void(int, int)> progress_;
};
