#include "shell/SyncSchedule.h"

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreGuard.h"
#include "sync/CalendarSync.h"
#include "sync/PasswordKeyring.h"
#include "sync/SyncError.h"
#include "sync/SyncReport.h"
#include "sync/SyncRunner.h"
#include "sync/ui/PasswordDialog.h"
#include "sync/ui/ServerDialog.h"

#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>

SyncSchedule::SyncSchedule(CalendarStore& store, const StoreGuard& guard, SyncRunner& runner,
                           const Clock& clock, MessageBoxes& boxes, QWidget* window)
    : QObject(window), store_(store), guard_(guard), runner_(runner), clock_(clock), boxes_(boxes),
      window_(window), every_(new QTimer(this)), afterSave_(new QTimer(this)),
      saves_(new QTimer(this)), retry_(new QTimer(this))
{
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] { request(false); });
    setObjectName(QStringLiteral("SyncSchedule"));
    every_->setInterval(kEveryMs);
    afterSave_->setSingleShot(true);
    afterSave_->setInterval(kAfterSaveMs);
    saves_->setInterval(kLookForSavesMs);
    connect(every_, &QTimer::timeout, this, [this] { request(false); });
    connect(afterSave_, &QTimer::timeout, this, [this] { request(false); });
    connect(saves_, &QTimer::timeout, this, &SyncSchedule::lookForSaves);
    connect(&runner_, &SyncRunner::progress, this, [this](int answered, int writes) {
        SyncState running;
        running.kind = SyncState::Kind::Running;
        running.done = answered;
        running.total = writes;
        setState(running);
    });
    connect(&runner_, &SyncRunner::synced, this, &SyncSchedule::synced);
    connect(&runner_, &SyncRunner::failed, this, &SyncSchedule::failed);
    connect(&runner_, &SyncRunner::passwordWanted, this, &SyncSchedule::passwordWanted);
}

void SyncSchedule::start()
{
    rowsSeen_ = store_.database().rowsWritten();
    saves_->start();
    every_->start();
    std::optional<CalendarSync::Account> account;
    guard_.run([&] { account = CalendarSync::account(store_); });
    SyncState first;
    first.kind = account ? SyncState::Kind::NotYet : SyncState::Kind::NoServer;
    setState(first);
    if (account)
        QTimer::singleShot(kAfterStartMs, this, [this] { request(false); });
}

void SyncSchedule::syncNow()
{
    std::optional<CalendarSync::Account> account;
    if (!guard_.run([&] { account = CalendarSync::account(store_); }))
        return;
    if (account)
        request(true);
    else
        setUpServer();
}

void SyncSchedule::lookForSaves()
{
    const qint64 rows = store_.database().rowsWritten();
    if (rows == rowsSeen_)
        return;
    rowsSeen_ = rows;
    // Saves close together go up in one sync, a few seconds after the last.
    if (state_.kind != SyncState::Kind::NoServer)
        afterSave_->start();
}

void SyncSchedule::request(bool byUser)
{
    std::optional<CalendarSync::Account> account;
    if (!guard_.run([&] { account = CalendarSync::account(store_); }))
        return;
    if (!account) {
        setState(SyncState{});
        return;
    }
    if (runner_.syncing() || dialog_ || asking_) {
        again_ = true;
        byUser_ = byUser_ || byUser;
        return;
    }
    const QString entry = PasswordKeyring::entry(account->user, account->server);
    if (entry != entry_) {
        entry_ = entry;
        password_.clear();
        asked_ = false;
    }
    byUser_ = byUser;
    afterSave_->stop(); // what was saved so far goes up with this sync
    rowsSeen_ = store_.database().rowsWritten();
    retry_->stop();
    runner_.sync(password_, std::exchange(whenEmptied_, CalendarSync::WhenEmptied::Refuse),
                 std::exchange(makeAgain_, false));
    SyncState running;
    running.kind = SyncState::Kind::Running;
    setState(running);
}

void SyncSchedule::synced(const SyncReport& report)
{
    SyncState done;
    done.kind = SyncState::Kind::Synced;
    done.at = clock_.now().time();
    done.joined = report.joined;
    done.joinedNotitas = report.notitasJoined;
    setState(done);
    ended();
}

const QStringList SyncSchedule::kEmptiedButtons{QStringLiteral("Subirlos de nuevo"),
                                                QStringLiteral("Vaciar también este equipo"),
                                                QStringLiteral("Cancelar")};

const QStringList SyncSchedule::kGoneButtons{QStringLiteral("Crearlo de nuevo"),
                                             QStringLiteral("Cancelar")};

void SyncSchedule::failed(const SyncError& error, int pending)
{
    if (error.kind() == SyncError::Kind::CalendarEmptied && (byUser_ || !emptiedDeclined_)) {
        askAboutEmptied(error, pending);
        return;
    }
    if (error.kind() == SyncError::Kind::CalendarGone && (byUser_ || !goneDeclined_)) {
        askAboutGone(error, pending);
        return;
    }
    SyncState failure;
    failure.kind = error.unreachable() ? SyncState::Kind::Offline : SyncState::Kind::Failed;
    failure.message = error.message();
    failure.pending = pending;
    setState(failure);
    if (error.kind() == SyncError::Kind::RetryLater) {
        const int seconds =
            std::clamp(error.retryAfter.value_or(kRetryLeastS), kRetryLeastS, kRetryMostS);
        retry_->start(seconds * 1000);
    }
    ended();
}

