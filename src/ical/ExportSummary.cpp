#include "ical/ExportSummary.h"

QString ExportSummary::text() const
{
    return QStringLiteral("Exportado a «%1»:\n"
                          "  días escritos: %2 (eventos VEVENT)\n"
                          "  notitas escritas: %3 (entradas VJOURNAL)\n")
        .arg(file)
        .arg(days)
        .arg(notitas);
}
