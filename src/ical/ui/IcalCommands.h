#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class CalendarStore;
class FileDialogs;
class MessageBoxes;
class StoreGuard;
class QWidget;

// The "Archivo" menu's iCalendar commands: "Exportar a iCalendar…" and "Importar de
// iCalendar…". An import reads and checks the file away from the window's thread (a damaged
// file is refused before any question), then asks how to bring it in, works out the days away
// from the window too, and writes them; a long reading can be cancelled.
class IcalCommands : public QObject
{
    Q_OBJECT

public:
    static const QString kExportTitle; // "Exportar a iCalendar"
    static const QString kImportTitle; // "Importar de iCalendar"

    // window: what the dialogs and the progress stand over.
    IcalCommands(CalendarStore& store, const StoreGuard& guard, MessageBoxes& boxes,
                 FileDialogs& files, QWidget* window);

    void exportCalendar();
    // shownYear: the year the calendar shows, which the import's options start from.
    void importCalendar(int shownYear);

signals:
    // An import wrote days: whatever shows them should be drawn again.
    void daysChanged();

private:
    // Runs work on a thread of its own while the window's events go on; a progress window
    // with "Cancelar" appears when it takes long, and sets cancel. Rethrows what work threw.
    // cancel: none when the work cannot be stopped (no "Cancelar" is offered then).
    void runAside(const QString& title, const QString& label, std::atomic<bool>* cancel,
                  const std::function<void()>& work);

    CalendarStore& store_;
    const StoreGuard& guard_;
    MessageBoxes& boxes_;
    FileDialogs& files_;
    QWidget* window_;
    bool busy_ = false; // one import at a time: the progress leaves the menus reachable
};
