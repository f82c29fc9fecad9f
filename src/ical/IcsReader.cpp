#include "ical/IcsReader.h"

#include "ical/EventDates.h"
#include "ical/IcalPtr.h"
#include "ical/IcsError.h"
#include "ical/IcsNames.h"

#include <QStringDecoder>

#include <map>

namespace {

[[noreturn]] void refuse(const QString& file, const QString& cause)
{
    throw IcsError(QStringLiteral("No se puede importar «%1»: %2").arg(file, cause));
}

QString fromIcal(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// Where the text first breaks the rules of a text file, or empty.
QString textFault(const QByteArray& text)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0) {
        return QStringLiteral("no es un archivo de texto (tiene un byte nulo en la línea %1)")
            .arg(text.left(nul).count('\n') + 1);
    }
    QStringDecoder whole(QStringDecoder::Utf8);
    // The decoder works only when its result is taken.
    const QString decoded = whole.decode(text);
    if (!whole.hasError())
        return {};
    // Only a faulty text is decoded again, line by line, to name the line.
    qsizetype lineStart = 0;
    for (qsizetype line = 1;; ++line) {
        qsizetype end = text.indexOf('\n', lineStart);
        if (end < 0)
            end = text.size();
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString decodedLine =
            decoder.decode(QByteArrayView(text).sliced(lineStart, end - lineStart));
        if (decoder.hasError() || end == text.size()) {
            return QStringLiteral("el texto no está en UTF-8, como pide iCalendar (línea %1)")
                .arg(line);
        }
        lineStart = end + 1;
    }
}

// The text begins, after blank space, with the line BEGIN:VCALENDAR in any case.
bool beginsAsCalendar(const QByteArray& text)
{
    qsizetype at = 0;
    while (at < text.size() && QChar::isSpace(uchar(text[at])))
        ++at;
    const QByteArray begin("BEGIN:VCALENDAR");
    if (text.size() - at < begin.size() ||
        qstrnicmp(text.constData() + at, begin.constData(), size_t(begin.size())) != 0)
        return false;
    // The whole line: libical would take "BEGIN:VCALENDARIO" for a calendar too.
    const qsizetype after = at + begin.size();
    return after == text.size() || text[after] == '\r' || text[after] == '\n';
}

// Where the nesting of BEGIN and END lines breaks, or a line stands outside every component,
// or empty. libical passes over such lines without a word, dropping what they hold.
QString structureFault(const QByteArray& text)
{
    // Only the BEGIN and END lines are copied: the others, most of the file, are only looked at.
    const auto startsWith = [](QByteArrayView line, QByteArrayView word) {
        return line.size() >= word.size() &&
               qstrnicmp(line.data(), word.data(), size_t(word.size())) == 0;
    };
    std::vector<QByteArray> open;
    qsizetype lineNumber = 0;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        ++lineNumber;
        // A line that begins with a blank goes on the line before it (folding).
        const bool continued = start < end && (text[start] == ' ' || text[start] == '\t');
        const QByteArrayView line = QByteArrayView(text).sliced(start, end - start).trimmed();
        start = end + 1;
        if (continued || line.isEmpty())
            continue;
        if (startsWith(line, "BEGIN:")) {
            open.push_back(line.sliced(6).toByteArray().toUpper());
        } else if (startsWith(line, "END:")) {
            const QString shown = QString::fromUtf8(line);
            if (open.empty()) {
                return QStringLiteral("está dañado: la línea %1 cierra %2 sin haberlo abierto")
                    .arg(lineNumber)
                    .arg(shown);
            }
            if (open.back() != line.sliced(4).toByteArray().toUpper()) {
                return QStringLiteral("está dañado: la línea %1 (%2) no cierra BEGIN:%3")
                    .arg(lineNumber)
                    .arg(shown, QString::fromUtf8(open.back()));
            }
            open.pop_back();
        } else if (open.empty()) {
            return QStringLiteral("está dañado: la línea %1 está fuera de todo componente: «%2»")
                .arg(lineNumber)
                .arg(QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 60))));
        }
    }
    if (!open.empty())
        return QStringLiteral("está incompleto: falta END:%1").arg(QString::fromUtf8(open.back()));
    return {};
}

