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

QString ConversionReport::html(qsizetype maxChanges, const std::vector<Count>& more,
                               const QStringList& paragraphs) const
{
    std::vector<Count> counts{{QStringLiteral("días"), days},
                              {QStringLiteral("notas"), notes},
                              {QStringLiteral("festivos"), holidays},
                              {QStringLiteral("alarmas"), alarms},
                              {QStringLiteral("notitas"), notitas}};
    counts.insert(counts.end(), more.begin(), more.end());
    QString out = QStringLiteral("<p>Convertido «%1» (%2):</p><table cellspacing=\"0\">")
                      .arg(file.toHtmlEscaped(), format.toHtmlEscaped());
    for (const auto& [what, count] : counts) {
        out += QStringLiteral("<tr><td>%1:</td><td align=\"right\" style=\"padding-left:12px\">"
                              "%2</td></tr>")
                   .arg(what.toHtmlEscaped())
                   .arg(count);
    }
    out += QStringLiteral("</table>");
    if (changes.isEmpty()) {
        out += QStringLiteral("<p>Todas las filas se han traído tal como estaban.</p>");
    } else {
        out += QStringLiteral("<p>Filas cambiadas al traerlas (%1):</p><ul>").arg(changes.size());
        for (qsizetype i = 0; i < changes.size() && i < maxChanges; ++i)
            out += QStringLiteral("<li>%1</li>").arg(changes[i].toHtmlEscaped());
        if (changes.size() > maxChanges)
            out += QStringLiteral("<li>… y %1 más (tarvelo-db import-mdb las lista todas)</li>")
                       .arg(changes.size() - maxChanges);
        out += QStringLiteral("</ul>");
    }
    for (const QString& paragraph : paragraphs)
        out += QStringLiteral("<p>%1</p>").arg(paragraph.toHtmlEscaped());
    return out;
}
