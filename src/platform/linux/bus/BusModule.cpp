// libbrellix-bus.so: Brellix's interface on the session bus, loaded at start
// only when a session bus is there, so that a program without one never
// maps Qt D-Bus and libdbus.
#include "platform/linux/bus/BusService.h"

namespace {
class PublishedService final : public RemoteService
{
public:
    explicit PublishedService(std::unique_ptr<BusService> service) : m_service(std::move(service))
    {
    }

private:
    std::unique_ptr<BusService> m_service;
};
} // namespace

extern "C" __attribute__((visibility("default"))) RemoteService*
brellix_create_bus_service(RemoteControl* control)
{
    auto service = BusService::publish(*control, QDBusConnection::sessionBus());
    return service ? new PublishedService(std::move(service)) : nullptr;
}
