#pragma once

#include "lcd/LcddConnection.h"

#include <QtPlugin>

#include <memory>

// The root of libbrellix-lcdd.so: makes sessions with LCDd. The interface
// id carries its version; bump it whenever this class, LcddConnection or
// LcddScreen changes, so that a module built against the old ones is
// refused unread.
class LcddPlugin
{
public:
    virtual ~LcddPlugin() = default;
    virtual std::unique_ptr<LcddConnection> createConnection() = 0;
};

#define BRELLIX_LCDD_PLUGIN_IID "io.github.brellix.LcddPlugin/1"
Q_DECLARE_INTERFACE(LcddPlugin, BRELLIX_LCDD_PLUGIN_IID)
