#pragma once

#include "platform/RemoteControl.h"

#include <memory>

// control published on the session bus by libbrellix-bus.so: null when no
// session bus can be reached (nothing is loaded then), when the plugin
// cannot be loaded, or when another instance owns the name (each said in
// the log).
std::unique_ptr<BusPublication> publishOnSessionBus(RemoteControl& control);
