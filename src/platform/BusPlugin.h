#pragma once

#include "platform/RemoteControl.h"

#include <QtPlugin>

#include <memory>

// The root of libbrellix-bus.so: publishes a RemoteControl on the session
// bus. The interface id carries its version; bump it whenever this class or
// RemoteControl changes.
class BusPlugin
{
public:
    virtual ~BusPlugin() = default;
    // Null when the bus cannot be reached or another instance owns the
    // name (said in the log).
    virtual std::unique_ptr<BusPublication> publish(RemoteControl& control) = 0;
};

#define BRELLIX_BUS_PLUGIN_IID "io.github.brellix.BusPlugin/2"
Q_DECLARE_INTERFACE(BusPlugin, BRELLIX_BUS_PLUGIN_IID)
