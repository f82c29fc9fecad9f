#include "access/ConversionReport.h"

QString ConversionReport::text() const
{
    QString out = QStringLiteral("Convertido «%1» (%2):\n").arg(file, format);
    out += QStringLiteral("  días:     %1\n").arg(days);
    out += QStringLiteral("  notas:    %1\n").arg(notes);
    out += QStringLiteral("  festivos: %1\n").arg(holidays);
    out += QStringLiteral("  alarmas:  %1\n").arg(alarms);
    out += QStringLiteral("  notitas:  %1\n").arg(notitas);
    if (changes.isEmpty()) {
        out += QStringLiteral("Todas las filas se han traído tal como estaban.\n");
        return out;
    }
    out += QStringLiteral("Filas cambiadas al traerlas (%1):\n").arg(changes.size());
    for (const QString& change : changes)
        out += QStringLiteral("  - %1\n").arg(change);
    return out;
}
