#include "platform/core/Network.h"

#include "platform/core/PlatformModule.h"

#include <mutex>

#ifndef TARVELO_NETWORK_MODULE_INSTALLED
#error                                                                                             \
    "TARVELO_NETWORK_MODULE_INSTALLED and _BUILT name the module; the platform CMakeLists defines them"
#endif

const TarveloNetworkModule* Network::module()
{
    static std::mutex mutex;
    static const TarveloNetworkModule* table = nullptr;
    const std::lock_guard<std::mutex> hold(mutex);
    static PlatformModule library(
        QStringLiteral("libtarvelo-network.so"),
        PlatformModule::places(QStringLiteral(TARVELO_NETWORK_MODULE_RELATIVE),
                               QStringLiteral(TARVELO_NETWORK_MODULE_INSTALLED),
                               QStringLiteral(TARVELO_NETWORK_MODULE_BUILT)));
    if (!table) {
        if (const auto entry =
                reinterpret_cast<TarveloNetworkEntry>(library.entry(kTarveloNetworkEntry)))
            table = entry();
    }
    return table;
}
