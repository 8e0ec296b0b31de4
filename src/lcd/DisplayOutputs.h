#pragma once

#include "lcd/LcddConnection.h"

#include <QString>

#include <memory>
#include <span>

class DisplayModel;
class DisplayOutput;
class ModuleCodec;

// The outputs a user can choose, one row each (DisplayOutputs.cpp), by the
// name [Display] Output gives it. The status bar names them, and the
// settings file lists them, in the rows' order. A new output is its class
// and its row (and, where it talks through a connection made on demand, the
// connection's factory in Connections).
namespace DisplayOutputs {

// The parts of an output that are made only when it starts (the network
// ones may come from a module loaded then).
struct Connections
{
    LcddConnectionFactory lcdd;
};

// What an output is made from.
struct Parts
{
    const DisplayModel& model;
    // The module's ROM, which the model's codes are of.
    const ModuleCodec& codec;
    const Connections& connections;
};

struct Kind
{
    const char* key;
    std::unique_ptr<DisplayOutput> (*make)(const Parts& parts);
};

std::span<const Kind> kinds();
// The row's place for key, -1 for none.
int indexOf(const QString& key);

} // namespace DisplayOutputs
