#include "sync/SyncReport.h"

#include <utility>

QString SyncReport::text() const
{
    const std::pair<const char*, int> lines[] = {
        {"Días subidos al servidor", sent},
        {"Días traídos del servidor", received},
        {"Días borrados en el servidor", deletedThere},
        {"Días vaciados aquí (borrados en el servidor)", deletedHere},
        {"Días cambiados en los dos lados y unidos", joined},
        {"Eventos de otros programas traídos a su día", broughtIn},
        {"Notitas subidas al servidor", notitasSent},
        {"Notitas traídas del servidor", notitasReceived},
        {"Notitas borradas en el servidor", notitasDeletedThere},
        {"Notitas borradas aquí (borradas en el servidor)", notitasDeletedHere},
        {"Notitas cambiadas en los dos lados y unidas", notitasJoined},
    };
    QString text;
    for (const auto& [label, count] : lines)
        text += QString::fromUtf8(label) + QStringLiteral(": ") + QString::number(count) + u'\n';
    return text;
}
