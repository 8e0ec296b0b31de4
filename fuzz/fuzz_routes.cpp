// The kernel's route tables, /proc/net/route and /proc/net/ipv6_route.
#include "FuzzSupport.h"

#include "platform/linux/LinuxInternetState.h"

FUZZ_TARGET
{
    const QByteArray& text = bytes;
    const QString iface = LinuxInternetState::defaultRouteInterface(text);
    FUZZ_CHECK(LinuxInternetState::hasDefaultRouteV4(text) == !iface.isEmpty());
    FUZZ_CHECK(iface != QLatin1String("lo"));
    LinuxInternetState::hasDefaultRouteV6(text);
}
