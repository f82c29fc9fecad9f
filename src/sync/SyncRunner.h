#pragma once

#include "sync/CalDavServer.h"
#include "sync/CalendarSync.h"
#include "sync/SyncError.h"
#include "sync/SyncReport.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CalendarStore;
class DavClient;
class QThread;

// The sync away from the window: one piece of work at a time (a sync, or a look at a server
// for the set-up), in the order asked, on a thread of its own with its own connection to the
// store's file and its own network client, so that the window and the keyboard never wait for
// a server. What a sync writes reaches the window's connection as another program's writes
// do (OutsideWrites). The program ending mid-sync interrupts it: what the server had answered
// is kept, and the next sync goes on from there.
class SyncRunner : public QObject
{
    Q_OBJECT

public:
    struct Login
    {
        QUrl server;
        QString user;
        QString password;
    };

    // How often the upload's progress is told at most.
    static constexpr int kProgressMs = 100;

    // folder: the store's, opened again on the runner's thread when first needed.
    explicit SyncRunner(const QString& folder, QObject* parent = nullptr);
    ~SyncRunner() override;

    // One sync of the account set up in the store, with password (the keyring's when it is
    // empty); ends in synced(), failed() or passwordWanted(). False, and nothing done, while
    // one is under way: never two at once. whenEmptied: what the user said of a calendar that
    // holds none of what was synced with it; makeAgain: of one gone from the server.
    bool sync(const QString& password,
              CalendarSync::WhenEmptied whenEmptied = CalendarSync::WhenEmptied::Refuse,
              bool makeAgain = false);
    bool syncing() const { return syncing_; }

    // Looks for the server at login.server and its user's calendars; then done on context's
    // thread, unless context is gone by then, with the failure's Spanish message (empty when
    // none). Each after whatever was asked before it.
    using Calendars = std::vector<CalDavServer::Calendar>;
    void look(const Login& login, QObject* context,
              std::function<void(const Calendars& calendars, const QString& failure)> done);
    // How many of calendar's events other programs made (CalendarSync::othersEvents).
    void countOthers(const Login& login, const QUrl& calendar, QObject* context,
                     std::function<void(int others, const QString& failure)> done);
    // Keeps the account in the store (CalendarSync::setUp; an empty calendar is «Tarvelo»), and
    // the password in the keyring when remember is set (else takes it out of it); keyring says
    // why the keyring did not take it, empty when it did or was not asked.
    void setUp(const Login& login, const QUrl& calendar, bool remember, QObject* context,
               std::function<void(const QString& keyring, const QString& failure)> done);

signals:
    // The sync's upload: answered of writes.
    void progress(int answered, int writes);
    void synced(const SyncReport& report);
    // What failed (its kind tells an unreachable server from one that refused); pending: the
    // writes waiting to go up.
    void failed(const SyncError& error, int pending);
    // No password given and none in the keyring.
    void passwordWanted();

private:
    // Runs work on the runner's thread after what was asked before; then done on this
    // object's thread, unless context has gone, with what work threw, in Spanish.
    void aside(std::function<void()> work, QObject* context,
               std::function<void(const QString& failure)> done);
    // The runner's thread: the work waiting, one after another. A request's wait runs an
    // event loop, in which a new piece of work only joins the queue.
    void drain();
    // The runner's thread: the store's connection of its own.
    CalendarStore& store();
    // The runner's thread: body with a client on login, which the program's end interrupts.
    void talk(const Login& login, const std::function<void(DavClient& client)>& body);

    QString folder_;
    QThread* thread_ = nullptr;
    QObject* worker_ = nullptr; // lives on thread_: the work's events go there
    bool syncing_ = false;

    std::mutex mutex_; // over what follows, shared by both threads
    std::deque<std::function<void()>> work_;
    DavClient* client_ = nullptr; // the one talking to a server now
    bool ending_ = false;

    // The runner's thread only.
    bool draining_ = false;
    std::unique_ptr<CalendarStore> store_;
};
