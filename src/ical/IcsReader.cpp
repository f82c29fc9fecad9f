#include "ical/IcsReader.h"

#include "ical/EventDates.h"
#include "ical/IcsError.h"
#include "ical/IcsNames.h"

#include <map>

namespace {

QString fromIcal(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

std::optional<QString> xValue(icalcomponent* event, const char* name)
{
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* x = icalproperty_get_x_name(p);
        if (x && qstricmp(x, name) == 0)
            return fromIcal(icalproperty_get_x(p));
    }
    return std::nullopt;
}

QStringList categoriesOf(icalcomponent* event)
{
    QStringList categories;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_CATEGORIES_PROPERTY)) {
        // One property may list several categories.
        for (const QString& category : fromIcal(icalproperty_get_categories(p)).split(u','))
            categories << category.trimmed();
    }
    return categories;
}

// How the user knows an event: its summary, else its UID (made readable only if it is shown).
QString nameOf(const QString& summary, icalcomponent* event)
{
    if (!summary.trimmed().isEmpty())
        return summary;
    const QString uid = fromIcal(icalcomponent_get_uid(event));
    return uid.trimmed().isEmpty() ? QStringLiteral("sin título") : uid;
}

// The note an event brings: DESCRIPTION when it begins with the summary (the summary is then
// its first line), else the summary; our own exact note where the standard text is still what
// it was made from (another program that changed the text changed only the standard one).
QString noteOf(icalcomponent* event, const QString& summary)
{
    QString standard = summary;
    const QString description = fromIcal(icalcomponent_get_description(event));
    if (!description.isEmpty() && description.trimmed().startsWith(summary.trimmed()))
        standard = description;
    if (xValue(event, IcsNames::kNoNote))
        standard.clear();
    if (const std::optional<QString> exact = xValue(event, IcsNames::kNote)) {
        const QString note = IcsNames::fromExactNote(*exact);
        if (IcsNames::asReadBack(note) == IcsNames::asReadBack(standard))
            return note;
    }
    return standard;
}

// The time of day an all-day event's alarm rings at: a display alarm set off after the
// event's start, within its day.
std::optional<QTime> standardAlarm(icalcomponent* event)
{
    for (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
         alarm; alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (!trigger)
            continue;
        const icaltriggertype value = icalproperty_get_trigger(trigger);
        if (!icaltime_is_null_time(value.time))
            continue;
        icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
        if (related && icalparameter_get_related(related) == ICAL_RELATED_END)
            continue;
        const int seconds = icaldurationtype_as_int(value.duration);
        if (seconds >= 0 && seconds < 86400)
            return QTime(0, 0).addSecs(seconds);
    }
    return std::nullopt;
}

// The properties an event cannot stand without: passed over, its days are not known.
bool isEssential(const QString& property)
{
    static const QStringList kEssential{"DTSTART", "DTEND",  "DURATION",     "RRULE",
                                        "EXDATE",  "EXRULE", "RECURRENCE-ID"};
    return kEssential.contains(property);
}

struct Reading
{
    const ImportOptions& options;
    const IcsCalendar& parsed;
    ImportSummary& summary;
    const std::atomic<bool>* cancel;
    EventDates::Window window;
    std::vector<EventDay> days;
    // By UID: the instances of a recurring event that another component replaces.
    std::map<QString, std::vector<icaltimetype>> replaced;
    int stepsLeft = EventDates::kFileSteps;

    void reject(const QString& event, const QDate& date, const QString& reason)
    {
        summary.rejected.push_back({event, date, reason});
    }

    void collectReplacements(icalcomponent* calendar)
    {
        for (icalcomponent* event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            icalproperty* id = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            if (!id)
                continue;
            // Resolved as EXDATE is: the file's zones first, then the system's.
            replaced[fromIcal(icalcomponent_get_uid(event))].push_back(
                EventDates::withZone(icalproperty_get_recurrenceid(id), id, event));
        }
    }

