#include "platform/linux/SysNetParser.h"

#include <QList>
#include <array>
#include <limits>
#include <utility>

namespace SysNetParser {
namespace {
constexpr unsigned IffUp = 0x1;

// ARPHRD_* -> IANA ifType
constexpr std::array<std::pair<int, qint32>, 11> TypeTable{{
    {1, 6},       // ether -> ethernetCsmacd
    {32, 199},    // infiniband
    {512, 23},    // ppp
    {768, 131},   // ipip -> tunnel
    {769, 131},   // ip6 tunnel
    {772, 24},    // loopback -> softwareLoopback
    {776, 131},   // sit
    {778, 131},   // gre
    {801, 71},    // ieee80211
    {823, 131},   // ip6gre
    {65534, 131}, // none: tun, wireguard
}};
constexpr qint32 IfTypeOther = 1;
constexpr qint32 IfTypeWireless = 71;
} // namespace

QString adapterAddress(const QByteArray& address, int addrLen)
{
    if (addrLen <= 0)
        return {};
    const QList<QByteArray> parts = address.trimmed().split(':');
    if (parts.size() < addrLen)
        return {};
    QStringList out;
    for (int i = 0; i < addrLen; ++i) {
        bool ok = false;
        const uint byte = parts[i].toUInt(&ok, 16);
        if (!ok || byte > 0xff || parts[i].size() > 2)
            return {};
        out.append(QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper());
    }
    return out.join(QLatin1Char('-'));
}

qint32 operationalStatus(const QByteArray& operstate)
{
    const QByteArray s = operstate.trimmed();
    if (s == "up")
        return 1;
    if (s == "down")
        return 2;
    if (s == "testing")
        return 3;
    if (s == "dormant")
        return 5;
    if (s == "notpresent")
        return 6;
    if (s == "lowerlayerdown")
        return 7;
    return 4;
}

qint32 adminStatus(const QByteArray& flags)
{
    bool ok = false;
    const uint value = flags.trimmed().toUInt(&ok, 0);
    if (!ok)
        return 0;
    return (value & IffUp) ? 1 : 2;
}

qint32 interfaceType(int arphrd, bool wireless)
{
    if (arphrd == 1 && wireless)
        return IfTypeWireless;
    for (const auto& [linuxType, ianaType] : TypeTable) {
        if (linuxType == arphrd)
            return ianaType;
    }
    return IfTypeOther;
}

qint64 speedBitsPerSecond(const QByteArray& speed)
{
    qint64 mbits = 0;
    if (!number(speed, mbits) || mbits <= 0 || mbits > std::numeric_limits<qint64>::max() / 1000000)
        return 0;
    return mbits * 1000000;
}

bool number(const QByteArray& text, qint64& value)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (ok)
        value = v;
    return ok;
}

} // namespace SysNetParser
