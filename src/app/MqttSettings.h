#pragma once

#include "platform/MqttTransport.h"

#include <QString>

class modINI;

// MQTT's section of brellix.ini:
//
//   [MQTT]
//   Url             = mqtt://host[:port] (1883) or mqtts://host[:port] (8883);
//                     empty: no MQTT at all, nothing loaded
//   User            = login name; empty: none
//   PasswordCommand = as [Mail]'s: a program whose first output line is the
//                     password, run without a shell; never stored
//   CaFile          = for mqtts, the CA certificates to trust; empty: the
//                     system's
//   Topic           = the prefix of Brellix's topics; default brellix/HOST
//   Discovery       = Home Assistant's discovery prefix; default
//                     homeassistant; written empty: no discovery
//   ClientId        = default brellix-HOST
struct MqttSettings
{
    static constexpr const char* Section = "MQTT";

    MqttEndpoint endpoint; // host empty: no MQTT
    QString topic;
    QString discovery; // empty: none
    QString hostName;

    bool enabled() const { return !endpoint.host.isEmpty(); }
    // hostName: the machine's, for the defaults.
    static MqttSettings load(const modINI& ini, const QString& hostName);
};
