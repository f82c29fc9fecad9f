#include "ical/EventDates.h"

#include "ical/IcalPtr.h"

#include <QDateTime>

#include <algorithm>

#include <set>

namespace {

QDate naiveDate(const icaltimetype& time)
{
    return QDate(time.year, time.month, time.day);
}

// One instance's start, as RECURRENCE-ID and EXDATE name it: a date alone, a moment in UTC,
// or a floating wall time.
QString instantKey(icaltimetype time)
{
    if (time.is_date)
        return QStringLiteral("D") + naiveDate(time).toString(Qt::ISODate);
    if (time.zone && !icaltime_is_utc(time))
        time = icaltime_convert_to_zone(time, icaltimezone_get_utc_timezone());
    const QString wall = QStringLiteral("%1T%2:%3:%4")
                             .arg(naiveDate(time).toString(Qt::ISODate))
                             .arg(time.hour, 2, 10, QLatin1Char('0'))
                             .arg(time.minute, 2, 10, QLatin1Char('0'))
                             .arg(time.second, 2, 10, QLatin1Char('0'));
    return (icaltime_is_utc(time) ? QStringLiteral("U") : QStringLiteral("F")) + wall;
}

// The zone a property's TZID names: the file's own VTIMEZONE first, then the system's.
const icaltimezone* zoneOf(icalproperty* property, icalcomponent* event)
{
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    if (!tzid)
        return nullptr;
    const char* name = icalparameter_get_tzid(tzid);
    if (!name)
        return nullptr;
    for (icalcomponent* c = icalcomponent_get_parent(event); c; c = icalcomponent_get_parent(c)) {
        if (icaltimezone* zone = icalcomponent_get_timezone(c, name))
            return zone;
    }
    return icaltimezone_get_builtin_timezone(name);
}

icaltimetype withZone(icaltimetype time, icalproperty* property, icalcomponent* event)
{
    if (!time.is_date && !icaltime_is_utc(time) && !time.zone)
        time.zone = zoneOf(property, event);
    return time;
}

} // namespace

QDate EventDates::localDate(icaltimetype time, const QTimeZone& zone)
{
    if (time.is_date)
        return naiveDate(time);
    if (time.zone && !icaltime_is_utc(time))
        time = icaltime_convert_to_zone(time, icaltimezone_get_utc_timezone());
    if (!icaltime_is_utc(time))
        return naiveDate(time);
    const QDateTime utc(naiveDate(time), QTime(time.hour, time.minute, std::min(time.second, 59)),
                        QTimeZone::utc());
    return utc.isValid() ? utc.toTimeZone(zone).date() : QDate();
}

EventDates::Result EventDates::of(icalcomponent* event, const ImportOptions& options,
                                  const std::vector<icaltimetype>& replaced, int& stepsLeft)
{
    Result result;
    if (!icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)) {
        result.refusal = QStringLiteral("no tiene fecha de inicio (DTSTART)");
        return result;
    }
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start) || !naiveDate(start).isValid()) {
        result.refusal = QStringLiteral("su fecha de inicio (DTSTART) no es un día del calendario");
        return result;
    }

    icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    icalproperty* rdate = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
    if (!rrule && !rdate) {
        const QDate day = localDate(start, options.localZone);
        if (!day.isValid())
            result.refusal =
                QStringLiteral("su fecha de inicio (DTSTART) no es un día del calendario");
        else if (options.hasRange() && (day < options.from || day > options.to))
            result.outsideRange = true;
        else
            result.dates.push_back(day);
        return result;
    }

    const QDate first = options.firstDay();
    const QDate last = options.lastDay();
    std::set<QString> excluded;
    for (const icaltimetype& instance : replaced)
        excluded.insert(instantKey(instance));
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        excluded.insert(instantKey(withZone(icalproperty_get_exdate(p), p, event)));
    }

    std::set<QDate> days;
    const auto consider = [&](const icaltimetype& instance) {
        if (excluded.count(instantKey(instance)) ||
            excluded.count(QStringLiteral("D") + naiveDate(instance).toString(Qt::ISODate)))
            return;
        const QDate day = localDate(instance, options.localZone);
        if (day.isValid() && day >= first && day <= last)
            days.insert(day);
    };

    // The start is always the first instance, whether or not the rule would give it.
    consider(start);
    for (icalproperty* p = rrule; p;
         p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype rule = icalproperty_get_rrule(p);
        if (rule.freq == ICAL_NO_RECURRENCE)
            continue;
        IcalIteratorPtr iterator(icalrecur_iterator_new(rule, start));
        if (!iterator) {
            result.refusal = QStringLiteral("su regla de repetición (RRULE) no se puede seguir");
            return result;
        }
        // Without a count, the rule can start a day before the first day wanted (a time in
        // another zone may fall on the day before) instead of at a start centuries earlier.
        const QDate jumpTo = first.addDays(-1);
        if (rule.count == 0 && naiveDate(start) < jumpTo) {
            icaltimetype jump = start;
            jump.year = jumpTo.year();
            jump.month = jumpTo.month();
            jump.day = jumpTo.day();
            if (!icalrecur_iterator_set_start(iterator.get(), jump))
                iterator.reset(icalrecur_iterator_new(rule, start));
        }
        const QDate stop = last.addDays(1);
        int steps = 0;
        for (icaltimetype instance = icalrecur_iterator_next(iterator.get());
             !icaltime_is_null_time(instance); instance = icalrecur_iterator_next(iterator.get())) {
            if (--stepsLeft < 0) {
                result.refusal = QStringLiteral("el archivo pide más de %1 repeticiones en total "
                                                "y no se siguen más")
                                     .arg(kFileSteps);
                return result;
            }
            if (++steps > kMaxSteps) {
                result.refusal = QStringLiteral("se repite más de %1 veces antes del %2")
                                     .arg(kMaxSteps)
                                     .arg(last.toString(QStringLiteral("dd/MM/yyyy")));
                return result;
            }
            instance.zone = start.zone;
            const QDate day = naiveDate(instance);
            if (!day.isValid() || day > stop)
                break;
            consider(instance);
        }
    }
    for (icalproperty* p = rdate; p;
         p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(p);
        const icaltimetype instance =
            icaltime_is_null_time(value.time) ? value.period.start : value.time;
        if (!icaltime_is_null_time(instance))
            consider(withZone(instance, p, event));
    }

    result.dates.assign(days.begin(), days.end());
    result.outsideRange = result.dates.empty();
    return result;
}
