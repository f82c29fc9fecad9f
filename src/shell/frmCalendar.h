#pragma once

#include "platform/Seams.h"

#include <QMainWindow>
#include <QPoint>
#include <QString>

#include <memory>
#include <optional>

class AlarmWatcher;
class CalendarStore;
class ClipboardCommands;
class DayEditor;
class frmBuscar;
class frmSeleccion;
class IcalCommands;
class MonthView;
class NotesPanel;
class NotitaSlots;
class OlderCalendarCommand;
class PeriodListings;
class QAction;
class QMenu;
class QTimer;
class StoreBusyNotice;
class StoreGuard;
class SyncRunner;
class SyncSchedule;
class TrayIcon;
struct StoreChanges;
struct SyncState;

// The main window and the program's switchboard: its menus and sizes, and the wiring between
// the month view, the notitas and the listings, which never talk to each other directly.
class frmCalendar : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kNarrowWidth = 3555;
    static constexpr int kWideWidth = 7500;
    // How often the store is looked at for other programs' writes (and whenever one of the
    // program's windows gains the focus).
    static constexpr int kOutsideWritesMs = 1500;

    // Builds the window and everything in it on an open store; Form_Load then fills it.
    frmCalendar(CalendarStore& store, const Seams& seams, const StoreGuard& guard,
                QWidget* parent = nullptr);
    ~frmCalendar() override;

    // Start-up on the open store: today's month is laid out and the window shown with the
    // notitas back beside it. False when the store failed (the user has been told).
    bool Form_Load();
    // "Salir" and closing the window: a note typed into the notes list is written, the
    // notitas are hidden and the program ends.
    void Form_Unload();

    void mSalir_Click();
    void mCerrarCalendario_Click();
    void Timer1_Timer();
    void mVerNotas_Click();
    void mOcultarNotas_Click();
    void mSeleccion_Click();
    void mBucar_Click();
    void mInstrucciones_Click();
    void mAcerca_Click();
    void mExportarICalendar_Click();
    void mImportarICalendar_Click();
    void mTraerAnterior_Click();
    void mServidorCalendarios_Click();
    void mSincronizarAhora_Click();

    // A later start of the program on the same folder asks for the windows to come forward.
    void bringForward();
    // The store changed under the windows (another program, a sync): each part that shows
    // what changed shows it as it now stands, except what the user is editing.
    void showStoreChanges(const StoreChanges& changes);
    // Another program keeps the store busy (holder, in words), or, with nullopt, no longer.
    void storeBusy(const std::optional<QString>& holder, const QString& unsaved, bool kept);
    StoreBusyNotice* busyNotice() const { return busy_; }
    SyncSchedule* syncSchedule() const { return schedule_; }
    // When the calendar syncs (made with the session): the menu and the tray say where it
    // stands, and the first sync comes once the window is up.
    void setSyncSchedule(SyncSchedule* schedule);
    // Where the desktop has a tray, a hidden main window leaves an icon there to get it back.
    void setTrayAvailable(bool available) { trayAvailable_ = available; }

    // The window's outer size in twips, as the layouts state it; the real window follows.
    int outerWidth() const { return outerWidth_; }
    int outerHeight() const { return outerHeight_; }
    void setOuterWidth(int twips);
    void setOuterHeight(int twips);
    // The notes grid's height in twips, which follows the window's.
    void setGridHeight(int twips);

signals:
    // "Salir" or closing the window: the program ends with this code.
    void ended(int exitCode);
    void outerHeightChanged(int twips);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // Other programs' writes, looked for now and then and whenever the user comes back to one
    // of the windows; what they changed is shown.
    void lookForOutsideWrites();
    void wire();
    void setInitialState();
    void applyOuterSize();
    // Made when first needed, so that start-up does without them: the day editor the first
    // time a day is opened, the notes list the first time a listing runs, the tray icon the
    // first time the window is hidden.
    DayEditor* dayEditor();
    NotesPanel* notesPanel();
    PeriodListings* periodListings();
    TrayIcon* trayIcon();
    IcalCommands* icalCommands();          // made when first used; none without file dialogs
    OlderCalendarCommand* olderCalendar(); // likewise
    // The sync's state on the "Sincronizar ahora" item and the tray icon.
    void showSyncState(const SyncState& state);

    CalendarStore& store_;
    Seams seams_;
    const StoreGuard& guard_;

    int outerWidth_ = kWideWidth;
    int outerHeight_ = 6450;
    int gridHeight_ = 5835;
    QWidget* client_ = nullptr;
    MonthView* month_ = nullptr;
    DayEditor* editor_ = nullptr;
    NotesPanel* notes_ = nullptr;
    AlarmWatcher* alarm_ = nullptr;
    NotitaSlots* notitas_ = nullptr;
    std::unique_ptr<PeriodListings> periods_;
    ClipboardCommands* clipboard_ = nullptr;
    TrayIcon* tray_ = nullptr;
    QTimer* Timer1_ = nullptr;
    QTimer* outsideWrites_ = nullptr; // looks for other programs' writes
    StoreBusyNotice* busy_ = nullptr;
    frmBuscar* buscar_ = nullptr;
    frmSeleccion* seleccion_ = nullptr;
    IcalCommands* ical_ = nullptr;
    OlderCalendarCommand* older_ = nullptr;
    SyncSchedule* schedule_ = nullptr;
    std::optional<bool> trayAvailable_; // asked of the desktop when first needed
    // Where "Cerrar calendario" found the window (its inside, as the window system keeps it):
    // shown again, it comes back there, not where the window manager would place a new window.
    std::optional<QPoint> closedAt_;

    QAction* mAbrirNotitas_ = nullptr;
    QAction* mCerrarNotitas_ = nullptr;
    QAction* mOcultarNotas_ = nullptr;
    QAction* mVerNotas_ = nullptr;
    QAction* mSincronizarAhora_ = nullptr;
    QMenu* mMesactual_ = nullptr;
    QMenu* manyoactual_ = nullptr;
};
