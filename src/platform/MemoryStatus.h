#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Physical memory figures in bytes.
struct MemFigures
{
    quint64 totalBytes = 0;
    quint64 availableBytes = 0;
};

// Where the memory figures come from (/proc/meminfo on Linux).
class MemoryStatus
{
public:
    virtual ~MemoryStatus() = default;
    virtual std::optional<MemFigures> read(QString* error = nullptr) const = 0;
};
