#include "sim/SimLogging.h"

// Unknown commands are logged at debug; keep them quiet unless asked for.
Q_LOGGING_CATEGORY(lcSim, "brellix.sim", QtInfoMsg)
