#include "platform/linux/ProcStatReader.h"

#include "platform/FileReading.h"

namespace {
// /proc/stat grows with the number of processors and interrupts; a few
// hundred KiB covers very large machines.
constexpr qint64 MaxStatSize = 1 << 20;
// user nice system idle iowait irq softirq steal; guest and guest_nice that
// follow are already counted in user and nice.
constexpr int CountedFields = 8;
constexpr int IdleField = 3;
constexpr int IowaitField = 4;
} // namespace

ProcStatReader::ProcStatReader(QString path) : m_path(std::move(path)) {}

std::optional<CpuTimes> ProcStatReader::read(int cpu, QString* error) const
{
    // Files under /proc report size 0: readSmallFile reads to the end, capped.
    const std::optional<QByteArray> text = readSmallFile(m_path, MaxStatSize, error);
    if (!text)
        return std::nullopt;
    const std::optional<CpuTimes> times = parse(*text, cpu);
    if (!times && error)
        *error = QStringLiteral("%1 has no usable line for cpu%2").arg(m_path).arg(cpu);
    return times;
}

std::optional<CpuTimes> ProcStatReader::parse(const QByteArray& stat, int cpu)
{
    if (cpu < 0)
        return std::nullopt;
    const QByteArray name = "cpu" + QByteArray::number(cpu);
    for (const QByteArray& line : stat.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.isEmpty() || fields.first() != name)
            continue;
        CpuTimes t;
        int counted = 0;
        for (int i = 1; i < fields.size() && counted < CountedFields; ++i, ++counted) {
            bool ok = false;
            const quint64 v = fields[i].toULongLong(&ok);
            if (!ok)
                return std::nullopt;
            t.total += v;
            if (counted == IdleField || counted == IowaitField)
                t.idle += v;
        }
        if (counted < 4)
            return std::nullopt;
        return t;
    }
    return std::nullopt;
}
