#pragma once

#include "platform/MemoryStatus.h"

#include <QByteArray>
#include <QString>

#include <optional>

// MemTotal and MemAvailable of /proc/meminfo.
class ProcMemInfoReader final : public MemoryStatus
{
public:
    explicit ProcMemInfoReader(QString path = QStringLiteral("/proc/meminfo"));

    QString path() const { return m_path; }

    std::optional<MemFigures> read(QString* error = nullptr) const override;

    // Kernels before 3.14 have no MemAvailable: MemFree + Buffers + Cached
    // stands in for it there. No MemTotal, or a value that is not a number
    // of kB, is no result.
    static std::optional<MemFigures> parse(const QByteArray& meminfo);

private:
    QString m_path;
};
