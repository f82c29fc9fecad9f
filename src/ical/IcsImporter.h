#pragma once

#include "ical/IcsCalendar.h"
#include "ical/ImportOptions.h"
#include "ical/ImportSummary.h"
#include "store/domain/EventDay.h"

#include <QString>

#include <atomic>
#include <vector>

class CalendarStore;

// Brings the events of an iCalendar file into the store as notes and holidays.
//
// How to call it (`tarvelo-db import-ics`; the menu does the same in three steps, the first two
// away from the window's thread, see IcalCommands):
//
//     ImportOptions options;                 // recurring events: the years the file speaks of
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

    // What the events bring to each day, before the store is asked.
    struct Prepared
    {
        ImportSummary summary;
        std::vector<EventDay> days;
    };

    // 1. The file read and checked; throws IcsError naming it. No store is needed.
    static IcsCalendar readFile(const QString& file, const std::atomic<bool>* cancel = nullptr);
    // 2. The days each event brings under the options chosen. No store is needed.
    static Prepared prepare(const IcsCalendar& calendar, const ImportOptions& options,
                            const std::atomic<bool>* cancel = nullptr);
    // 3. The days written, in one transaction; the counts go to prepared.summary, returned.
    static ImportSummary write(CalendarStore& store, Prepared prepared);
};
