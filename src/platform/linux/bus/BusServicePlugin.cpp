// libbrellix-bus.so: Brellix's interface on the session bus, loaded at start
// only when a session bus is there, so that a program without one never
// maps libsystemd's bus client.
#include "platform/BusPlugin.h"
#include "platform/linux/bus/SdBusService.h"

#include <QObject>

namespace {
class Publication final : public BusPublication
{
public:
    explicit Publication(std::unique_ptr<SdBusService> service) : m_service(std::move(service)) {}

private:
    std::unique_ptr<SdBusService> m_service;
};
} // namespace

class BusServicePlugin final : public QObject, public BusPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BRELLIX_BUS_PLUGIN_IID)
    Q_INTERFACES(BusPlugin)
public:
    std::unique_ptr<BusPublication> publish(RemoteControl& control) override
    {
        auto service = SdBusService::publish(control);
        return service ? std::make_unique<Publication>(std::move(service)) : nullptr;
    }
};

#include "BusServicePlugin.moc"