    // The colour the event brings: the standard COLOR, or a colour category, where either
    // disagrees with our own property (another program changed it), else our own.
    bool colourOf(icalcomponent* event, const QString& name, EventDay& brought)
    {
        std::optional<DayColour> standard;
        if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_COLOR_PROPERTY))
            standard = IcsNames::fromCssName(fromIcal(icalproperty_get_color(p)));
        const std::optional<QString> own = xValue(event, IcsNames::kColour);
        if (!own) {
            brought.colour = standard;
            return true;
        }
        const std::optional<DayColour> ours = DayColours::fromName(*own);
        std::optional<DayColour> category;
        for (const QString& c : categoriesOf(event)) {
            const std::optional<DayColour> named = DayColours::fromName(c);
            if (named && *named != DayColours::kNeutral && !category)
                category = named;
        }
        if (standard && standard != ours)
            brought.colour = standard;
        else if (category && category != ours)
            brought.colour = category;
        else if (ours)
            brought.colour = ours;
        else {
            reject(name, QDate(),
                   QStringLiteral("su color (%1) no es de Tarvelo: «%2»")
                       .arg(QString::fromLatin1(IcsNames::kColour), *own));
            return false;
        }
        return true;
    }

    // The alarm the event brings: its VALARM where it disagrees with our own property.
    bool alarmOf(icalcomponent* event, const QString& name, EventDay& brought)
    {
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const std::optional<QTime> standard =
            start.is_date ? standardAlarm(event) : std::optional<QTime>();
        const std::optional<QString> own = xValue(event, IcsNames::kAlarm);
        if (!own) {
            brought.alarm = standard;
            return true;
        }
        const QTime time = QTime::fromString(*own, QStringLiteral("HH:mm"));
        if (standard && (!time.isValid() || *standard != time)) {
            brought.alarm = standard;
            return true;
        }
        if (!time.isValid()) {
            reject(name, QDate(),
                   QStringLiteral("su hora de alarma (%1) no es HH:MM: «%2»")
                       .arg(QString::fromLatin1(IcsNames::kAlarm), *own));
            return false;
        }
        brought.alarm = time;
        return true;
    }

    void readEvent(icalcomponent* event)
    {
        ++summary.events;
        const QString summaryText = fromIcal(icalcomponent_get_summary(event));
        const QString name = nameOf(summaryText, event);
        const IcsCalendar::SkippedLine* essential = nullptr;
        for (const IcsCalendar::SkippedLine& line : parsed.skippedIn(event)) {
            summary.skipped.push_back({name, line.number, line.quoted, line.reason});
            if (!essential && isEssential(line.property))
                essential = &line;
        }
        if (essential) {
            reject(name, QDate(),
                   QStringLiteral("sin su línea %1 (%2), que no se puede leer, no se sabe qué "
                                  "días ocupa")
                       .arg(essential->number)
                       .arg(essential->property));
            return;
        }
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
            reject(name, QDate(), QStringLiteral("está cancelado (STATUS:CANCELLED)"));
            return;
        }

        EventDay brought;
        brought.name = name;
        brought.text = noteOf(event, summaryText);
        brought.holiday = options.everyEventIsHoliday ||
                          categoriesOf(event).contains(QString::fromLatin1(IcsNames::kHoliday),
                                                       Qt::CaseInsensitive);
        if (!colourOf(event, name, brought) || !alarmOf(event, name, brought))
            return;
        if (brought.text.isEmpty() && !brought.holiday && !brought.colour && !brought.alarm) {
            reject(name, QDate(),
                   QStringLiteral("no tiene texto (SUMMARY) ni nada más que guardar"));
            return;
        }

        const auto found = replaced.find(fromIcal(icalcomponent_get_uid(event)));
        const bool replacement =
            icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
        const std::vector<icaltimetype> none;
        const EventDates::Result dates = EventDates::of(
            event, window, found == replaced.end() || replacement ? none : found->second,
            stepsLeft);
        if (!dates.refusal.isEmpty()) {
            reject(name, QDate(), dates.refusal);
            return;
        }
        if (EventDates::isRecurring(event))
            ++summary.recurring;
        if (dates.outsideRange) {
            ++summary.outsideRange;
            return;
        }
        summary.daysCovered += int(dates.dates.size());
        for (const QDate& date : dates.dates) {
            brought.date = date;
            days.push_back(brought);
        }
    }

    void readCalendar(icalcomponent* calendar)
    {
        collectReplacements(calendar);
        int seen = 0;
        for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            if (cancel && ++seen % 256 == 0 && cancel->load(std::memory_order_relaxed))
                throw IcsError::cancelled(parsed.file());
            switch (icalcomponent_isa(c)) {
            case ICAL_VEVENT_COMPONENT:
                readEvent(c);
                break;
            case ICAL_VTIMEZONE_COMPONENT:
                break;
            default:
                ++summary.otherEntries;
                break;
            }
        }
    }
};

} // namespace

std::optional<QDate> IcsReader::earliestSingle(const IcsCalendar& calendar, const QTimeZone& zone)
{
    std::optional<QDate> earliest;
    for (const IcalComponentPtr& c : calendar.calendars()) {
        for (icalcomponent* event =
                 icalcomponent_get_first_component(c.get(), ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(c.get(), ICAL_VEVENT_COMPONENT)) {
            icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
            if (!start || EventDates::isRecurring(event) ||
                icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
                continue;
            const QDate day = EventDates::localDate(
                EventDates::withZone(icalproperty_get_dtstart(start), start, event), zone);
            if (day.isValid() && (!earliest || day < *earliest))
                earliest = day;
        }
    }
    return earliest;
}

std::vector<EventDay> IcsReader::read(const IcsCalendar& calendar, const ImportOptions& options,
                                      ImportSummary& summary, const std::atomic<bool>* cancel)
{
    const std::optional<QDate> earliest =
        options.hasRange() ? std::nullopt : earliestSingle(calendar, options.localZone);
    summary.from = options.firstDay(earliest);
    summary.to = options.lastDay();
    for (const IcsCalendar::SkippedLine& line : calendar.skippedElsewhere())
        summary.skipped.push_back({QString(), line.number, line.quoted, line.reason});
    Reading reading{options,
                    calendar,
                    summary,
                    cancel,
                    {summary.from, summary.to, options.hasRange(), options.localZone},
                    {},
                    {},
                    EventDates::kFileSteps};
    for (const IcalComponentPtr& c : calendar.calendars())
        reading.readCalendar(c.get());
    return std::move(reading.days);
}

std::vector<EventDay> IcsReader::read(const QByteArray& text, const QString& file,
                                      const ImportOptions& options, ImportSummary& summary)
{
    return read(IcsCalendar::parse(text, file), options, summary);
}
