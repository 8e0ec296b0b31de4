// The kernel's route tables, /proc/net/route and /proc/net/ipv6_route.
#include "FuzzSupport.h"

#include "platform/linux/LinuxInternetState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString iface = LinuxInternetState::defaultRouteInterface(text);
    FUZZ_CHECK(LinuxInternetState::hasDefaultRouteV4(text) == !iface.isEmpty());
    FUZZ_CHECK(iface != QLatin1String("lo"));
    LinuxInternetState::hasDefaultRouteV6(text);
    return 0;
}
