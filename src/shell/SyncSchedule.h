#pragma once

#include "sync/CalendarSync.h"
#include "sync/SyncState.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class CalendarStore;
class Clock;
class MessageBoxes;
class QDialog;
class QTimer;
class QWidget;
class StoreGuard;
class SyncError;
class SyncRunner;
struct SyncReport;

// When the calendar syncs with its server, without the user thinking about it: once the
// window is up, every five minutes, a few seconds after each save made in this program, and
// when the user asks ("Sincronizar ahora"); only once an account is set up, and never two at
// once (one asked while another runs comes right after it). What a sync wrote is shown at once
// (OutsideWrites). The password is the keyring's, or the one typed in this run, asked once and
// kept in memory only.
class SyncSchedule : public QObject
{
    Q_OBJECT

public:
    static constexpr int kAfterStartMs = 1000;
    static constexpr int kEveryMs = 5 * 60 * 1000;
    static constexpr int kAfterSaveMs = 4000;
    // How often the program's own connection is looked at for rows written.
    static constexpr int kLookForSavesMs = 1000;
    // A busy server is tried again after the time it asks for, within these bounds.
    static constexpr int kRetryLeastS = 30;
    static constexpr int kRetryMostS = 3600;

    // The question asked of a calendar that holds none of what was synced with it.
    static const QStringList kEmptiedButtons; // "Subirlos de nuevo", … "Cancelar"
    // And of one gone from the server.
    static const QStringList kGoneButtons; // "Crearlo de nuevo", "Cancelar"

    // window: what the dialogs stand over.
    SyncSchedule(CalendarStore& store, const StoreGuard& guard, SyncRunner& runner,
                 const Clock& clock, MessageBoxes& boxes, QWidget* window);

    // The store is open and the window up: the first sync, then the others.
    void start();
    // "Sincronizar ahora"; without an account, the server's dialog.
    void syncNow();
    // "Servidor de calendarios…".
    void setUpServer();

    const SyncState& state() const { return state_; }

signals:
    void stateChanged(const SyncState& state);

private:
    // byUser: asked from the menu, which may ask for the password again.
    void request(bool byUser);
    void lookForSaves();
    void synced(const SyncReport& report);
    void failed(const SyncError& error, int pending);
    // The calendar holds none of what was synced: the user says whether everything goes to it
    // again, it empties this machine too, or nothing happens.
    void askAboutEmptied(const SyncError& error, int pending);
    // The user said no: nothing changed, said so until asked again.
    void declined(const SyncError& error, int pending);
    // The calendar is gone from the server: the user says whether it is made again there.
    void askAboutGone(const SyncError& error, int pending);
    void passwordWanted();
    void ended();
    void setUp(const QUrl& server, const QString& user, const QUrl& calendar,
               const QString& password, bool remember);
    void setState(const SyncState& state);

    CalendarStore& store_;
    const StoreGuard& guard_;
    SyncRunner& runner_;
    const Clock& clock_;
    MessageBoxes& boxes_;
    QWidget* window_;
    QTimer* every_;
    QTimer* afterSave_;
    QTimer* saves_;
    QTimer* retry_; // a busy server, tried again when it said
    qint64 rowsSeen_ = 0;
    SyncState state_;

    QString password_;    // this run's, for entry_
    QString entry_;       // the account's keyring entry
    bool asked_ = false;  // the password was asked for in this run
    bool byUser_ = false; // the sync under way was asked from the menu
    bool again_ = false;  // asked while one ran
    bool asking_ = false; // the question of an emptied calendar is up
    // What the user said of an emptied calendar, for the next sync.
    CalendarSync::WhenEmptied whenEmptied_ = CalendarSync::WhenEmptied::Refuse;
    // The user cancelled that question: syncs on their own do not ask it again.
    bool emptiedDeclined_ = false;
    // The next sync makes the calendar again; the user cancelled that question.
    bool makeAgain_ = false;
    bool goneDeclined_ = false;
    QPointer<QDialog> dialog_;
};
