#pragma once

#include "access/MdbReader.h"

#include <QObject>
#include <QString>

class CalendarStore;
class FileDialogs;
class MessageBoxes;
class QWidget;
class StoreGuard;

// "Archivo → Traer el calendario de la versión anterior…": an older (Access) calendar chosen
// in a file dialog is read whole away from the window, and only then brought into the open
// store (CalendarJoin), after a question that says what comes and what meets when the store
// already holds something; the summary is the start-up conversion's. A damaged file, or the
// open store itself, is refused before any question and changes nothing. Also the offer made
// once at the first start of a new, empty store (FirstStartMark).
class OlderCalendarCommand : public QObject
{
    Q_OBJECT

public:
    static const QString kTitle; // "Traer el calendario de la versión anterior"

    // window: what the dialogs and the progress stand over.
    OlderCalendarCommand(CalendarStore& store, const StoreGuard& guard, MessageBoxes& boxes,
                         FileDialogs& files, QWidget* window);

    void bringOver();
    // At the first start of a store made new with the mark: while it is still empty, asks once
    // whether to bring the older calendar now.
    void offerOnFirstStart();

    // How long and how much the reading of a file may take (tests make them small).
    void setLimits(const MdbReader::Limits& limits) { limits_ = limits; }

private:
    CalendarStore& store_;
    const StoreGuard& guard_;
    MessageBoxes& boxes_;
    FileDialogs& files_;
    QWidget* window_;
    MdbReader::Limits limits_;
    bool busy_ = false; // one at a time: the progress leaves the menus reachable
};
