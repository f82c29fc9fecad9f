#pragma once

#include "ical/IcsCalendar.h"
#include "ical/ImportOptions.h"
#include "ical/ImportSummary.h"
#include "store/domain/EventDay.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>
#include <vector>

// What the events of a calendar read and checked (IcsCalendar) bring to each day, under the
// options the user chose. Touches no store.
class IcsReader
{
public:
    IcsReader() = delete;

    // What each event brings to each of its days, in the order of the file. The events and
    // lines left out (and why) and the counts go to summary. Throws IcsError when cancel is
    // set meanwhile.
    static std::vector<EventDay> read(const IcsCalendar& calendar, const ImportOptions& options,
                                      ImportSummary& summary,
                                      const std::atomic<bool>* cancel = nullptr);
    // The text read and checked first: throws IcsError, naming file, when it is refused.
    static std::vector<EventDay> read(const QByteArray& text, const QString& file,
                                      const ImportOptions& options, ImportSummary& summary);

    // The day of the calendar's earliest event that does not repeat, in zone; none without one.
    static std::optional<QDate> earliestSingle(const IcsCalendar& calendar, const QTimeZone& zone);
};
