#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// Processor time counters of one processor from /proc/stat, in clock ticks
// since boot.
struct CpuTimes
{
    quint64 total = 0; // user+nice+system+idle+iowait+irq+softirq+steal
    quint64 idle = 0;  // idle+iowait: time the processor had nothing to run
};

class ProcStatReader
{
public:
    explicit ProcStatReader(QString path = QStringLiteral("/proc/stat"));

    QString path() const { return m_path; }

    // Reads the file and the "cpuN" line of processor cpu. On failure the
    // reason goes to *error (when given).
    std::optional<CpuTimes> read(int cpu, QString* error = nullptr) const;

    // The "cpuN" line of a /proc/stat text. The aggregate "cpu" line and
    // other processors are skipped; fewer than four counters is no line.
    static std::optional<CpuTimes> parse(const QByteArray& stat, int cpu);

private:
    QString m_path;
};
