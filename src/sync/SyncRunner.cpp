#include "sync/SyncRunner.h"

#include "store/CalendarStore.h"
#include "store/sqlite/StoreError.h"
#include "sync/CalendarSync.h"
#include "sync/DavClient.h"
#include "sync/PasswordKeyring.h"
#include "sync/SyncError.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScopeGuard>
#include <QThread>

#include <optional>

SyncRunner::SyncRunner(const QString& folder, QObject* parent) : QObject(parent), folder_(folder)
{
    setObjectName(QStringLiteral("SyncRunner"));
}

SyncRunner::~SyncRunner()
{
    if (!thread_)
        return;
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        if (client_)
            client_->interrupt();
    }
    // The thread ends once the work under way has (drain()): quitting it sooner would end the
    // event loop a request waits in.
    QMetaObject::invokeMethod(
        worker_, [this] { drain(); }, Qt::QueuedConnection);
    thread_->wait();
    delete worker_;
}

void SyncRunner::aside(std::function<void()> work, QObject* context,
                       std::function<void(const QString& failure)> done)
{
    if (!thread_) {
        thread_ = new QThread(this);
        thread_->setObjectName(QStringLiteral("sincronizacion"));
        worker_ = new QObject;
        worker_->moveToThread(thread_);
        thread_->start();
    }
    QPointer<QObject> receiver(context);
    {
        std::lock_guard lock(mutex_);
        work_.push_back([this, work = std::move(work), receiver, done = std::move(done)] {
            QString failure;
            try {
                work();
            } catch (const SyncError& error) {
                failure = error.message();
            } catch (const StoreError& error) {
                failure = error.message();
            } catch (const std::exception&) {
                failure = QStringLiteral("La sincronización ha fallado por una causa inesperada; "
                                         "lo guardado sigue guardado.");
            }
            QMetaObject::invokeMethod(
                this,
                [receiver, done, failure] {
                    if (receiver)
                        done(failure);
                },
                Qt::QueuedConnection);
        });
    }
    QMetaObject::invokeMethod(
        worker_, [this] { drain(); }, Qt::QueuedConnection);
}

void SyncRunner::drain()
{
    if (draining_)
        return; // called from the event loop the work under way waits in: it comes next
    draining_ = true;
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(mutex_);
            if (ending_ || work_.empty())
                break;
            next = std::move(work_.front());
            work_.pop_front();
        }
        next();
    }
    draining_ = false;
    std::lock_guard lock(mutex_);
    if (ending_) {
        store_.reset(); // its objects live on this thread
        thread_->quit();
    }
}

CalendarStore& SyncRunner::store()
{
    if (!store_)
        store_ = CalendarStore::open(folder_);
    return *store_;
}

void SyncRunner::talk(const Login& login, const std::function<void(DavClient&)>& body)
{
    DavClient client(login.server, login.user, login.password);
    {
        std::lock_guard lock(mutex_);
        client_ = &client;
        if (ending_)
            client.interrupt();
    }
    const auto gone = qScopeGuard([this] {
        std::lock_guard lock(mutex_);
        client_ = nullptr;
    });
    body(client);
}

bool SyncRunner::sync(const QString& password, CalendarSync::WhenEmptied whenEmptied,
                      bool makeAgain)
{
    if (syncing_)
        return false;
    syncing_ = true;
    struct Outcome
    {
        std::optional<SyncReport> report;
        bool passwordWanted = false;
        std::optional<SyncError> error;
        int pending = 0;
    };
    auto outcome = std::make_shared<Outcome>();
    aside(
        [this, password, whenEmptied, makeAgain, outcome] {
            CalendarStore& own = store();
            try {
                const std::optional<CalendarSync::Account> account = CalendarSync::account(own);
                if (!account) {
                    throw SyncError(QStringLiteral("Este calendario no tiene servidor de "
                                                   "calendarios: configúrelo en Archivo → "
                                                   "Servidor de calendarios…"),
                                    SyncError::Kind::Setup);
                }
                Login login{account->server, account->user, password};
                if (login.password.isEmpty() && PasswordKeyring::wanted()) {
                    login.password =
                        PasswordKeyring::read(PasswordKeyring::entry(login.user, login.server))
                            .value_or(QString());
                }
                if (login.password.isEmpty()) {
                    outcome->passwordWanted = true;
                    return;
                }
                talk(login, [&](DavClient& client) {
                    CalendarSync run(own, client);
                    QElapsedTimer told;
                    run.onProgress([this, &told](int answered, int writes) {
                        if (answered != 0 && answered != writes && told.isValid() &&
                            told.elapsed() < kProgressMs)
                            return;
                        told.start();
                        QMetaObject::invokeMethod(
                            this, [this, answered, writes] { emit progress(answered, writes); },
                            Qt::QueuedConnection);
                    });
                    outcome->report = run.run(whenEmptied, makeAgain);
                });
            } catch (const SyncError& error) {
                outcome->error = error;
                try {
                    outcome->pending = CalendarSync::pending(own);
                } catch (const StoreError&) {
                    // The server's failure is the one told.
                }
                throw;
            }
        },
        this,
        [this, outcome](const QString& failure) {
            syncing_ = false;
            if (!failure.isEmpty())
                emit failed(outcome->error.value_or(SyncError(failure)), outcome->pending);
            else if (outcome->passwordWanted)
                emit passwordWanted();
            else
                emit synced(*outcome->report);
        });
    return true;
}

void SyncRunner::look(const Login& login, QObject* context,
                      std::function<void(const Calendars&, const QString&)> done)
{
    auto found = std::make_shared<Calendars>();
    aside(
        [this, login, found] {
            talk(login, [&](DavClient& client) {
                CalDavServer dav(client);
                *found = dav.calendars(dav.home(login.server));
            });
        },
        context, [found, done](const QString& failure) { done(*found, failure); });
}

void SyncRunner::countOthers(const Login& login, const QUrl& calendar, QObject* context,
                             std::function<void(int, const QString&)> done)
{
    auto others = std::make_shared<int>(0);
    aside(
        [this, login, calendar, others] {
            talk(login, [&](DavClient& client) {
                *others = CalendarSync::othersEvents(client, calendar);
            });
        },
        context, [others, done](const QString& failure) { done(*others, failure); });
}

void SyncRunner::setUp(const Login& login, const QUrl& calendar, bool remember, QObject* context,
                       std::function<void(const QString&, const QString&)> done)
{
    auto keyring = std::make_shared<QString>();
    aside(
        [this, login, calendar, remember, keyring] {
            talk(login, [&](DavClient& client) {
                CalendarSync::setUp(store(), client, login.server, login.user, calendar);
            });
            if (!PasswordKeyring::wanted())
                return;
            const QString entry = PasswordKeyring::entry(login.user, login.server);
            if (!remember)
                PasswordKeyring::forget(entry);
            else if (QString failure; !PasswordKeyring::store(entry, login.password, failure))
                *keyring = failure;
        },
        context, [keyring, done](const QString& failure) { done(*keyring, failure); });
}
