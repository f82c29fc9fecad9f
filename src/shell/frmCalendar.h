#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>

class CalendarStore;
class Clock;
class MessageBoxes;
class QAction;

// The main window and the program's switchboard: start-up and shut-down, the menus, and the
// wiring between the month view, the notitas and the listings.
class frmCalendar : public QMainWindow
{
    Q_OBJECT
public:
    // folder: the working directory whose calendar.mdb the program uses.
    frmCalendar(MessageBoxes& boxes, Clock& clock, const QString& folder,
                QWidget* parent = nullptr);
    ~frmCalendar() override;

    // Start-up: opens the store and lays out the current month. Returns false, after telling
    // the user why, when the store cannot be used; then no window has been shown.
    bool Form_Load();
    void Form_Unload();

    void mSalir_Click();
    void mCerrarCalendario_Click();

    // The window's outer size in twips, as the layouts state it; the real window follows.
    int outerWidth() const { return outerWidth_; }
    int outerHeight() const { return outerHeight_; }
    void setOuterWidth(int twips);
    void setOuterHeight(int twips);

    CalendarStore* store() const { return store_.get(); }

    QString FechaActual;     // reference day of the shown month, "dd/mm/yyyy"
    double dFechaActual = 0; // the same day as a date value
    quint8 IndiceHoy = 0;    // the day button drawn bold

signals:
    // Start-up and "Salir" are finished with the window: the program ends with this code.
    void ended(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void applyOuterSize();

    MessageBoxes& boxes_;
    Clock& clock_;
    QString folder_;
    std::unique_ptr<CalendarStore> store_;

    int outerWidth_ = 7500;
    int outerHeight_ = 6450;
    QWidget* client_ = nullptr;

    QAction* mCerrarCalendario_ = nullptr;
    QAction* mSalir_ = nullptr;
};
