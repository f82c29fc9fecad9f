#pragma once

#include "access/CalendarMending.h"
#include "access/ConversionReport.h"
#include "access/MdbReader.h"

#include <QString>
#include <QStringList>

class CalendarStore;

// An older calendar (an Access calendar.mdb kept anywhere) brought into the store the program
// has open, as "Archivo → Traer el calendario de la versión anterior…" does: read whole in a
// process of its own and mended as every conversion is, then written in one transaction. A
// store that holds nothing takes it as it was; in one that holds days, each older day joins
// the stored one as an imported event does (DayMerge), and the older notitas come after the
// store's own.
class CalendarJoin
{
public:
    // What a join would bring, for the question asked before it.
    struct Coming
    {
        bool storeEmpty = true; // no day and no notita stored: nothing to ask
        int days = 0;           // days the older calendar brings
        int notitas = 0;        // notitas it brings
        int meeting = 0;        // of its days, those the store already keeps something on
        int storedNotitas = 0;  // the notitas the store has now
    };

    // What a join did.
    struct Result
    {
        ConversionReport report; // what came over, as the conversion counts it
        bool filled = false;     // the store held nothing and took the older calendar whole
        int added = 0;           // days the store had nothing on
        int joined = 0;          // days both had, the older one's note joined to the stored one
        int alreadyHeld = 0;     // days both had, the stored one already holding all it brings
    };

    CalendarJoin() = delete;

    // Refuses (MdbError, in Spanish) a file that is the open store or one of the files SQLite
    // keeps beside it, before anything in this process opens it: closing a descriptor of the
    // open store would drop the locks SQLite holds on it.
    static void refuseOpenStore(const QString& file, const QString& storePath);
    // The older calendar read and mended, the open store refused first. Throws MdbError;
    // nothing is written.
    static CalendarMending::Result read(const QString& file, const QString& storePath,
                                        const MdbReader::Limits& limits = {});
    // What joining older into the store would bring. Throws StoreError.
    static Coming look(CalendarStore& store, const CalendarMending::Result& older);
    // Writes it all or nothing. Throws MdbError (a failing store included): the store is left
    // as it was.
    static Result write(CalendarStore& store, const CalendarMending::Result& older);
};
