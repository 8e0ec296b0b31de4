#include "platform/linux/LinuxInternetState.h"

#include "platform/FileReading.h"

#include <QList>

namespace {
// A missing or unreadable table counts as "no default route".
QByteArray readSmall(const QString& path)
{
    return readSmallFile(path, 1 << 20, nullptr).value_or(QByteArray());
}

constexpr unsigned RouteUp = 0x1;
constexpr unsigned RouteReject = 0x200;
} // namespace

LinuxInternetState::LinuxInternetState(QString ipv4Routes, QString ipv6Routes)
    : m_v4(std::move(ipv4Routes)), m_v6(std::move(ipv6Routes))
{
}

bool LinuxInternetState::isConnected() const
{
    return hasDefaultRouteV4(readSmall(m_v4)) || hasDefaultRouteV6(readSmall(m_v6));
}

QString LinuxInternetState::defaultRouteInterface(const QByteArray& table)
{
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
    const QList<QByteArray> lines = table.split('\n');
    QString best;
    bool found = false;
    quint32 bestMetric = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool ok1 = false, ok2 = false, ok3 = false, ok4 = false;
        const unsigned dest = f[1].toUInt(&ok1, 16);
        const unsigned flags = f[3].toUInt(&ok2, 16);
        // The kernel prints the unsigned metric with %d: above 2^31 it reads
        // as negative, and is then one of the worst, not the best.
        const auto metric = quint32(f[6].toLong(&ok3));
        const unsigned mask = f[7].toUInt(&ok4, 16);
        if (!ok1 || !ok2 || !ok3 || !ok4 || dest != 0 || mask != 0 || !(flags & RouteUp) ||
            (flags & RouteReject))
            continue;
        if (f[0] == "lo")
            continue;
        if (!found || metric < bestMetric) {
            found = true;
            bestMetric = metric;
            best = QString::fromLatin1(f[0]);
        }
    }
    return best;
}

bool LinuxInternetState::hasDefaultRouteV4(const QByteArray& table)
{
    return !defaultRouteInterface(table).isEmpty();
}

bool LinuxInternetState::hasDefaultRouteV6(const QByteArray& table)
{
    // dest destlen src srclen nexthop metric refcnt use flags iface
    for (const QByteArray& line : table.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 10)
            continue;
        bool ok1 = false, ok2 = false;
        const int prefix = f[1].toInt(&ok1, 16);
        const unsigned flags = f[8].toUInt(&ok2, 16);
        if (!ok1 || !ok2 || prefix != 0 || f[0] != QByteArray(32, '0') || !(flags & RouteUp) ||
            (flags & RouteReject))
            continue;
        if (f[9] == "lo")
            continue; // the kernel's unreachable catch-all lives on lo
        return true;
    }
    return false;
}
