#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>

#include "platform/Seams.h"

class AlarmWatcher;
class ClipboardCommands;
class frmBuscar;
class frmSeleccion;
class PeriodListings;
class CalendarStore;
class DayEditor;
class MonthView;
class NotesPanel;
class NotitaSlots;
class QAction;
class QMenu;
class QTimer;
class TrayIcon;

// The main window and the program's switchboard: start-up and shut-down, the menus, and the
// wiring between the month view, the notitas and the listings.
class frmCalendar : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kNarrowWidth = 3555;
    static constexpr int kWideWidth = 7500;

    // folder: the working directory whose calendar.mdb the program uses.
    frmCalendar(const Seams& seams, const QString& folder, QWidget* parent = nullptr);
    ~frmCalendar() override;

    // Start-up: opens the store and lays out the current month. Returns false, after telling
    // the user why, when the store cannot be used; then no window has been shown.
    bool Form_Load();
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
    frmBuscar* buscar() const { return buscar_; }          // null until first used
    frmSeleccion* seleccion() const { return seleccion_; } // null until first used
    PeriodListings* periodListings() const { return periods_.get(); }
    ClipboardCommands* clipboard() const { return clipboard_; }

    // A later start of the program on the same folder asks for the windows to come forward.
    void bringForward();
    // Where the desktop has a tray, a hidden main window leaves an icon there to get it back.
    void setTrayAvailable(bool available) { trayAvailable_ = available; }
    TrayIcon* trayIcon() const { return tray_; }

    // The window's outer size in twips, as the layouts state it; the real window follows.
    int outerWidth() const { return outerWidth_; }
    int outerHeight() const { return outerHeight_; }
    void setOuterWidth(int twips);
    void setOuterHeight(int twips);

    CalendarStore* store() const { return store_.get(); }
    MonthView* monthView() const { return month_; }
    DayEditor* dayEditor() const { return editor_; }
    NotesPanel* notesPanel() const { return notes_; }
    AlarmWatcher* alarmWatcher() const { return alarm_; }
    NotitaSlots* notitas() const { return notitas_.get(); } // null until the store is open
    QTimer* timer1() const { return Timer1_; }
    QAction* menuItem(const QString& name) const; // by object name, e.g. "mVerNotas"
    QMenu* menu(const QString& name) const;       // e.g. "mMesactual"

signals:
    // "Salir" or closing the window: the program ends with this code.
    void ended(int exitCode);
    void outerHeightChanged(int twips);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void applyOuterSize();

    Seams seams_;
    QString folder_;
    std::unique_ptr<CalendarStore> store_;

    int outerWidth_ = kWideWidth;
    int outerHeight_ = 6450;
    QWidget* client_ = nullptr;
    MonthView* month_ = nullptr;
    DayEditor* editor_ = nullptr;
    NotesPanel* notes_ = nullptr;
    AlarmWatcher* alarm_ = nullptr;
    std::unique_ptr<NotitaSlots> notitas_;
    QTimer* Timer1_ = nullptr;
    TrayIcon* tray_ = nullptr;
    ClipboardCommands* clipboard_ = nullptr;
    frmBuscar* buscar_ = nullptr;
    frmSeleccion* seleccion_ = nullptr;
    std::unique_ptr<PeriodListings> periods_;
    bool trayAvailable_ = false;
};
