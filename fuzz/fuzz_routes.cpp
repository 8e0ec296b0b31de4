#include "FuzzSupport.h"

#include "platform/linux/LinuxInternetState.h"

FUZZ_TARGET
{
    const QString iface = LinuxInternetState::defaultRouteInterface(bytes);
    FUZZ_CHECK(LinuxInternetState::hasDefaultRouteV4(bytes) == !iface.isEmpty());
    FUZZ_CHECK(iface != QLatin1String("lo"));
    LinuxInternetState::hasDefaultRouteV6(bytes);
}
