#pragma once

#include "ical/EventDay.h"
#include "ical/ImportOptions.h"
#include "ical/ImportSummary.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Reads the text of an iCalendar file with libical and checks all of it before anything is
// taken from it: a file that is not iCalendar or is damaged anywhere is refused whole.
// Touches no store.
class IcsReader
{
public:
    IcsReader() = delete;

    // What each event brings to each of its days, in the order of the file. The events left
    // out (and why) and the counts go to summary. Throws IcsError, naming file (as the user
    // should see it), when the text is refused.
    static std::vector<EventDay> read(const QByteArray& text, const QString& file,
                                      const ImportOptions& options, ImportSummary& summary);
};
