#pragma once

#include "platform/MqttTransport.h"

#include <memory>

// A connection to an MQTT broker that loads libbrellix-mqtt.so (and with it
// libmosquitto) at its first open(): a program without [MQTT] Url never
// makes one, so maps neither. Where the plugin cannot be loaded, every
// attempt ends in disconnected() with the reason, and the rest of Brellix
// runs on.
std::unique_ptr<MqttTransport> deferredMqttTransport();
