#pragma once

#include "platform/linux/PluginLoader.h"
#include "platform/web/WebTransport.h"

#include <QObject>

// The web transport from libbrellix-web.so, loaded at the first download.
// Where the plugin cannot be loaded, every download fails, later, with the
// reason, and the rest of Brellix runs on.
class LoadedWebTransport final : public WebTransport
{
public:
    LoadedWebTransport();
    ~LoadedWebTransport() override;

    std::unique_ptr<WebRequest> get(const QUrl& url, const QByteArray& agent,
                                    const WebLimits& limits, Done done) override;

private:
    PluginLoader m_plugin{QStringLiteral("web")};
    bool m_loaded = false;
    std::unique_ptr<WebTransport> m_real;
    QObject m_context; // the failures' timers go with this transport
};
