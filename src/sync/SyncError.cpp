#include "sync/SyncError.h"

SyncError::SyncError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}
