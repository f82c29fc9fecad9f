#include "access/MdbError.h"

MdbError::MdbError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}
