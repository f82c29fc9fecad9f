#include "access/ConversionReport.h"

QString ConversionReport::text(qsizetype maxChanges) const
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
    for (qsizetype i = 0; i < changes.size() && i < maxChanges; ++i)
        out += QStringLiteral("  - %1\n").arg(changes[i]);
    if (changes.size() > maxChanges)
        out += QStringLiteral("  … y %1 más (tarvelo-db import-mdb las lista todas)\n")
                   .arg(changes.size() - maxChanges);
    return out;
}
