#include "store/domain/StoreGuard.h"

void StoreGuard::fail(const StoreError& error, const QString& unsaved) const noexcept
{
    failed_ = true;
    try {
        if (reporter_)
            reporter_(error, unsaved);
    } catch (...) {
        // Nothing is left to tell the user with; the program is ending anyway.
    }
}
