#pragma once

#include "platform/CpuTimes.h"
#include "platform/ReportOnce.h"

#include <QByteArray>

#include <optional>

// Load of processor 0 as "CPU:n%": the share of time it was busy between two
// consecutive samples of its counters, one sample per GetCpuText call.
class CPUStat
{
public:
    // The processor whose load is shown, as /proc/stat names it.
    static constexpr int Processor = 0;

    // times is not owned and must outlive the object.
    explicit CPUStat(const CpuTimesSource& times);

    // Starts a new sampling: the next GetCpuText has no earlier sample and
    // gives the empty text. False when the processor's figures cannot be
    // read at all.
    bool OpenCpuQuery();

    // Takes a sample and gives "CPU:n%", or the empty text while there is no
    // valid value (first sample, unreadable file, no time passed).
    QByteArray GetCpuText();
    // The same sample as a whole percent; nothing while there is no valid value.
    std::optional<qint64> GetCpuPercent();

    // Busy share in percent between two samples; empty when no time passed
    // or the total went backwards.
    static std::optional<double> busyPercent(const CpuTimes& before, const CpuTimes& after);
    // "CPU:" + percent rounded with halves away from zero + "%".
    static QByteArray cpuText(double percent);
    static qint64 wholePercent(double percent);

private:
    const CpuTimesSource& m_times;
    bool m_open = false;
    std::optional<CpuTimes> m_last;
    ReportOnce m_report;
};
