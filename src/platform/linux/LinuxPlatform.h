#pragma once

#include "platform/Platform.h"

#include <memory>

// The platform factory: the one place that creates Brellix's Linux
// implementations of the interfaces in platform/.
std::unique_ptr<Platform> createLinuxPlatform();
