#pragma once

#include <QLoggingCategory>

// The simulated module links nothing of Brellix, so it keeps its own category.
Q_DECLARE_LOGGING_CATEGORY(lcSim)
