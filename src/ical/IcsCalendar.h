#pragma once

#include "ical/IcalPtr.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <map>
#include <vector>

// An iCalendar file read and checked, before any question about what to take from it: a text
// that is not iCalendar, or whose components do not nest, is refused whole; a line libical
// cannot read is passed over and remembered with the component it was in. libical sees only
// lines already joined, one at a time, so that reading stays linear in the file's size.
class IcsCalendar
{
public:
    // Components may nest this deep (a calendar, an event, its alarm need three).
    static constexpr int kMaxDepth = 20;

    struct SkippedLine
    {
        qsizetype number; // where the line begins in the file
        QString quoted;   // its beginning, as a message shows it
        QString property; // its property's name, in capitals; empty when it has none
        QString reason;   // in Spanish
    };

    // Throws IcsError naming file (as the user should see it) when the text is refused, or
    // cancelled when cancel is set meanwhile.
    static IcsCalendar parse(const QByteArray& text, const QString& file,
                             const std::atomic<bool>* cancel = nullptr);

    IcsCalendar(IcsCalendar&&) = default;
    IcsCalendar& operator=(IcsCalendar&&) = default;

    const QString& file() const { return file_; }
    // The VCALENDAR components, in the order of the file.
    const std::vector<IcalComponentPtr>& calendars() const { return calendars_; }
    // The lines passed over inside event (its alarms included), in the order of the file.
    const std::vector<SkippedLine>& skippedIn(icalcomponent* event) const;
    // The lines passed over outside every event: in the calendar itself, in its time zones,
    // and the time zones left out whole.
    const std::vector<SkippedLine>& skippedElsewhere() const { return elsewhere_; }

private:
    IcsCalendar() = default;

    QString file_;
    std::vector<IcalComponentPtr> calendars_;
    std::map<icalcomponent*, std::vector<SkippedLine>> skipped_;
    std::vector<SkippedLine> elsewhere_;
};
