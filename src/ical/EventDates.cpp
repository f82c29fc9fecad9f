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

icaltimetype inUtc(icaltimetype time)
{
    if (!time.is_date && time.zone && !icaltime_is_utc(time))
        time = icaltime_convert_to_zone(time, icaltimezone_get_utc_timezone());
    return time;
}

// One instance's start, as RECURRENCE-ID and EXDATE name it: a date alone, a moment in UTC,
// or a floating wall time.
QString instantKey(icaltimetype time)
{
    if (time.is_date)
        return QStringLiteral("D") + naiveDate(time).toString(Qt::ISODate);
    time = inUtc(time);
    const QString wall = QStringLiteral("%1T%2:%3:%4")
                             .arg(naiveDate(time).toString(Qt::ISODate))
                             .arg(time.hour, 2, 10, QLatin1Char('0'))
                             .arg(time.minute, 2, 10, QLatin1Char('0'))
                             .arg(time.second, 2, 10, QLatin1Char('0'));
    return (icaltime_is_utc(time) ? QStringLiteral("U") : QStringLiteral("F")) + wall;
}

// The moment a time stands for; a floating time is the user's own wall clock.
QDateTime moment(icaltimetype time, const QTimeZone& zone)
{
    time = inUtc(time);
    const QTime wall(time.hour, time.minute, std::min(time.second, 59));
    return QDateTime(naiveDate(time), wall, icaltime_is_utc(time) ? QTimeZone::utc() : zone);
}

std::vector<icalproperty*> all(icalcomponent* event, icalproperty_kind kind)
{
    // Gathered before they are used: libical keeps one property iterator per component, and
    // anything that walks the event's properties meanwhile would move it.
    std::vector<icalproperty*> found;
    for (icalproperty* p = icalcomponent_get_first_property(event, kind); p;
         p = icalcomponent_get_next_property(event, kind))
        found.push_back(p);
    return found;
}

// How long each instance lasts: in days for an all-day event, in seconds for a timed one.
struct Length
{
    qint64 days = 1;
    qint64 seconds = 0;
};

Length lengthBetween(const icaltimetype& start, const icaltimetype& end, const QTimeZone& zone)
{
    Length length;
    if (start.is_date) {
        length.days = std::max<qint64>(1, naiveDate(start).daysTo(naiveDate(end)));
    } else {
        const QDateTime from = moment(start, zone);
        const QDateTime to = moment(end, zone);
        length.seconds = from.isValid() && to.isValid() ? std::max<qint64>(0, from.secsTo(to)) : 0;
    }
    return length;
}

Length lengthOf(icalcomponent* event, const icaltimetype& start, const QTimeZone& zone)
{
    if (icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        const icaltimetype value = EventDates::withZone(icalproperty_get_dtend(end), end, event);
        if (!icaltime_is_null_time(value) && naiveDate(value).isValid())
            return lengthBetween(start, value, zone);
    }
    Length length;
    if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const qint64 seconds = icaldurationtype_as_int(icalproperty_get_duration(duration));
        if (start.is_date)
            length.days = std::max<qint64>(1, (seconds + 86399) / 86400);
        else
            length.seconds = std::max<qint64>(0, seconds);
    }
    return length;
}

} // namespace

icaltimetype EventDates::withZone(icaltimetype time, icalproperty* property, icalcomponent* event)
{
    if (time.is_date || icaltime_is_utc(time) || time.zone)
        return time;
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char* name = tzid ? icalparameter_get_tzid(tzid) : nullptr;
    if (!name)
        return time;
    for (icalcomponent* c = icalcomponent_get_parent(event); c; c = icalcomponent_get_parent(c)) {
        if (icaltimezone* zone = icalcomponent_get_timezone(c, name)) {
            time.zone = zone;
            return time;
        }
    }
    time.zone = icaltimezone_get_builtin_timezone(name);
    return time;
}

bool EventDates::isRecurring(icalcomponent* event)
{
    return icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
}

QDate EventDates::localDate(icaltimetype time, const QTimeZone& zone)
{
    if (time.is_date)
        return naiveDate(time);
    time = inUtc(time);
    if (!icaltime_is_utc(time))
        return naiveDate(time);
    const QDateTime utc(naiveDate(time), QTime(time.hour, time.minute, std::min(time.second, 59)),
                        QTimeZone::utc());
    return utc.isValid() ? utc.toTimeZone(zone).date() : QDate();
}

