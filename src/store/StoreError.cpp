#include "store/StoreError.h"

StoreError::StoreError(const QString& message, int code)
    : std::runtime_error(message.toStdString()), message_(message), code_(code)
{
}
