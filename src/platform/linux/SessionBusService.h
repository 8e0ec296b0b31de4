#pragma once

#include "platform/RemoteControl.h"

#include <memory>

// The session bus service over control, from libbrellix-bus.so: null when no
// session bus can be reached (nothing is loaded then), when the module
// cannot be loaded, or when another instance owns the name (each said in
// the log).
std::unique_ptr<RemoteService> publishOnSessionBus(RemoteControl& control);
