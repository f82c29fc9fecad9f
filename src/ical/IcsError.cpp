#include "ical/IcsError.h"

IcsError::IcsError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}
