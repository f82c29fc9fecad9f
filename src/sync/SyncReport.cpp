#include "sync/SyncReport.h"

QString SyncReport::text() const
{
    return QStringLiteral("Días subidos al servidor: %1\n"
                          "Días traídos del servidor: %2\n"
                          "Días borrados en el servidor: %3\n"
                          "Días vaciados aquí (borrados en el servidor): %4\n"
                          "Días cambiados en los dos lados y unidos: %5\n"
                          "Eventos de otros programas traídos a su día: %6\n")
        .arg(sent)
        .arg(received)
        .arg(deletedThere)
        .arg(deletedHere)
        .arg(joined)
        .arg(broughtIn);
}
