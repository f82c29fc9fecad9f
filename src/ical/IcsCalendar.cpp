#include "ical/IcsCalendar.h"

#include "ical/IcsError.h"
#include "ical/IcsLines.h"

#include <cctype>
#include <optional>

namespace {

constexpr qsizetype kPolled = 4096; // lines between two looks at the cancel flag

[[noreturn]] void refuse(const QString& file, const QString& cause)
{
    throw IcsError(QStringLiteral("No se puede importar «%1»: %2").arg(file, cause));
}

bool startsWith(QByteArrayView line, QByteArrayView word)
{
    return line.size() >= word.size() &&
           qstrnicmp(line.data(), word.data(), size_t(word.size())) == 0;
}

// A component's name as BEGIN and END give it, in capitals.
QByteArray componentName(QByteArrayView line, qsizetype after)
{
    return line.sliced(after).trimmed().toByteArray().toUpper();
}

QString kindName(icalcomponent* component)
{
    return QString::fromLatin1(icalcomponent_kind_to_string(icalcomponent_isa(component)));
}

// The property a content line names, in capitals; empty when it names none.
QString propertyOf(QByteArrayView line)
{
    qsizetype end = 0;
    while (end < line.size() && (std::isalnum(uchar(line[end])) || line[end] == '-'))
        ++end;
    if (end == 0 || end == line.size() || (line[end] != ':' && line[end] != ';'))
        return {};
    return QString::fromLatin1(line.first(end)).toUpper();
}

// libical's own remark on an empty text ("LOCATION:"): valid iCalendar, and nothing is lost.
bool isFault(icalproperty* error)
{
    const char* text = icalproperty_get_xlicerror(error);
    return !text || qstrncmp(text, "No value for ", 13) != 0;
}

int faultsOf(icalcomponent* component)
{
    int faults = 0;
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY))
        faults += isFault(p) ? 1 : 0;
    return faults;
}

QString reasonOf(icalproperty* error)
{
    icalparameter* type = icalproperty_get_first_parameter(error, ICAL_XLICERRORTYPE_PARAMETER);
    switch (type ? icalparameter_get_xlicerrortype(type) : ICAL_XLICERRORTYPE_NONE) {
    case ICAL_XLICERRORTYPE_COMPONENTPARSEERROR:
        return QStringLiteral("no es ni propiedad ni componente");
    case ICAL_XLICERRORTYPE_PROPERTYPARSEERROR:
        return QStringLiteral("no se entiende como propiedad");
    case ICAL_XLICERRORTYPE_PARAMETERNAMEPARSEERROR:
    case ICAL_XLICERRORTYPE_PARAMETERVALUEPARSEERROR:
        return QStringLiteral("tiene un parámetro que no se puede leer");
    case ICAL_XLICERRORTYPE_VALUEPARSEERROR:
        return QStringLiteral("su valor no se puede leer");
    default:
        return QStringLiteral("no se puede leer");
    }
}

