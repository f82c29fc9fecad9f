#include "ical/IcsError.h"

IcsError::IcsError(const QString& message, bool cancelled)
    : std::runtime_error(message.toStdString()), message_(message), cancelled_(cancelled)
{
}

IcsError IcsError::cancelled(const QString& file)
{
    return IcsError(
        QStringLiteral("Se ha cancelado la importación de «%1»; el calendario queda como estaba.")
            .arg(file),
        true);
}