// libical's names for its faults, in the user's words.
QString faultKind(icalproperty* error)
{
    icalparameter* type = icalproperty_get_first_parameter(error, ICAL_XLICERRORTYPE_PARAMETER);
    switch (type ? icalparameter_get_xlicerrortype(type) : ICAL_XLICERRORTYPE_NONE) {
    case ICAL_XLICERRORTYPE_COMPONENTPARSEERROR:
        return QStringLiteral("una línea que no es ni propiedad ni componente");
    case ICAL_XLICERRORTYPE_PROPERTYPARSEERROR:
        return QStringLiteral("una propiedad ilegible");
    case ICAL_XLICERRORTYPE_PARAMETERNAMEPARSEERROR:
    case ICAL_XLICERRORTYPE_PARAMETERVALUEPARSEERROR:
        return QStringLiteral("un parámetro ilegible");
    case ICAL_XLICERRORTYPE_VALUEPARSEERROR:
        return QStringLiteral("un valor ilegible");
    default:
        return QStringLiteral("un defecto");
    }
}

// The first fault libical found anywhere in the tree, as "a fault in a VEVENT (detail)".
QString treeFault(icalcomponent* component)
{
    for (icalproperty* error = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY);
         error; error = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        const QString detail = fromIcal(icalproperty_get_xlicerror(error)).trimmed();
        // An empty text ("LOCATION:") is valid iCalendar and common; libical only drops it.
        if (detail.startsWith(QLatin1String("No value for ")))
            continue;
        return QStringLiteral("tiene %1 en un %2 (%3)")
            .arg(faultKind(error),
                 fromIcal(icalcomponent_kind_to_string(icalcomponent_isa(component))), detail);
    }
    for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
         child; child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        const QString fault = treeFault(child);
        if (!fault.isEmpty())
            return fault;
    }
    return {};
}

QString xValue(icalcomponent* event, const char* name)
{
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* x = icalproperty_get_x_name(p);
        if (x && qstricmp(x, name) == 0)
            return fromIcal(icalproperty_get_x(p));
    }
    return QString();
}

bool hasX(icalcomponent* event, const char* name)
{
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* x = icalproperty_get_x_name(p);
        if (x && qstricmp(x, name) == 0)
            return true;
    }
    return false;
}

