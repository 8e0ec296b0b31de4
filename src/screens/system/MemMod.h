#pragma once

#include "platform/MemoryStatus.h"
#include "platform/ReportOnce.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Memory load as "MEM:n%" from MemTotal and MemAvailable.
class MemMod
{
public:
    // The memory unit of the figures: 1043321 bytes, not 1 MiB; the
    // percentages users know from earlier versions depend on it.
    static constexpr quint64 UnitBytes = 1043321;

    // memory is not owned and must outlive the object.
    explicit MemMod(const MemoryStatus& memory);

    // Fresh figures on every call; the empty text when they cannot be read.
    QByteArray GetMemoryText();
    // The same figures as a whole percent; nothing when they cannot be read.
    std::optional<qint64> GetMemoryPercent();

    // Sizes in units rounded with halves to even, the used share of the
    // total in percent, again halves to even. A total that rounds to 0
    // units, or more available than total, shows as 0%.
    static QByteArray memoryText(quint64 totalBytes, quint64 availableBytes);
    static qint64 memoryPercent(quint64 totalBytes, quint64 availableBytes);
    // n / d rounded to the nearest whole number, halves to even; d > 0.
    static quint64 divideHalfEven(quint64 n, quint64 d);
    // x rounded to the nearest whole number, halves to even.
    static double roundHalfEven(double x);

private:
    const MemoryStatus& m_memory;
    ReportOnce m_report;
};