EventDates::Result EventDates::of(icalcomponent* event, const Window& window,
                                  const std::vector<icaltimetype>& replaced, int& stepsLeft)
{
    Result result;
    icalproperty* dtstart = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!dtstart) {
        result.refusal = QStringLiteral("no tiene fecha de inicio (DTSTART)");
        return result;
    }
    const icaltimetype start = withZone(icalproperty_get_dtstart(dtstart), dtstart, event);
    if (icaltime_is_null_time(start) || !naiveDate(start).isValid()) {
        result.refusal = QStringLiteral("su fecha de inicio (DTSTART) no es un día del calendario");
        return result;
    }
    const Length length = lengthOf(event, start, window.zone);
    const qint64 spanDays = length.days + length.seconds / 86400;
    if (spanDays > kMaxSpan) {
        result.refusal = QStringLiteral("dura más de %1 días").arg(kMaxSpan);
        return result;
    }

    std::vector<QDate> days; // sorted and made unique at the end
    QString overrun;
    // Every day one instance covers, those outside the window left out when bounded.
    const auto cover = [&](const icaltimetype& instance, const Length& span, bool bounded) {
        QDate first;
        QDate last;
        if (instance.is_date) {
            first = naiveDate(instance);
            last = first.addDays(span.days - 1);
        } else {
            const QDateTime from = moment(instance, window.zone);
            if (!from.isValid())
                return;
            first = from.toTimeZone(window.zone).date();
            const QDateTime to = from.addSecs(span.seconds > 0 ? span.seconds - 1 : 0);
            last = to.toTimeZone(window.zone).date();
        }
        if (!first.isValid() || !last.isValid())
            return;
        if (bounded) {
            first = std::max(first, window.first);
            last = std::min(last, window.last);
        }
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            if (--stepsLeft < 0) {
                overrun = QStringLiteral("el archivo pide más de %1 repeticiones en total "
                                         "y no se siguen más")
                              .arg(kFileSteps);
                return;
            }
            days.push_back(day);
        }
    };
    const auto finish = [&] {
        std::sort(days.begin(), days.end());
        days.erase(std::unique(days.begin(), days.end()), days.end());
        result.refusal = overrun;
        result.dates = std::move(days);
        result.outsideRange = result.refusal.isEmpty() && result.dates.empty();
        return result;
    };

    if (!isRecurring(event)) {
        if (!naiveDate(start).isValid() || !localDate(start, window.zone).isValid()) {
            result.refusal =
                QStringLiteral("su fecha de inicio (DTSTART) no es un día del calendario");
            return result;
        }
        cover(start, length, window.bindsSingles);
        return finish();
    }

    std::set<QString> excluded;
    for (const icaltimetype& instance : replaced)
        excluded.insert(instantKey(instance));
    for (icalproperty* p : all(event, ICAL_EXDATE_PROPERTY))
        excluded.insert(instantKey(withZone(icalproperty_get_exdate(p), p, event)));
    const auto consider = [&](const icaltimetype& instance, const Length& span) {
        if (excluded.count(instantKey(instance)) ||
            excluded.count(QStringLiteral("D") + naiveDate(instance).toString(Qt::ISODate)))
            return;
        cover(instance, span, true);
    };

    // The start is always the first instance, whether or not the rule would give it.
    consider(start, length);
    for (icalproperty* p : all(event, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype rule = icalproperty_get_rrule(p);
        if (rule.freq == ICAL_NO_RECURRENCE)
            continue;
        IcalIteratorPtr iterator(icalrecur_iterator_new(rule, start));
        if (!iterator) {
            result.refusal = QStringLiteral("su regla de repetición (RRULE) no se puede seguir");
            return result;
        }
        // Without a count, the rule can start a little before the first day wanted (a time in
        // another zone may fall on the day before; a long event begun earlier reaches into it)
        // instead of at a start centuries earlier.
        const QDate jumpTo = window.first.addDays(-1 - spanDays);
        if (rule.count == 0 && naiveDate(start) < jumpTo) {
            icaltimetype jump = start;
            jump.year = jumpTo.year();
            jump.month = jumpTo.month();
            jump.day = jumpTo.day();
            if (!icalrecur_iterator_set_start(iterator.get(), jump))
                iterator.reset(icalrecur_iterator_new(rule, start));
        }
        const QDate stop = window.last.addDays(1);
        int steps = 0;
        for (icaltimetype instance = icalrecur_iterator_next(iterator.get());
             !icaltime_is_null_time(instance); instance = icalrecur_iterator_next(iterator.get())) {
            if (--stepsLeft < 0) {
                overrun = QStringLiteral("el archivo pide más de %1 repeticiones en total "
                                         "y no se siguen más")
                              .arg(kFileSteps);
                break;
            }
            if (++steps > kMaxSteps) {
                result.refusal = QStringLiteral("se repite más de %1 veces antes del %2")
                                     .arg(kMaxSteps)
                                     .arg(window.last.toString(QStringLiteral("dd/MM/yyyy")));
                return result;
            }
            instance.zone = start.zone;
            const QDate day = naiveDate(instance);
            if (!day.isValid() || day > stop)
                break;
            consider(instance, length);
            if (!overrun.isEmpty())
                break;
        }
        if (!overrun.isEmpty())
            break;
    }
    for (icalproperty* p : all(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(p);
        if (!icaltime_is_null_time(value.time)) {
            consider(withZone(value.time, p, event), length);
        } else if (!icaltime_is_null_time(value.period.start)) {
            // A period gives its own length.
            const icaltimetype from = withZone(value.period.start, p, event);
            Length span = length;
            if (!icaltime_is_null_time(value.period.end))
                span = lengthBetween(from, withZone(value.period.end, p, event), window.zone);
            else if (!icaldurationtype_is_null_duration(value.period.duration))
                span.seconds = icaldurationtype_as_int(value.period.duration);
            if (span.days + span.seconds / 86400 <= kMaxSpan)
                consider(from, span);
        }
        if (!overrun.isEmpty())
            break;
    }

    return finish();
}
