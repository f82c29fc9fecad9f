#pragma once

#include "access/ConversionReport.h"
#include "access/MdbContents.h"
#include "store/domain/DayRecord.h"
#include "store/domain/NotitaRecord.h"

#include <vector>

// The rows of an older calendar made into rows a Tarvelo store takes: every value as stored,
// and the rows it cannot take as they are mended, each change written into the report. A file
// that is no calendar (a table or a field missing, a field of a type Tarvelo does not read) is
// refused.
class CalendarMending
{
public:
    struct Result
    {
        std::vector<DayRecord> days; // one per date, in date order
        std::vector<NotitaRecord> notitas;
        ConversionReport report;
    };

    CalendarMending() = delete;

    // file: the older file, as the messages name it. Throws MdbError.
    static Result mend(const MdbContents& contents, const QString& file);
};
