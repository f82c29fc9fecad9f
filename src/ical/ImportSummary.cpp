#include "ical/ImportSummary.h"

namespace {

QString shown(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// An event's name on one line, not too long to read.
QString shown(const QString& event)
{
    constexpr int kShown = 60;
    QString name = event.simplified();
    if (name.size() > kShown)
        name = name.left(kShown - 1) + QChar(0x2026);
    return name;
}

} // namespace

QString ImportSummary::text(int listed) const
{
    QString out =
        QStringLiteral("Importado de «%1»:\n  eventos leídos: %2\n").arg(file).arg(events);
    out += QStringLiteral("  días escritos: %1 (%2 nuevos)\n").arg(daysWritten).arg(daysAdded);
    out += QStringLiteral("  días marcados como festivos: %1\n").arg(daysMarked);
    if (alreadyHeld > 0)
        out += QStringLiteral("  eventos que el día ya tenía: %1\n").arg(alreadyHeld);
    if (outsideRange > 0) {
        out += QStringLiteral("  eventos fuera de los días del %1 al %2: %3\n")
                   .arg(shown(from), shown(to))
                   .arg(outsideRange);
    }
    if (otherEntries > 0) {
        out +=
            QStringLiteral("  entradas que no son eventos (VJOURNAL, VTODO), no importadas: %1\n")
                .arg(otherEntries);
    }
    if (rejected.empty()) {
        out += QStringLiteral("  eventos no importados: ninguno\n");
        return out;
    }
    out += QStringLiteral("  eventos no importados: %1\n").arg(rejected.size());
    const std::size_t shownCount = std::min(rejected.size(), std::size_t(std::max(listed, 0)));
    for (std::size_t i = 0; i < shownCount; ++i) {
        const Rejection& r = rejected[i];
        const QString when =
            r.date.isValid() ? QStringLiteral(" el %1").arg(shown(r.date)) : QString();
        out += QStringLiteral("    «%1»%2: %3\n").arg(shown(r.event), when, r.reason);
    }
    if (shownCount < rejected.size())
        out += QStringLiteral("    … y %1 más\n").arg(rejected.size() - shownCount);
    return out;
}
