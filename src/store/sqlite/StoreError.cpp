#include "store/sqlite/StoreError.h"

StoreError::StoreError(const QString& message, int code, const QString& detail,
                       const QString& cause)
    : std::runtime_error(message.toStdString()), message_(message), code_(code), detail_(detail),
      cause_(cause)
{
}
