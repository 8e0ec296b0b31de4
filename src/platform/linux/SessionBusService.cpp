#include "platform/linux/SessionBusService.h"

#include "platform/Logging.h"
#include "platform/linux/ModuleLoader.h"

#include <QFileInfo>

namespace {
// Looked for without connecting, so a program with no session bus (a system
// service) never maps Qt D-Bus.
bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}
} // namespace

std::unique_ptr<RemoteService> publishOnSessionBus(RemoteControl& control)
{
    if (!sessionBusReachable()) {
        qCDebug(lcPlatform) << "no session bus: no interface for other programs";
        return nullptr;
    }
    using Create = RemoteService* (*)(RemoteControl*);
    void* factory = moduleFactory(QStringLiteral("bus"), "brellix_create_bus_service",
                                  QStringLiteral("bus service"), nullptr);
    return std::unique_ptr<RemoteService>(factory ? reinterpret_cast<Create>(factory)(&control)
                                                  : nullptr);
}
