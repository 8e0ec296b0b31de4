#include "platform/linux/LoadedWebTransport.h"

#include "platform/web/WebPlugin.h"

#include <QTimer>

LoadedWebTransport::LoadedWebTransport() = default;
LoadedWebTransport::~LoadedWebTransport() = default;

std::unique_ptr<WebRequest> LoadedWebTransport::get(const QUrl& url, const QByteArray& agent,
                                                    const WebLimits& limits, Done done)
{
    if (!std::exchange(m_loaded, true)) {
        if (auto* plugin = m_plugin.instance<WebPlugin>())
            m_real = plugin->createWebTransport();
    }
    if (m_real)
        return m_real->get(url, agent, limits, std::move(done));
    // As a download that could not connect: the answer comes later.
    auto pending = std::make_shared<Done>(std::move(done));
    const QString why = QStringLiteral("Web support (%1) is not installed: %2")
                            .arg(m_plugin.fileName(), m_plugin.why());
    QTimer::singleShot(0, &m_context, [pending, why] {
        if (Done d = std::exchange(*pending, nullptr)) {
            WebAnswer answer;
            answer.error = why;
            d(answer);
        }
    });
    return std::make_unique<WebRequest>([pending] { *pending = nullptr; });
}
