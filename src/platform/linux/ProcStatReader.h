#pragma once

#include "platform/CpuTimes.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Processor time counters from /proc/stat.
class ProcStatReader final : public CpuTimesSource
{
public:
    explicit ProcStatReader(QString path = QStringLiteral("/proc/stat"));

    QString path() const { return m_path; }

    // Reads the file and the "cpuN" line of processor cpu. On failure the
    // reason goes to *error (when given).
    std::optional<CpuTimes> read(int cpu, QString* error = nullptr) const override;

    // The "cpuN" line of a /proc/stat text. The aggregate "cpu" line and
    // other processors are skipped; fewer than four counters is no line.
    static std::optional<CpuTimes> parse(const QByteArray& stat, int cpu);

private:
    QString m_path;
};
