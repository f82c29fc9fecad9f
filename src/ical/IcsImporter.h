#pragma once

#include "ical/ImportOptions.h"
#include "ical/ImportSummary.h"

#include <QString>

class CalendarStore;

// Brings the events of an iCalendar file into the store as notes and holidays.
//
// How to call it (the menu "Importar de iCalendar…" and `tarvelo-db import-ics`):
//
//     ImportOptions options;                 // recurring events: the current year
//     options.everyEventIsHoliday = festivos; // the "all are holidays" choice
//     // options.from / options.to: the days asked for, both or neither
//     try {
//         const ImportSummary summary = IcsImporter::importFile(store, path, options);
//         boxes.show(summary.text(), MessageBoxes::Information,
//            QStringLiteral("Importar de iCalendar"));
//     } catch (const IcsError& error) {
//         boxes.show(error.message(), MessageBoxes::Exclamation,
//            QStringLiteral("Importar de iCalendar"));
//     }
//
// The whole file is read and checked before the store is touched; then every day is written
// in one transaction, which waits (as any save does) while another copy of Tarvelo holds the
// store. A refused file, or a failure of the store, throws IcsError and leaves the store as it
// was; no StoreError leaves this function. The menu should refresh the month and the notes
// list afterwards, as the days changed under them.
class IcsImporter
{
public:
    IcsImporter() = delete;

    static ImportSummary importFile(CalendarStore& store, const QString& file,
                                    const ImportOptions& options);
};
