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

template <typename T, typename Line>
void list(QString& out, const std::vector<T>& items, int listed, Line line)
{
    const std::size_t shownCount = std::min(items.size(), std::size_t(std::max(listed, 0)));
    for (std::size_t i = 0; i < shownCount; ++i)
        out += QStringLiteral("    ") + line(items[i]) + QLatin1Char('\n');
    if (shownCount < items.size())
        out += QStringLiteral("    … y %1 más\n").arg(items.size() - shownCount);
}

} // namespace

QString ImportSummary::text(int listed) const
{
    QString out = QStringLiteral("Importado de «%1»:\n  eventos leídos: %2, que cubren %3 %4\n")
                      .arg(file)
                      .arg(events)
                      .arg(daysCovered)
                      .arg(daysCovered == 1 ? QStringLiteral("día") : QStringLiteral("días"));
    if (recurring > 0) {
        out += QStringLiteral("  eventos periódicos: %1, repetidos del %2 al %3\n")
                   .arg(recurring)
                   .arg(shown(from), shown(to));
    }
    out += QStringLiteral("  días escritos: %1 (%2 nuevos)\n").arg(daysWritten).arg(daysAdded);
    out += QStringLiteral("  días marcados como festivos: %1\n").arg(daysMarked);
    if (alreadyHeld > 0)
        out += QStringLiteral("  días que ya tenían lo que trae su evento: %1\n").arg(alreadyHeld);
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
    if (!skipped.empty()) {
        out += QStringLiteral("  líneas pasadas por alto: %1\n").arg(skipped.size());
        list(out, skipped, listed, [](const SkippedLine& s) {
            const QString where =
                s.event.isEmpty() ? QString() : QStringLiteral(" (en «%1»)").arg(shown(s.event));
            return QStringLiteral("línea %1, «%2»%3: %4")
                .arg(s.line)
                .arg(s.quoted, where, s.reason);
        });
    }
    if (rejected.empty()) {
        out += QStringLiteral("  eventos no importados: ninguno\n");
        return out;
    }
    out += QStringLiteral("  eventos no importados: %1\n").arg(rejected.size());
    list(out, rejected, listed, [](const Rejection& r) {
        const QString when =
            r.date.isValid() ? QStringLiteral(" el %1").arg(shown(r.date)) : QString();
        return QStringLiteral("«%1»%2: %3").arg(shown(r.event), when, r.reason);
    });
    return out;
}
