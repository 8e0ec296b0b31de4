#pragma once

#include "platform/linux/PluginLoader.h"

#include <memory>

class LcddConnection;

// Sessions with LCDd from libbrellix-lcdd.so, which is loaded when the first
// one is asked for, that is when LCDd first becomes an output: a program
// that drives only the serial module never maps Qt Network. Where the
// plugin cannot be loaded (said once in the log), each session only shows
// why in its status text, and the other outputs run on.
class LoadedLcddConnections
{
public:
    std::unique_ptr<LcddConnection> open();

private:
    PluginLoader m_plugin{QStringLiteral("lcdd")};
};
