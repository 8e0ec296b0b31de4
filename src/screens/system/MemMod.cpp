#include "screens/system/MemMod.h"

#include "platform/Logging.h"

#include <cmath>

MemMod::MemMod(const MemoryStatus& memory) : m_memory(memory) {}

QByteArray MemMod::GetMemoryText()
{
    const std::optional<qint64> percent = GetMemoryPercent();
    return percent ? "MEM:" + QByteArray::number(*percent) + '%' : QByteArray();
}

std::optional<qint64> MemMod::GetMemoryPercent()
{
    QString error;
    const std::optional<MemFigures> m = m_memory.read(&error);
    if (!m) {
        if (m_report.failed())
            qCWarning(lcScreens).noquote() << "memory load unavailable:" << error;
        return std::nullopt;
    }
    m_report.succeeded();
    return memoryPercent(m->totalBytes, m->availableBytes);
}

QByteArray MemMod::memoryText(quint64 totalBytes, quint64 availableBytes)
{
    return "MEM:" + QByteArray::number(memoryPercent(totalBytes, availableBytes)) + '%';
}

qint64 MemMod::memoryPercent(quint64 totalBytes, quint64 availableBytes)
{
    const quint64 totalUnits = divideHalfEven(totalBytes, UnitBytes);
    const quint64 availableUnits = divideHalfEven(availableBytes, UnitBytes);
    qint64 percent = 0;
    if (totalUnits > 0 && availableUnits < totalUnits) {
        const quint64 used = totalUnits - availableUnits;
        percent = qint64(roundHalfEven(double(used) / double(totalUnits) * 100.0));
    }
    return percent;
}

quint64 MemMod::divideHalfEven(quint64 n, quint64 d)
{
    const quint64 q = n / d;
    const quint64 r = n % d;
    // Compare r with d - r rather than 2r with d, which could wrap.
    if (r > d - r || (r == d - r && (q & 1)))
        return q + 1;
    return q;
}

double MemMod::roundHalfEven(double x)
{
    const double down = std::floor(x);
    const double diff = x - down;
    if (diff > 0.5)
        return down + 1;
    if (diff < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}
