#include "platform/linux/SessionBusService.h"

#include "platform/BusPlugin.h"
#include "platform/Logging.h"
#include "platform/linux/PluginLoader.h"

#include <QFileInfo>

namespace {
// Looked for without connecting, so a program with no session bus (a system
// service) never loads the bus module.
bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}
} // namespace

std::unique_ptr<BusPublication> publishOnSessionBus(RemoteControl& control)
{
    if (!sessionBusReachable()) {
        qCDebug(lcPlatform) << "no session bus: no interface for other programs";
        return nullptr;
    }
    PluginLoader loader(QStringLiteral("bus"));
    auto* plugin = loader.instance<BusPlugin>();
    return plugin ? plugin->publish(control) : nullptr;
}
