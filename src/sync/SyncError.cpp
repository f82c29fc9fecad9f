#include "sync/SyncError.h"

SyncError::SyncError(const QString& message, Kind kind)
    : std::runtime_error(message.toStdString()), message_(message), kind_(kind)
{
}
