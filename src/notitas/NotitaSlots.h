#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class CalendarStore;
class MessageBoxes;
class QAction;
class frmNota;

// The ten notita windows and the commands on them: restoring them from the store, adding,
// showing and hiding them, and keeping the menu pair "Ver notitas" / "Ocultar notitas" true.
class NotitaSlots : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSlots = 10;

    // The two menu items belong to the main window; this only shows, hides and enables them.
    NotitaSlots(CalendarStore& store, MessageBoxes& boxes, QAction* mAbrirNotitas,
                QAction* mCerrarNotitas, QObject* parent = nullptr);
    // Deletes the windows without a save: hideAll(), run before, saves the last edit.
    ~NotitaSlots() override;

    // Window k (1..10), made and laid out on first use; nullptr for any other k.
    frmNota* window(int k);
    // Window k if it was ever used, without making it.
    frmNota* existingWindow(int k) const;

    int ContarNotitas() const;

    // Start-up and "Ver notitas": binds the first ten rows to windows 1..10 and shows them.
    void MostrarNotitas();
    // The panel under the month: asks, adds a row and shows it in a free window.
    void SSPanel1_Click();
    void mAnyadirNotita_Click();
    void mabrirnotitas_Click();
    void mCerrarNotitas_Click();
    // The end of the program: every window is hidden, which saves the one being typed in.
    void hideAll();

private:
    void bindCurrentRow(frmNota& notita);
    void unbind(frmNota& notita);
    void rebindLastToWindow10();
    bool moveToRow(const QString& indice);
    frmNota* windowShowing(const QString& indice, const frmNota* other) const;
    frmNota* firstUnbound();
    void setTableEmpty();

    CalendarStore& store_;
    MessageBoxes& boxes_;
    QPointer<QAction> mAbrirNotitas_;
    QPointer<QAction> mCerrarNotitas_;
    std::array<std::unique_ptr<frmNota>, kSlots> windows_;
};
