#include "platform/linux/LoadedMqttTransport.h"

#include "platform/MqttPlugin.h"
#include "platform/linux/PluginLoader.h"

#include <QObject>
#include <QTimer>

namespace {

class DeferredMqttTransport final : public MqttTransport
{
public:
    void setEvents(Events events) override
    {
        m_events = std::move(events);
        if (m_real)
            m_real->setEvents(m_events);
    }
    void open(const MqttEndpoint& endpoint) override
    {
        if (!m_real) {
            if (auto* plugin = m_plugin.instance<MqttPlugin>()) {
                m_real = plugin->createTransport();
                m_real->setEvents(m_events);
            }
        }
        if (m_real) {
            m_real->open(endpoint);
            return;
        }
        // Later, as an attempt would end.
        const QString why = QStringLiteral("MQTT support (%1) is not installed: %2")
                                .arg(m_plugin.fileName(), m_plugin.why());
        QTimer::singleShot(0, &m_context, [this, why] {
            if (m_events.disconnected)
                m_events.disconnected(why);
        });
    }
    void publish(const QByteArray& topic, const QByteArray& payload, bool retain) override
    {
        if (m_real)
            m_real->publish(topic, payload, retain);
    }
    void subscribe(const QByteArray& filter) override
    {
        if (m_real)
            m_real->subscribe(filter);
    }
    void unsubscribe(const QByteArray& filter) override
    {
        if (m_real)
            m_real->unsubscribe(filter);
    }

private:
    PluginLoader m_plugin{QStringLiteral("mqtt")};
    std::unique_ptr<MqttTransport> m_real;
    Events m_events;
    QObject m_context;
};

} // namespace

std::unique_ptr<MqttTransport> deferredMqttTransport()
{
    return std::make_unique<DeferredMqttTransport>();
}
