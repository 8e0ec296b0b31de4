#include "platform/linux/LoadedWebTransport.h"

#include "platform/linux/ModuleLoader.h"

#include <QTimer>

LoadedWebTransport::LoadedWebTransport() = default;
LoadedWebTransport::~LoadedWebTransport() = default;

std::unique_ptr<WebRequest> LoadedWebTransport::get(const QUrl& url, const QByteArray& agent,
                                                    const WebLimits& limits, Done done)
{
    if (!m_loaded) {
        m_loaded = true;
        m_real = createFromModule<WebTransport>(QStringLiteral("web"),
                                                "brellix_create_web_transport",
                                                QStringLiteral("web transport"), &m_why);
    }
    if (m_real)
        return m_real->get(url, agent, limits, std::move(done));
    // As a download that could not connect: the answer comes later.
    auto pending = std::make_shared<Done>(std::move(done));
    QTimer::singleShot(0, &m_context, [pending, why = m_why] {
        if (Done d = std::exchange(*pending, nullptr)) {
            WebAnswer answer;
            answer.error = QStringLiteral("Web support (%1) is not installed: %2")
                               .arg(moduleFileName(QStringLiteral("web")), why);
            d(answer);
        }
    });
    return std::make_unique<WebRequest>([pending] { *pending = nullptr; });
}
