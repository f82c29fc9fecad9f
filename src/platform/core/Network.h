#pragma once

#include "platform/core/NetworkModule.h"

#include <QString>

// The network module, loaded the first time a sync or the keyring needs it, from whichever
// thread asks first; it stays loaded.
class Network
{
public:
    Network() = delete;

    // The module's table; null when it cannot be loaded, and then why, in Spanish, in failure.
    static const TarveloNetworkModule* module(QString* failure = nullptr);
};
