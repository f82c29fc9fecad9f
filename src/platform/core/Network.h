#pragma once

#include "platform/core/NetworkModule.h"

// The network module, loaded the first time a sync or the keyring needs it, from whichever
// thread asks first; it stays loaded.
class Network
{
public:
    Network() = delete;

    // The module's table; null when it cannot be loaded (why is said once on stderr).
    static const TarveloNetworkModule* module();
};