bool inHolidayCategory(icalcomponent* event)
{
    const QString holiday = QString::fromLatin1(IcsNames::kHoliday);
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_CATEGORIES_PROPERTY)) {
        // One property may list several categories.
        for (const QString& category : fromIcal(icalproperty_get_categories(p)).split(u',')) {
            if (category.trimmed().compare(holiday, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

// How the user knows an event: its summary, else its UID (made readable only if it is shown).
QString nameOf(const QString& summary, icalcomponent* event)
{
    if (!summary.trimmed().isEmpty())
        return summary;
    const QString uid = fromIcal(icalcomponent_get_uid(event));
    return uid.trimmed().isEmpty() ? QStringLiteral("sin título") : uid;
}

struct Reading
{
    const ImportOptions& options;
    ImportSummary& summary;
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
            if (!icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
                continue;
            icalproperty* id = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
            icaltimetype instance = icalcomponent_get_recurrenceid(event);
            if (!instance.is_date && !icaltime_is_utc(instance) && !instance.zone) {
                if (icalparameter* tzid = icalproperty_get_first_parameter(id, ICAL_TZID_PARAMETER))
                    instance.zone =
                        icalcomponent_get_timezone(calendar, icalparameter_get_tzid(tzid));
            }
            replaced[fromIcal(icalcomponent_get_uid(event))].push_back(instance);
        }
    }

    void readEvent(icalcomponent* event)
    {
        ++summary.events;
        const QString summaryText = fromIcal(icalcomponent_get_summary(event));
        const QString name = nameOf(summaryText, event);
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
            reject(name, QDate(), QStringLiteral("está cancelado (STATUS:CANCELLED)"));
            return;
        }

        EventDay brought;
        brought.name = name;
        brought.text = hasX(event, IcsNames::kNoNote) ? QString() : summaryText;
        brought.holiday = options.everyEventIsHoliday || inHolidayCategory(event);
        if (hasX(event, IcsNames::kColour)) {
            const QString colour = xValue(event, IcsNames::kColour);
            brought.colour = DayColours::fromName(colour);
            if (!brought.colour) {
                reject(name, QDate(),
                       QStringLiteral("su color (%1) no es de Tarvelo: «%2»")
                           .arg(QString::fromLatin1(IcsNames::kColour), colour));
                return;
            }
        }
        if (hasX(event, IcsNames::kAlarm)) {
            const QString alarm = xValue(event, IcsNames::kAlarm);
            const QTime time = QTime::fromString(alarm, QStringLiteral("HH:mm"));
            if (!time.isValid()) {
                reject(name, QDate(),
                       QStringLiteral("su hora de alarma (%1) no es HH:MM: «%2»")
                           .arg(QString::fromLatin1(IcsNames::kAlarm), alarm));
                return;
            }
            brought.alarm = time;
        }
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
            event, options, found == replaced.end() || replacement ? none : found->second,
            stepsLeft);
        if (!dates.refusal.isEmpty()) {
            reject(name, QDate(), dates.refusal);
            return;
        }
        if (dates.outsideRange) {
            ++summary.outsideRange;
            return;
        }
        for (const QDate& date : dates.dates) {
            brought.date = date;
            days.push_back(brought);
        }
    }

    void readCalendar(icalcomponent* calendar)
    {
        collectReplacements(calendar);
        for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
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

std::vector<EventDay> IcsReader::read(const QByteArray& text, const QString& file,
                                      const ImportOptions& options, ImportSummary& summary)
{
    icalerror_set_errors_are_fatal(0);
    QByteArray body = text;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    const QString fault = textFault(body);
    if (!fault.isEmpty())
        refuse(file, fault);
    if (!beginsAsCalendar(body))
        refuse(file, QStringLiteral("no es un archivo iCalendar (no empieza por BEGIN:VCALENDAR)"));

    const QString broken = structureFault(body);
    if (!broken.isEmpty())
        refuse(file, broken);

    IcalComponentPtr root(icalparser_parse_string(body.constData()));
    if (!root) {
        refuse(file, QStringLiteral("está incompleto o dañado: algún componente no se cierra "
                                    "(falta su END:)"));
    }
    std::vector<icalcomponent*> calendars;
    const icalcomponent_kind kind = icalcomponent_isa(root.get());
    if (kind == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else if (kind != ICAL_XROOT_COMPONENT) {
        // Whatever else libical may make of a text that begins as a calendar.
        refuse(file, QStringLiteral("no es un archivo iCalendar (no empieza por BEGIN:VCALENDAR)"));
    } else {
        // Several calendars one after another: libical gathers them under a root of its own.
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_ANY_COMPONENT);
             c; c = icalcomponent_get_next_component(root.get(), ICAL_ANY_COMPONENT)) {
            if (icalcomponent_isa(c) != ICAL_VCALENDAR_COMPONENT) {
                refuse(file,
                       QStringLiteral("tiene un %1 fuera de todo VCALENDAR")
                           .arg(fromIcal(icalcomponent_kind_to_string(icalcomponent_isa(c)))));
            }
            calendars.push_back(c);
        }
    }
    const QString damage = treeFault(root.get());
    if (!damage.isEmpty())
        refuse(file, QStringLiteral("está dañado: ") + damage);

    summary.from = options.firstDay();
    summary.to = options.lastDay();
    Reading reading{options, summary, {}, {}, EventDates::kFileSteps};
    for (icalcomponent* calendar : calendars)
        reading.readCalendar(calendar);
    return std::move(reading.days);
}