void SyncSchedule::askAboutGone(const SyncError& error, int pending)
{
    asking_ = true;
    const int answer =
        boxes_.choose(error.message() + QStringLiteral(" ¿Desea crearlo de nuevo? Se le "
                                                       "enviarán otra vez todos los días y "
                                                       "las notitas de este equipo."),
                      kGoneButtons, 0, MessageBoxes::Question, ServerDialog::kTitle);
    asking_ = false;
    if (answer == 0) {
        goneDeclined_ = false;
        makeAgain_ = true;
        again_ = false;
        request(true);
        return;
    }
    goneDeclined_ = true;
    declined(error, pending);
}

void SyncSchedule::askAboutEmptied(const SyncError& error, int pending)
{
    asking_ = true;
    const int answer = boxes_.choose(error.message(), kEmptiedButtons, 0, MessageBoxes::Question,
                                     ServerDialog::kTitle);
    asking_ = false;
    if (answer == 0 || answer == 1) {
        emptiedDeclined_ = false;
        whenEmptied_ = answer == 0 ? CalendarSync::WhenEmptied::SendAgain
                                   : CalendarSync::WhenEmptied::EmptyHere;
        again_ = false;
        request(true);
        return;
    }
    emptiedDeclined_ = true;
    declined(error, pending);
}

void SyncSchedule::declined(const SyncError& error, int pending)
{
    SyncState failure;
    failure.kind = SyncState::Kind::Failed;
    failure.message = error.message() + QStringLiteral(" No se ha cambiado nada: «Sincronizar "
                                                       "ahora» lo vuelve a preguntar.");
    failure.pending = pending;
    setState(failure);
    ended();
}

void SyncSchedule::ended()
{
    // What the sync wrote, on its own connection, shows now rather than at the next look.
    guard_.run([this] { store_.outsideWrites().check(); });
    if (again_) {
        again_ = false;
        request(byUser_);
    }
}

void SyncSchedule::passwordWanted()
{
    SyncState wanted;
    wanted.kind = SyncState::Kind::NoPassword;
    setState(wanted);
    // Asked once in a run on its own; again only when the user asks for a sync.
    if (asked_ && !byUser_) {
        ended();
        return;
    }
    asked_ = true;
    std::optional<CalendarSync::Account> account;
    guard_.run([&] { account = CalendarSync::account(store_); });
    if (!account)
        return;
    auto* prompt = new PasswordDialog(account->user, account->server.host(), window_);
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = prompt;
    connect(prompt, &QDialog::accepted, this, [this, prompt] {
        password_ = prompt->password();
        again_ = true;
    });
    connect(prompt, &QDialog::finished, this, [this] {
        dialog_ = nullptr;
        if (again_) {
            again_ = false;
            request(byUser_);
        }
    });
    prompt->open();
}

void SyncSchedule::setUpServer()
{
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    std::optional<CalendarSync::Account> before;
    if (!guard_.run([&] { before = CalendarSync::account(store_); }))
        return;
    auto* dialog = new ServerDialog(runner_, boxes_, before, password_, window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        again_ = false; // the set-up syncs once it is done, on the new account
        const CalendarSync::Account chosen = dialog->account();
        setUp(chosen.server, chosen.user, chosen.calendar, dialog->password(), dialog->remember());
    });
    connect(dialog, &QDialog::finished, this, [this] {
        dialog_ = nullptr;
        if (again_ && !runner_.syncing()) {
            again_ = false;
            request(byUser_);
        }
    });
    dialog->open();
}

void SyncSchedule::setUp(const QUrl& server, const QString& user, const QUrl& calendar,
                         const QString& password, bool remember)
{
    // A set-up that fails leaves the account, and the state, as they were.
    const SyncState before = state_;
    SyncState running;
    running.kind = SyncState::Kind::Running;
    setState(running);
    runner_.setUp(
        {server, user, password}, calendar, remember, this,
        [this, server, user, password, before](const QString& keyring, const QString& failure) {
            if (!failure.isEmpty()) {
                boxes_.show(failure, MessageBoxes::Exclamation, ServerDialog::kTitle);
                setState(before);
                return;
            }
            entry_ = PasswordKeyring::entry(user, server);
            password_ = password;
            asked_ = false;
            if (!keyring.isEmpty()) {
                boxes_.show(QStringLiteral("La contraseña no se ha guardado en el "
                                           "llavero del escritorio (%1): se pedirá "
                                           "una vez cada vez que se abra Tarvelo.")
                                .arg(keyring),
                            MessageBoxes::Information, ServerDialog::kTitle);
            }
            request(true);
        });
}

void SyncSchedule::setState(const SyncState& state)
{
    state_ = state;
    emit stateChanged(state_);
}
