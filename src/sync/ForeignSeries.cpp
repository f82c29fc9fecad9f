#include "sync/ForeignSeries.h"

#include "ical/EventDates.h"
#include "ical/IcalPtr.h"
#include "ical/ImportOptions.h"
#include "store/domain/SeriesBook.h"
#include "sync/ForeignEvent.h"

#include <algorithm>

namespace {

QString uidOf(icalcomponent* event)
{
    const char* uid = icalcomponent_get_uid(event);
    return uid ? QString::fromUtf8(uid) : QString();
}

icalproperty* recurrenceId(icalcomponent* event)
{
    return icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
}

bool cancelled(icalcomponent* event)
{
    return icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED;
}

IcalComponentPtr parsed(const QByteArray& body)
{
    icalerror_set_errors_are_fatal(0);
    IcalComponentPtr root(icalparser_parse_string(body.constData()));
    if (root && icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        root.reset();
    return root;
}

// The body's events, gathered first: libical keeps one iterator per component.
std::vector<icalcomponent*> eventsOf(icalcomponent* root)
{
    std::vector<icalcomponent*> events;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT))
        events.push_back(c);
    return events;
}

// The series itself: the first event that replaces no occurrence, when it repeats.
icalcomponent* seriesOf(const std::vector<icalcomponent*>& events)
{
    const auto master = std::find_if(events.begin(), events.end(),
                                     [](icalcomponent* e) { return !recurrenceId(e); });
    return master != events.end() && EventDates::isRecurring(*master) ? *master : nullptr;
}

} // namespace

QDate ForeignSeries::lastDay(const QDate& today)
{
    ImportOptions options;
    options.shownYear = today.year();
    return options.lastDay();
}

bool ForeignSeries::repeats(const QByteArray& body)
{
    const IcalComponentPtr root = parsed(body);
    return root && seriesOf(eventsOf(root.get()));
}

std::vector<CalendarOccurrence> ForeignSeries::occurrences(const QByteArray& body,
                                                           const QDate& today)
{
    std::vector<CalendarOccurrence> found;
    const IcalComponentPtr root = parsed(body);
    if (!root)
        return found;
    const std::vector<icalcomponent*> events = eventsOf(root.get());
    icalcomponent* const master = seriesOf(events);
    if (!master || cancelled(master))
        return found;
    icalproperty* dtstart = icalcomponent_get_first_property(master, ICAL_DTSTART_PROPERTY);
    if (!dtstart)
        return found;

    ImportOptions options;
    options.shownYear = today.year();
    const QDate startDay = EventDates::localDate(
        EventDates::withZone(icalproperty_get_dtstart(dtstart), dtstart, master),
        options.localZone);
    const EventDates::Window window{
        options.firstDay(startDay.isValid() ? std::optional(startDay) : std::nullopt),
        options.lastDay(), true, options.localZone};

    // The days another component of the series replaces are its, not the series' own.
    const QString uid = uidOf(master);
    std::vector<icalcomponent*> replacements;
    std::vector<icaltimetype> replaced;
    for (icalcomponent* event : events) {
        icalproperty* id = recurrenceId(event);
        if (!id || uidOf(event) != uid)
            continue;
        replacements.push_back(event);
        replaced.push_back(EventDates::withZone(icalproperty_get_recurrenceid(id), id, event));
    }

    int steps = EventDates::kFileSteps;
    const QString text = ForeignEvent::text(master);
    const bool holiday = ForeignEvent::holiday(master);
    for (const QDate& date : EventDates::of(master, window, replaced, steps).dates)
        found.push_back({date, text, holiday});
    const char* const ownSummary = icalcomponent_get_summary(master);
    const QString summary = QString::fromUtf8(ownSummary ? ownSummary : "").trimmed();
    for (icalcomponent* event : replacements) {
        if (cancelled(event))
            continue;
        const QString own = ForeignEvent::text(event, summary);
        const bool mark = ForeignEvent::holiday(event);
        for (const QDate& date : EventDates::of(event, window, {}, steps).dates)
            found.push_back({date, own, mark});
    }
    std::stable_sort(
        found.begin(), found.end(),
        [](const CalendarOccurrence& a, const CalendarOccurrence& b) { return a.date < b.date; });
    found.erase(std::unique(found.begin(), found.end()), found.end());
    // A day the event shows nothing on (no summary, an all-day one) has nothing to show.
    found.erase(
        std::remove_if(found.begin(), found.end(),
                       [](const CalendarOccurrence& o) { return o.text.isEmpty() && !o.holiday; }),
        found.end());
    return found;
}

void ForeignSeries::keep(Database& db, const QString& href, const QByteArray& body,
                         const QDate& today)
{
    SeriesBook(db).replace({href, body, lastDay(today)}, occurrences(body, today));
}

void ForeignSeries::moveOn(Database& db, const QDate& today)
{
    SeriesBook book(db);
    for (const SeriesBook::Series& series : book.keptBefore(lastDay(today)))
        keep(db, series.href, series.body, today);
}
