#include "ical/IcsReader.h"

#include "ical/EventDates.h"
#include "ical/IcsError.h"
#include "ical/IcsNames.h"

#include <map>
#include <set>
#include <utility>

namespace {

QString fromIcal(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// What the reading needs of an event's own properties, gathered in one walk over them (each of
// libical's lookups by kind walks them all again).
struct Properties
{
    QString summary;
    QString description;
    QString uid;
    QStringList categories;
    std::optional<QString> colourName; // COLOR
    std::optional<QString> noNote;     // our own properties
    std::optional<QString> note;
    std::optional<QString> colour;
    std::optional<QString> alarm;
    bool cancelled = false;
    bool replacement = false; // it has a RECURRENCE-ID

    explicit Properties(icalcomponent* event)
    {
        bool summarised = false;
        bool described = false;
        for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_ANY_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_ANY_PROPERTY)) {
            switch (icalproperty_isa(p)) {
            case ICAL_SUMMARY_PROPERTY:
                if (!std::exchange(summarised, true))
                    summary = fromIcal(icalproperty_get_summary(p));
                break;
            case ICAL_DESCRIPTION_PROPERTY:
                if (!std::exchange(described, true))
                    description = fromIcal(icalproperty_get_description(p));
                break;
            case ICAL_UID_PROPERTY:
                uid = fromIcal(icalproperty_get_uid(p));
                break;
            case ICAL_CATEGORIES_PROPERTY:
                // One property may list several categories.
                for (const QString& c : fromIcal(icalproperty_get_categories(p)).split(u','))
                    categories << c.trimmed();
                break;
            case ICAL_COLOR_PROPERTY:
                if (!colourName)
                    colourName = fromIcal(icalproperty_get_color(p));
                break;
            case ICAL_STATUS_PROPERTY:
                cancelled = icalproperty_get_status(p) == ICAL_STATUS_CANCELLED;
                break;
            case ICAL_RECURRENCEID_PROPERTY:
                replacement = true;
                break;
            case ICAL_X_PROPERTY:
                own(p);
                break;
            default:
                break;
            }
        }
    }

    void own(icalproperty* p)
    {
        const char* name = icalproperty_get_x_name(p);
        if (!name)
            return;
        const std::pair<const char*, std::optional<QString>*> ours[] = {
            {IcsNames::kNoNote, &noNote},
            {IcsNames::kNote, &note},
            {IcsNames::kColour, &colour},
            {IcsNames::kAlarm, &alarm}};
        for (const auto& [wanted, value] : ours) {
            if (!*value && qstricmp(name, wanted) == 0)
                *value = fromIcal(icalproperty_get_x(p));
        }
    }
};

// How the user knows an event: its summary, else its UID (made readable only if it is shown).
QString nameOf(const Properties& event)
{
    if (!event.summary.trimmed().isEmpty())
        return event.summary;
    return event.uid.trimmed().isEmpty() ? QStringLiteral("sin título") : event.uid;
}

// The note an event brings: DESCRIPTION when it begins with the summary (the summary is then
// its first line), else the summary; our own exact note where the standard text is still what
// it was made from (another program that changed the text changed only the standard one).
// standIn: what the export wrote in SUMMARY for a day without a note; a summary other than that
// was typed there by another program, and is the note.
QString noteOf(const Properties& event, const QString& standIn = {})
{
    QString standard = event.summary;
    const QString& description = event.description;
    if (!description.isEmpty() && description.trimmed().startsWith(event.summary.trimmed()))
        standard = description;
    if (event.noNote && (standIn.isNull() || event.summary.trimmed() == standIn ||
                         event.summary.trimmed().isEmpty()))
        standard.clear();
    if (event.note) {
        const QString note = IcsNames::fromExactNote(*event.note);
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
    // The UIDs of the recurring events: a component that replaces one of their instances
    // belongs to them.
    std::set<QString> series;
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
            if (!id) {
                if (EventDates::isRecurring(event))
                    series.insert(fromIcal(icalcomponent_get_uid(event)));
                continue;
            }
            // Resolved as EXDATE is: the file's zones first, then the system's.
            replaced[fromIcal(icalcomponent_get_uid(event))].push_back(
                EventDates::withZone(icalproperty_get_recurrenceid(id), id, event));
        }
    }

    // The colour the event brings: the standard COLOR, or a colour category, where either
    // disagrees with our own property (another program changed it), else our own.
    bool colourOf(const Properties& event, const QString& name, EventDay& brought)
    {
        std::optional<DayColour> standard;
        if (event.colourName)
            standard = IcsNames::fromCssName(*event.colourName);
        const std::optional<QString>& own = event.colour;
        if (!own) {
            brought.colour = standard;
            return true;
        }
        const std::optional<DayColour> ours = DayColours::fromName(*own);
        std::optional<DayColour> category;
        for (const QString& c : event.categories) {
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
    bool alarmOf(icalcomponent* event, const Properties& properties, const QString& name,
                 EventDay& brought)
    {
        std::optional<QTime> standard;
        if (icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT) &&
            icalcomponent_get_dtstart(event).is_date)
            standard = standardAlarm(event);
        const std::optional<QString>& own = properties.alarm;
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
        const Properties properties(event);
        const QString name = nameOf(properties);
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
        if (properties.cancelled) {
            reject(name, QDate(), QStringLiteral("está cancelado (STATUS:CANCELLED)"));
            return;
        }

        EventDay brought;
        brought.name = name;
        brought.text = noteOf(properties);
        brought.holiday = options.everyEventIsHoliday ||
                          properties.categories.contains(QString::fromLatin1(IcsNames::kHoliday),
                                                         Qt::CaseInsensitive);
        if (!colourOf(properties, name, brought) || !alarmOf(event, properties, name, brought))
            return;
        if (properties.noNote) {
            // Sent without a note: a summary other than the one it was sent with is a note
            // another program gave the day.
            const bool holidayMark = properties.categories.contains(
                QString::fromLatin1(IcsNames::kHoliday), Qt::CaseInsensitive);
            brought.text = noteOf(properties, IcsNames::standIn(holidayMark, brought.colour,
                                                                brought.alarm.has_value()));
        }
        if (brought.text.isEmpty() && !brought.holiday && !brought.colour && !brought.alarm) {
            reject(name, QDate(),
                   QStringLiteral("no tiene texto (SUMMARY) ni nada más que guardar"));
            return;
        }

        if (properties.replacement && series.count(properties.uid)) {
            // One occurrence of a series, given again: it comes in only where its series would,
            // so that a series left out is left out whole, overridden occurrences included.
            icalproperty* id = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            const QDate occurrence = EventDates::localDate(
                EventDates::withZone(icalproperty_get_recurrenceid(id), id, event), window.zone);
            if (occurrence.isValid() && (occurrence < window.first || occurrence > window.last)) {
                ++summary.outsideRange;
                return;
            }
        }

        static const std::vector<icaltimetype> none;
        const auto found = replaced.empty() ? replaced.end() : replaced.find(properties.uid);
        const EventDates::Result dates = EventDates::of(
            event, window, found == replaced.end() || properties.replacement ? none : found->second,
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
