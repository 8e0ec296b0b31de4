#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Processor time counters of one processor, in clock ticks since boot.
struct CpuTimes
{
    quint64 total = 0; // user+nice+system+idle+iowait+irq+softirq+steal
    quint64 idle = 0;  // idle+iowait: time the processor had nothing to run
};

// Where the processor counters come from (/proc/stat on Linux).
class CpuTimesSource
{
public:
    virtual ~CpuTimesSource() = default;
    // The counters of processor cpu; on failure the reason goes to *error.
    virtual std::optional<CpuTimes> read(int cpu, QString* error = nullptr) const = 0;
};
