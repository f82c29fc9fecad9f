#include "sync/ForeignEvent.h"

#include "ical/IcsNames.h"

#include <QDateTime>
#include <QTimeZone>

namespace {

QString fromIcal(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

QString ForeignEvent::text(icalcomponent* event, const QString& summary)
{
    QString text = fromIcal(icalcomponent_get_summary(event)).trimmed();
    if (text.isEmpty())
        text = summary;
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start) || start.is_date)
        return text;
    // The time as the user's clock shows it.
    icaltimetype local = start;
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (icaltime_is_utc(start) || start.zone) {
        const QDateTime utc = QDateTime::fromSecsSinceEpoch(
            icaltime_as_timet_with_zone(start,
                                        start.zone ? start.zone : icaltimezone_get_utc_timezone()),
            QTimeZone::utc());
        const QTime time = utc.toTimeZone(zone).time();
        local.hour = time.hour();
        local.minute = time.minute();
    }
    const QString time = QStringLiteral("%1:%2")
                             .arg(local.hour, 2, 10, QLatin1Char('0'))
                             .arg(local.minute, 2, 10, QLatin1Char('0'));
    return text.isEmpty() ? time : time + u' ' + text;
}

bool ForeignEvent::holiday(icalcomponent* event)
{
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_CATEGORIES_PROPERTY)) {
        for (const QString& category : fromIcal(icalproperty_get_categories(p)).split(u',')) {
            if (category.trimmed().compare(QString::fromLatin1(IcsNames::kHoliday),
                                           Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}
