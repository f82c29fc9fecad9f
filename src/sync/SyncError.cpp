#include "sync/SyncError.h"

SyncError::SyncError(const QString& message, Cause cause)
    : std::runtime_error(message.toStdString()), message_(message), cause_(cause)
{
}
