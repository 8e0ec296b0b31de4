#pragma once

#include "platform/MqttTransport.h"

#include <QtPlugin>

#include <memory>

// The root of libbrellix-mqtt.so: makes connections to an MQTT broker with
// libmosquitto. The interface id carries its version; bump it whenever this
// class or MqttTransport changes.
class MqttPlugin
{
public:
    virtual ~MqttPlugin() = default;
    virtual std::unique_ptr<MqttTransport> createTransport() = 0;
};

#define BRELLIX_MQTT_PLUGIN_IID "io.github.brellix.MqttPlugin/1"
Q_DECLARE_INTERFACE(MqttPlugin, BRELLIX_MQTT_PLUGIN_IID)
