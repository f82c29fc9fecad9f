#include "store/sqlite/StoreError.h"

#include <sqlite3.h>

StoreError::StoreError(const QString& message, int code, const QString& detail,
                       const QString& cause)
    : std::runtime_error(message.toStdString()), message_(message), code_(code), detail_(detail),
      cause_(cause)
{
}

bool StoreError::busy() const
{
    const int primary = code_ & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}
