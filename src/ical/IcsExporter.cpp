#include "ical/IcsExporter.h"

#include "ical/IcalPtr.h"
#include "ical/IcsError.h"
#include "ical/IcsNames.h"
#include "store/CalendarStore.h"
#include "store/sqlite/HeldFiles.h"
#include "store/sqlite/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <limits>

namespace {

QString shown(const QString& file)
{
    return QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
}

[[noreturn]] void failed(const QString& what)
{
    throw IcsError(QStringLiteral("No se ha podido preparar el archivo iCalendar: %1").arg(what));
}

void add(icalcomponent* component, icalproperty* property)
{
    if (!property)
        failed(QStringLiteral("libical no ha creado una propiedad"));
    icalcomponent_add_property(component, property);
}

icalproperty* xProperty(const char* name, const QString& value)
{
    icalproperty* property = icalproperty_new_x(value.toUtf8().constData());
    if (property)
        icalproperty_set_x_name(property, name);
    return property;
}

// A property with a value read from its iCalendar text: libical's own constructors refuse
// years after 3000, and the calendar goes to 9999.
icalproperty* valued(icalproperty_kind kind, icalvalue_kind type, const QString& text)
{
    icalvalue* value = icalvalue_new_from_string(type, text.toLatin1().constData());
    if (!value)
        failed(QStringLiteral("libical no acepta el valor «%1»").arg(text));
    icalproperty* property = icalproperty_new(kind);
    if (!property) {
        icalvalue_free(value);
        failed(QStringLiteral("libical no ha creado una propiedad"));
    }
    icalproperty_set_value(property, value);
    return property;
}

QByteArray text(icalcomponent* component)
{
    const IcalTextPtr text(icalcomponent_as_ical_string_r(component));
    if (!text)
        failed(QStringLiteral("libical no ha escrito un componente"));
    return QByteArray(text.get());
}

// The same, added to the end of out, without a copy of its own.
void append(QByteArray& out, icalcomponent* component)
{
    const IcalTextPtr text(icalcomponent_as_ical_string_r(component));
    if (!text)
        failed(QStringLiteral("libical no ha escrito un componente"));
    out.append(text.get());
}

// The day's date as iCalendar writes it, "yyyymmdd": made for every day written, so without
// QString's formatting.
struct CompactDate
{
    explicit CompactDate(const QDate& date)
    {
        std::snprintf(text, sizeof text, "%04d%02d%02d", date.year(), date.month(), date.day());
    }
    char text[16];
};

// A date libical's own constructors take (years up to 3000); later ones are read from text.
bool takenByLibical(const QDate& date)
{
    return date.year() >= 1 && date.year() <= 3000;
}

icaltimetype midnightUtc(const QDate& date)
{
    icaltimetype time = icaltime_null_time();
    time.year = date.year();
    time.month = date.month();
    time.day = date.day();
    time.zone = icaltimezone_get_utc_timezone();
    return time;
}

icaltimetype dateOnly(const QDate& date)
{
    icaltimetype time = icaltime_null_date();
    time.year = date.year();
    time.month = date.month();
    time.day = date.day();
    return time;
}

// A note of blanks only is no note to other calendars: libical itself reads it as none.
bool isBlank(const QString& note)
{
    return note.trimmed().isEmpty();
}

// The note's first line with something on it: what calendars that show one line show.
QString firstLine(const QString& note)
{
    if (!note.contains(u'\n'))
        return note.trimmed();
    for (const QString& line : note.split(u'\n')) {
        const QString text = line.trimmed();
        if (!text.isEmpty())
            return text;
    }
    return {};
}

void appendEvent(QByteArray& out, const Day& day)
{
    const IcalComponentPtr event(icalcomponent_new_vevent());
    if (!event)
        failed(QStringLiteral("libical no ha creado un evento"));
    icalcomponent* e = event.get();
    if (takenByLibical(day.date)) {
        const CompactDate date(day.date);
        char uid[32];
        std::snprintf(uid, sizeof uid, "dia-%s@tarvelo", date.text);
        add(e, icalproperty_new_uid(uid));
        add(e, icalproperty_new_dtstamp(midnightUtc(day.date)));
        add(e, icalproperty_new_dtstart(dateOnly(day.date)));
    } else {
        add(e, icalproperty_new_uid(IcsNames::dayUid(day.date).toLatin1().constData()));
        add(e, valued(ICAL_DTSTAMP_PROPERTY, ICAL_DATETIME_VALUE, IcsNames::dayStamp(day.date)));
        add(e, valued(ICAL_DTSTART_PROPERTY, ICAL_DATE_VALUE, IcsNames::dateValue(day.date)));
    }
    const bool blank = isBlank(day.note);
    // One line in SUMMARY (a line break there makes some clients skip the event), the whole
    // note in DESCRIPTION.
    const QString summary =
        blank ? IcsNames::standIn(day.holiday, day.colour, day.alarmOn) : firstLine(day.note);
    add(e, icalproperty_new_summary(summary.toUtf8().constData()));
    if (!blank && day.note.contains(u'\n'))
        add(e, icalproperty_new_description(day.note.toUtf8().constData()));
    if (day.holiday)
        add(e, icalproperty_new_categories(IcsNames::kHoliday));
    const bool coloured = day.colour && *day.colour != DayColours::kNeutral;
    if (coloured) {
        const QString name = DayColours::name(*day.colour);
        add(e, icalproperty_new_categories(name.toLatin1().constData()));
        add(e, icalproperty_new_color(IcsNames::cssName(*day.colour).toLatin1().constData()));
        add(e, xProperty(IcsNames::kColour, name));
    }
    if (blank)
        add(e, xProperty(IcsNames::kNoNote, QStringLiteral("TRUE")));
    // The standard properties lose a CR and the blanks around a text: our own keeps the note.
    if (!day.note.isEmpty() && (blank || IcsNames::asReadBack(day.note) != day.note))
        add(e, xProperty(IcsNames::kNote, IcsNames::exactNote(day.note)));
    // A note on a day is no appointment: it leaves the day free for others to book.
    add(e, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    if (day.alarmOn) {
        const QTime time = day.alarmTime.value_or(QTime(0, 0));
        add(e, xProperty(IcsNames::kAlarm, IcsNames::alarmValue(time)));
        // Relative to the start of an all-day event, which is the day's midnight where the
        // user is: the form every client reads for "on the day, at this time".
        icalcomponent* alarm = icalcomponent_new_valarm();
        if (!alarm)
            failed(QStringLiteral("libical no ha creado una alarma"));
        icalcomponent_add_component(e, alarm);
        add(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        add(alarm, icalproperty_new_description(summary.toUtf8().constData()));
        add(alarm,
            icalproperty_new_trigger(icaltriggertype_from_int(time.msecsSinceStartOfDay() / 1000)));
    }
    append(out, e);
}

QByteArray journalOf(const Notita& notita, const QString& uid)
{
    const IcalComponentPtr journal(icalcomponent_new_vjournal());
    if (!journal)
        failed(QStringLiteral("libical no ha creado una entrada de diario"));
    icalcomponent* j = journal.get();
    add(j, icalproperty_new_uid(uid.toUtf8().constData()));
    add(j, valued(ICAL_DTSTAMP_PROPERTY, ICAL_DATETIME_VALUE,
                  QString::fromLatin1(IcsNames::kNotitaStamp)));
    add(j, icalproperty_new_summary(notita.text.section(u'\n', 0, 0).toUtf8().constData()));
    add(j, icalproperty_new_description(notita.text.toUtf8().constData()));
    return text(j);
}

} // namespace

bool IcsExporter::isExported(const Day& day)
{
    return !day.note.isEmpty() || day.holiday || day.alarmOn ||
           (day.colour && *day.colour != DayColours::kNeutral);
}

QByteArray IcsExporter::render(const std::vector<Day>& days, const std::vector<Notita>& notitas,
                               const std::map<qint64, QString>& notitaUids)
{
    icalerror_set_errors_are_fatal(0);
    const IcalComponentPtr calendar(icalcomponent_new_vcalendar());
    if (!calendar)
        failed(QStringLiteral("libical no ha creado el calendario"));
    add(calendar.get(), icalproperty_new_version("2.0"));
    add(calendar.get(), icalproperty_new_prodid(IcsNames::kProductId));
    add(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    // Each entry is written on its own rather than as one tree of every day: the same text,
    // without holding a hundred thousand events in memory at once.
    const QByteArray frame = text(calendar.get());
    const QByteArray end("END:VCALENDAR\r\n");
    if (!frame.endsWith(end))
        failed(QStringLiteral("libical no ha cerrado el calendario"));

    QByteArray out = frame.left(frame.size() - end.size());
    // Some 250 bytes an event: grown once or twice rather than a dozen times.
    out.reserve(out.size() + qsizetype(days.size()) * 256);
    for (const Day& day : days) {
        if (isExported(day))
            appendEvent(out, day);
    }
    for (const Notita& notita : notitas) {
        if (notita.text.trimmed().isEmpty())
            continue;
        const auto uid = notitaUids.find(notita.row);
        if (uid == notitaUids.end())
            failed(QStringLiteral("la notita %1 no tiene identidad").arg(notita.row));
        out += journalOf(notita, uid->second);
    }
    out += end;
    return out;
}

ExportSummary IcsExporter::exportFile(CalendarStore& store, const QString& file)
{
    return write(gather(store, file));
}

IcsExporter::Content IcsExporter::gather(CalendarStore& store, const QString& file)
{
    Content content;
    content.file = file;
    try {
        DayBook& book = store.days();
        const std::optional<QDate> first = book.first();
        const std::optional<QDate> last = book.last();
        if (first && last)
            content.days = book.between(*first, *last);
        content.notitas = store.notitas().first(std::numeric_limits<int>::max());
        if (!content.notitas.empty())
            content.notitaUids = store.notitas().identities();
    } catch (const StoreError& error) {
        throw IcsError(QStringLiteral("No se ha exportado a «%1»: el almacén ha fallado: %2")
                           .arg(shown(file), error.message()));
    }
    return content;
}

ExportSummary IcsExporter::write(const Content& content)
{
    ExportSummary summary;
    summary.file = shown(content.file);
    QByteArray bytes;
    try {
        bytes = render(content.days, content.notitas, content.notitaUids);
    } catch (const IcsError& error) {
        throw IcsError(
            QStringLiteral("No se ha exportado a «%1»: %2").arg(summary.file, error.message()));
    }
    for (const Day& day : content.days)
        summary.days += IcsExporter::isExported(day) ? 1 : 0;
    for (const Notita& notita : content.notitas)
        summary.notitas += notita.text.trimmed().isEmpty() ? 0 : 1;

    // The save replaces the file by its name: never the open store nor a file SQLite keeps
    // beside it.
    if (HeldFiles::isHeld(content.file)) {
        throw IcsError(QStringLiteral("No se ha exportado a «%1»: es el archivo de datos que "
                                      "Tarvelo tiene abierto, o uno de los que lo acompañan. "
                                      "Elija otro nombre.")
                           .arg(summary.file));
    }
    QSaveFile out(content.file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        throw IcsError(
            QStringLiteral("No se puede escribir «%1»: %2").arg(summary.file, out.errorString()));
    }
    return summary;
}
