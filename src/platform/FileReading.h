#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <optional>

// Reads a device to its end, but never more than cap bytes. Files under /proc
// and /sys report size 0, and QIODevice::read(cap) would allocate the whole
// cap up front on every call; this grows with what is really there.
inline QByteArray readCapped(QIODevice& device, qint64 cap)
{
    QByteArray out;
    char chunk[16 * 1024];
    while (out.size() < cap) {
        const qint64 n = device.read(chunk, qMin<qint64>(qint64(sizeof chunk), cap - out.size()));
        if (n <= 0)
            break;
        out.append(chunk, qsizetype(n));
    }
    return out;
}

// A whole small file (such as one under /proc), or nothing with the reason
// in *error.
inline std::optional<QByteArray> readSmallFile(const QString& path, qint64 cap, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    QByteArray text = readCapped(f, cap);
    if (text.isEmpty() && f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    return text;
}
