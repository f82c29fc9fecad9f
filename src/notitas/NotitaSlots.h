#pragma once

#include <QObject>
#include <QRect>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class MessageBoxes;
class NotitaBook;
class StoreGuard;
class frmNota;
struct Notita;

// The ten notita windows and the commands on all of them: restoring them from the store,
// adding one, showing and hiding them all. What the menus offer follows the signals.
class NotitaSlots : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSlots = 10;

    // calendarArea: where the main window stands on the desktop (frame included); a new
    // notita is placed beside it, never over it.
    NotitaSlots(NotitaBook& notitas, MessageBoxes& boxes, const StoreGuard& guard,
                std::function<QRect()> calendarArea = {}, QObject* parent = nullptr);
    // Deletes the windows without a save: hideAll(), run before, saves the last edit.
    ~NotitaSlots() override;

    // Window k (1..10), made and laid out on first use; nullptr for any other k.
    frmNota* window(int k);
    // Window k if it was ever used, without making it.
    frmNota* existingWindow(int k) const;

    int ContarNotitas();

    // Start-up and "Ver notitas": shows the first ten stored notitas in windows 1..10.
    void MostrarNotitas();
    // The panel under the month: asks, adds a notita and shows it in a free window.
    void SSPanel1_Click();
    void mAnyadirNotita_Click();
    void mabrirnotitas_Click();
    void mCerrarNotitas_Click();
    // The end of the program: every window is hidden, which saves the one being typed in.
    void hideAll();
    // Brings the shown windows in front of others.
    void raiseShown();
    // Another program changed the notitas: each window shows its row as it now stands, one
    // deleted there goes (unless it is being typed into), and, unless the user hid the
    // notitas, one added there is shown in a free window.
    void showStoredNotitas();

signals:
    void notitasShown();  // "Ver notitas" done: "Ocultar notitas" is what the menu offers
    void notitasHidden(); // "Ocultar notitas" done: "Ver notitas" is what the menu offers
    void tableEmptied();  // no notita is stored: there is nothing to hide
    void notitaAdded();

private:
    void rebindLastToWindow10();
    frmNota* windowShowing(qint64 row, const frmNota* other) const;
    frmNota* firstUnbound();
    QPoint placeForNew(const frmNota& notita) const;

    NotitaBook& notitas_;
    MessageBoxes& boxes_;
    const StoreGuard& guard_;
    std::function<QRect()> calendarArea_;
    std::array<std::unique_ptr<frmNota>, kSlots> windows_;
    bool hiddenByUser_ = false; // "Ocultar notitas" until "Ver notitas"
};
