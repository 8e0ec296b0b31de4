#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// Physical memory figures in bytes.
struct MemFigures
{
    quint64 totalBytes = 0;
    quint64 availableBytes = 0;
};

// MemTotal and MemAvailable of /proc/meminfo.
class ProcMemInfoReader
{
public:
    explicit ProcMemInfoReader(QString path = QStringLiteral("/proc/meminfo"));

    QString path() const { return m_path; }

    std::optional<MemFigures> read(QString* error = nullptr) const;

    // Kernels before 3.14 have no MemAvailable: MemFree + Buffers + Cached
    // stands in for it there. No MemTotal, or a value that is not a number
    // of kB, is no result.
    static std::optional<MemFigures> parse(const QByteArray& meminfo);

private:
    QString m_path;
};