// What libical finds wrong in one line on its own, inside a component of the kind given (or in
// that component alone, without a line): only the lines of a component libical found at fault
// are asked.
std::vector<QString> faultsAlone(const QByteArray& kind, const IcsLines::Line* line)
{
    IcalParserPtr parser(icalparser_new());
    const bool inCalendar = kind == "VCALENDAR";
    std::vector<QByteArray> lines{"BEGIN:VCALENDAR"};
    if (!inCalendar)
        lines.push_back("BEGIN:" + kind);
    if (line)
        lines.emplace_back(line->text, line->size);
    if (!inCalendar)
        lines.push_back("END:" + kind);
    lines.push_back("END:VCALENDAR");
    IcalComponentPtr root;
    for (QByteArray& text : lines) {
        if (icalcomponent* done = icalparser_add_line(parser.get(), text.data()))
            root.reset(done);
    }
    if (!root)
        return {QStringLiteral("no se puede leer")};
    icalcomponent* inner =
        inCalendar ? root.get() : icalcomponent_get_first_component(root.get(), ICAL_ANY_COMPONENT);
    std::vector<QString> faults;
    if (!inner)
        return faults;
    for (icalproperty* p = icalcomponent_get_first_property(inner, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(inner, ICAL_XLICERROR_PROPERTY)) {
        if (isFault(p))
            faults.push_back(reasonOf(p));
    }
    return faults;
}

int countOf(const short* values, int size)
{
    int n = 0;
    while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return n;
}

// Why following a time zone would cost without bound (libical expands every change of its
// observances up to the time converted), or nothing: real zones change a few times a year.
std::optional<QString> zoneCost(icalcomponent* zone)
{
    for (icalcomponent* rule = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT); rule;
         rule = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
        int rdates = 0;
        for (icalproperty* p = icalcomponent_get_first_property(rule, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(rule, ICAL_RDATE_PROPERTY))
            ++rdates;
        if (rdates > 1000)
            return QStringLiteral("da más de mil fechas de cambio de hora");
        for (icalproperty* p = icalcomponent_get_first_property(rule, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(rule, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype r = icalproperty_get_rrule(p);
            const bool often = r.freq != ICAL_YEARLY_RECURRENCE &&
                               r.freq != ICAL_MONTHLY_RECURRENCE && r.freq != ICAL_NO_RECURRENCE;
            if (often || countOf(r.by_second, ICAL_BY_SECOND_SIZE) > 1 ||
                countOf(r.by_minute, ICAL_BY_MINUTE_SIZE) > 1 ||
                countOf(r.by_hour, ICAL_BY_HOUR_SIZE) > 1 ||
                countOf(r.by_day, ICAL_BY_DAY_SIZE) > 7 ||
                countOf(r.by_month_day, ICAL_BY_MONTHDAY_SIZE) > 7 ||
                countOf(r.by_year_day, ICAL_BY_YEARDAY_SIZE) > 7) {
                const char* freq = icalrecur_freq_to_string(r.freq);
                return QStringLiteral("cambia la hora más a menudo que una vez al mes (FREQ=%1)")
                    .arg(QString::fromLatin1(freq ? freq : "?"));
            }
        }
    }
    return std::nullopt;
}

// Where each component's lines are: from its BEGIN to its END, in the order of the BEGINs.
struct Span
{
    qsizetype begin;
    qsizetype end;
};

std::vector<Span> checkNesting(const std::vector<IcsLines::Line>& lines, const QString& file)
{
    const QByteArrayView begin("BEGIN:VCALENDAR");
    const QByteArrayView first = lines.empty() ? QByteArrayView() : lines.front().view().trimmed();
    if (first.size() != begin.size() || !startsWith(first, begin))
        refuse(file, QStringLiteral("no es un archivo iCalendar (no empieza por BEGIN:VCALENDAR)"));
    std::vector<Span> spans;
    std::vector<std::pair<QByteArray, std::size_t>> open; // name, its span
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QByteArrayView line = lines[i].view();
        const qsizetype number = lines[i].number;
        if (startsWith(line, "BEGIN:")) {
            if (open.size() >= std::size_t(IcsCalendar::kMaxDepth)) {
                refuse(file, QStringLiteral("está dañado: en la línea %1 se anidan más de %2 "
                                            "componentes")
                                 .arg(number)
                                 .arg(IcsCalendar::kMaxDepth));
            }
            open.emplace_back(componentName(line, 6), spans.size());
            spans.push_back({i, -1});
        } else if (startsWith(line, "END:")) {
            const QString shown = IcsLines::quoted(line);
            if (open.empty()) {
                refuse(file,
                       QStringLiteral("está dañado: la línea %1 cierra %2 sin haberlo abierto")
                           .arg(number)
                           .arg(shown));
            }
            if (open.back().first != componentName(line, 4)) {
                refuse(file, QStringLiteral("está dañado: la línea %1 (%2) no cierra BEGIN:%3")
                                 .arg(number)
                                 .arg(shown, IcsLines::quoted(open.back().first)));
            }
            spans[open.back().second].end = i;
            open.pop_back();
        } else if (open.empty()) {
            refuse(file, QStringLiteral("está dañado: la línea %1 está fuera de todo componente: "
                                        "«%2»")
                             .arg(number)
                             .arg(IcsLines::quoted(line.trimmed())));
        }
    }
    if (!open.empty())
        refuse(file, QStringLiteral("está incompleto: falta END:%1")
                         .arg(IcsLines::quoted(open.back().first)));
    return spans;
}

} // namespace

const std::vector<IcsCalendar::SkippedLine>& IcsCalendar::skippedIn(icalcomponent* event) const
{
    static const std::vector<SkippedLine> none;
    const auto found = skipped_.find(event);
    return found == skipped_.end() ? none : found->second;
}

IcsCalendar IcsCalendar::parse(const QByteArray& text, const QString& file,
                               const std::atomic<bool>* cancel)
{
    icalerror_set_errors_are_fatal(0);
    IcsCalendar calendar;
    calendar.file_ = file;
    const IcsLines read(text, file, cancel);
    const std::vector<IcsLines::Line>& lines = read.lines();
    const std::vector<Span> spans = checkNesting(lines, file);

    IcalParserPtr parser(icalparser_new());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (cancel && i % kPolled == 0 && cancel->load(std::memory_order_relaxed))
            throw IcsError::cancelled(file);
        icalcomponent* done = icalparser_add_line(parser.get(), lines[i].text);
        if (!done)
            continue;
        IcalComponentPtr owned(done);
        if (icalcomponent_isa(done) != ICAL_VCALENDAR_COMPONENT) {
            refuse(file, QStringLiteral("tiene un %1 fuera de todo VCALENDAR (línea %2)")
                             .arg(kindName(done))
                             .arg(lines[i].number));
        }
        calendar.calendars_.push_back(std::move(owned));
    }
    IcalComponentPtr(icalparser_clean(parser.get()));
    if (calendar.calendars_.empty())
        refuse(file, QStringLiteral("no es un archivo iCalendar (no tiene ningún VCALENDAR)"));

    // Every component in the order of its BEGIN, beside the lines it spans; its event, if any.
    struct Visit
    {
        icalcomponent* component;
        icalcomponent* event;
    };
    std::vector<Visit> stack;
    for (auto it = calendar.calendars_.rbegin(); it != calendar.calendars_.rend(); ++it)
        stack.push_back({it->get(), nullptr});
    std::vector<icalcomponent*> costlyZones;
    std::vector<icalcomponent*> children; // of the component visited, kept for its capacity
    std::size_t index = 0;
    while (!stack.empty()) {
        const Visit visit = stack.back();
        stack.pop_back();
        icalcomponent* c = visit.component;
        const icalcomponent_kind kind = icalcomponent_isa(c);
        icalcomponent* event = kind == ICAL_VEVENT_COMPONENT ? c : visit.event;
        const Span* span = index < spans.size() ? &spans[index] : nullptr;
        ++index;
        // Made only for an event with something passed over: most have nothing.
        const auto skip = [&](SkippedLine line) {
            (event ? calendar.skipped_[event] : calendar.elsewhere_).push_back(std::move(line));
        };

        if (kind == ICAL_VTIMEZONE_COMPONENT) {
            if (const std::optional<QString> cost = zoneCost(c)) {
                icalproperty* id = icalcomponent_get_first_property(c, ICAL_TZID_PROPERTY);
                const char* tzid = id ? icalproperty_get_tzid(id) : nullptr;
                skip({span ? lines[span->begin].number : 0,
                      IcsLines::quoted(tzid ? QByteArrayView(tzid) : QByteArrayView("VTIMEZONE")),
                      QStringLiteral("VTIMEZONE"),
                      QStringLiteral("esta zona horaria se pasa por alto: %1").arg(*cost)});
                costlyZones.push_back(c);
            }
        }

        int faults = faultsOf(c);
        if (faults > 0 && span) {
            const IcsLines::Line& begin = lines[span->begin];
            const QByteArray name = componentName(begin.view(), 6);
            // What the component's own BEGIN brings (a name libical does not know).
            const std::size_t own = faultsAlone(name, nullptr).size();
            if (own > 0) {
                skip({begin.number, IcsLines::quoted(begin.view()), QString(),
                      QStringLiteral("no es un componente que se conozca")});
                faults -= int(own);
            }
            int depth = 0;
            for (qsizetype i = span->begin + 1; i < span->end && faults > 0; ++i) {
                const QByteArrayView line = lines[i].view();
                if (startsWith(line, "BEGIN:")) {
                    ++depth;
                } else if (startsWith(line, "END:")) {
                    --depth;
                } else if (depth == 0) {
                    const std::vector<QString> found = faultsAlone(name, &lines[i]);
                    if (found.size() > own) {
                        skip({lines[i].number, IcsLines::quoted(line), propertyOf(line),
                              found.back()});
                        faults -= int(found.size() - own);
                    }
                }
            }
        }
        // What libical found wrong but no single line shows on its own.
        for (; faults > 0; --faults) {
            skip({span ? lines[span->begin].number : 0, kindName(c), QString(),
                  QStringLiteral("tiene una línea que no se puede leer")});
        }

        children.clear();
        for (icalcomponent* child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
             child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            children.push_back(child);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, event});
    }
    for (icalcomponent* zone : costlyZones) {
        icalcomponent_remove_component(icalcomponent_get_parent(zone), zone);
        icalcomponent_free(zone);
    }
    return calendar;
}
