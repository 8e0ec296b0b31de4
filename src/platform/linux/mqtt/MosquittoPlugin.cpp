// libbrellix-mqtt.so: Brellix's connection to an MQTT broker, loaded only
// when [MQTT] Url is set, so that a program without MQTT never maps
// libmosquitto.
#include "platform/MqttPlugin.h"
#include "platform/linux/mqtt/MosquittoTransport.h"

#include <QObject>

class MosquittoPlugin final : public QObject, public MqttPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BRELLIX_MQTT_PLUGIN_IID)
    Q_INTERFACES(MqttPlugin)
public:
    std::unique_ptr<MqttTransport> createTransport() override
    {
        return std::make_unique<MosquittoTransport>();
    }
};

#include "MosquittoPlugin.moc"
