#include "platform/linux/ProcMemInfoReader.h"

#include "platform/FileReading.h"

#include <initializer_list>
#include <limits>

namespace {
constexpr qint64 MaxMemInfoSize = 64 * 1024;
constexpr quint64 MaxBytes = std::numeric_limits<quint64>::max();
constexpr quint64 MaxKiB = MaxBytes / 1024;

// "Key:   123 kB" -> bytes; nullopt for anything else.
std::optional<quint64> bytesOf(const QList<QByteArray>& fields)
{
    if (fields.size() != 3 || fields[2] != "kB")
        return std::nullopt;
    bool ok = false;
    const quint64 kib = fields[1].toULongLong(&ok);
    if (!ok || kib > MaxKiB)
        return std::nullopt;
    return kib * 1024;
}
} // namespace

ProcMemInfoReader::ProcMemInfoReader(QString path) : m_path(std::move(path)) {}

std::optional<MemFigures> ProcMemInfoReader::read(QString* error) const
{
    // Files under /proc report size 0: readSmallFile reads to the end, capped.
    const std::optional<QByteArray> text = readSmallFile(m_path, MaxMemInfoSize, error);
    if (!text)
        return std::nullopt;
    const std::optional<MemFigures> figures = parse(*text);
    if (!figures && error)
        *error = QStringLiteral("%1 has no usable MemTotal").arg(m_path);
    return figures;
}

std::optional<MemFigures> ProcMemInfoReader::parse(const QByteArray& meminfo)
{
    std::optional<quint64> total, available, free, buffers, cached;
    for (const QByteArray& line : meminfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const QByteArray& key = fields.first();
        std::optional<quint64>* target = nullptr;
        if (key == "MemTotal:")
            target = &total;
        else if (key == "MemAvailable:")
            target = &available;
        else if (key == "MemFree:")
            target = &free;
        else if (key == "Buffers:")
            target = &buffers;
        else if (key == "Cached:")
            target = &cached;
        if (target && !*target)
            *target = bytesOf(fields);
    }
    if (!total)
        return std::nullopt;
    MemFigures m;
    m.totalBytes = *total;
    if (available) {
        m.availableBytes = *available;
    } else if (free) {
        // Each figure can come close to 2^64 bytes: a wrapped sum would make
        // a nonsense file look nearly full, so the sum stops at the top.
        m.availableBytes = *free;
        for (const quint64 more : {buffers.value_or(0), cached.value_or(0)})
            m.availableBytes =
                more > MaxBytes - m.availableBytes ? MaxBytes : m.availableBytes + more;
    } else {
        return std::nullopt;
    }
    return m;
}
