#include "sync/DayContent.h"

#include "ical/EventDates.h"
#include "ical/IcalPtr.h"
#include "ical/IcsError.h"
#include "ical/IcsExporter.h"
#include "ical/IcsReader.h"
#include "sync/ForeignEvent.h"
#include "sync/SyncError.h"

#include <QRegularExpression>

namespace {

// A day's own event, as the export names it.
std::optional<QDate> ownDate(const QString& uid)
{
    static const QRegularExpression pattern(QStringLiteral("^dia-(\\d{8})@tarvelo$"));
    const QRegularExpressionMatch match = pattern.match(uid);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString fromIcal(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

Day DayContent::canonical(const Day& day)
{
    Day out;
    out.date = day.date;
    // libical reads a text without the blanks around it.
    out.note = day.note.trimmed();
    out.holiday = day.holiday;
    out.alarmOn = day.alarmOn;
    if (day.alarmOn) {
        const QTime time = day.alarmTime.value_or(QTime(0, 0));
        out.alarmTime = QTime(time.hour(), time.minute());
    }
    out.colour = day.colour.value_or(DayColours::kNeutral);
    return out;
}

bool DayContent::isEvent(const Day& day)
{
    return IcsExporter::isExported(day);
}

QByteArray DayContent::body(const Day& day)
{
    try {
        return IcsExporter::render({day}, {}, {});
    } catch (const IcsError& error) {
        throw SyncError(QStringLiteral("No se ha podido preparar el evento del %1: %2")
                            .arg(day.date.toString(QStringLiteral("dd/MM/yyyy")), error.message()));
    }
}

QString DayContent::fileName(const QDate& date)
{
    return QStringLiteral("dia-%1.ics").arg(date.toString(QStringLiteral("yyyyMMdd")));
}

DayContent::Read DayContent::read(const QByteArray& body, const QString& where)
{
    icalerror_set_errors_are_fatal(0);
    const IcalComponentPtr root(icalparser_parse_string(body.constData()));
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        throw SyncError(QStringLiteral("«%1» no es un evento de calendario legible.").arg(where));
    icalcomponent* event = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
    Read read;
    if (!event)
        return read; // a task or a journal entry: not a day's
    const std::optional<QDate> own = ownDate(fromIcal(icalcomponent_get_uid(event)));
    if (own) {
        read.ours = true;
        Day day;
        day.date = *own;
        // The importer's own reading of the export's event: the two never drift apart.
        ImportSummary summary;
        ImportOptions options;
        options.everyEventIsHoliday = false;
        try {
            for (const EventDay& brought : IcsReader::read(body, where, options, summary)) {
                // Its day is where it starts: another program that moved it moved the day, and
                // the UID is only its name.
                day.date = brought.date;
                day.note = brought.text;
                day.holiday = brought.holiday;
                day.colour = brought.colour;
                day.alarmOn = brought.alarm.has_value();
                day.alarmTime = brought.alarm;
                break;
            }
        } catch (const IcsError& error) {
            throw SyncError(error.message());
        }
        read.day = canonical(day);
        return read;
    }
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start))
        return read;
    // Repetitions from the year the event starts (or this year) through the next.
    const ImportOptions options;
    int steps = EventDates::kMaxSteps;
    const EventDates::Result dates =
        EventDates::of(event,
                       {options.firstDay(EventDates::localDate(start, options.localZone)),
                        options.lastDay(), false, options.localZone},
                       {}, steps);
    read.dates = dates.dates;
    read.recurring = EventDates::isRecurring(event);
    read.text = ForeignEvent::text(event);
    read.holiday = ForeignEvent::holiday(event);
    return read;
}
