#pragma once

#include <QString>

// What an export wrote, and the Spanish text that tells the user.
struct ExportSummary
{
    QString file;    // as the user should see it: absolute, native separators
    int days = 0;    // events written, one a day
    int notitas = 0; // journal entries written

    // "Exportado a «…»: 12 días (eventos VEVENT) y 2 notitas (entradas VJOURNAL)."
    QString text() const;
};
