#include "platform/linux/LinuxInterfaceTable.h"

#include "platform/FileReading.h"
#include "platform/Logging.h"
#include "platform/linux/NetDevParser.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <limits>
#include <utility>

namespace {
// A host with thousands of veth pairs still fits; a broken file cannot eat memory.
constexpr qint64 MaxTableBytes = 16 << 20;
constexpr qint64 MaxSysFileBytes = 4096;

std::optional<QByteArray> readSysFile(const QString& path)
{
    QString error;
    auto data = readSmallFile(path, MaxSysFileBytes, &error);
    // Virtual devices refuse "speed" and the like: normal, so only debug.
    if (!data)
        qCDebug(lcPlatform) << error;
    return data;
}

// The small files hold one decimal number and a newline.
std::optional<qint64> number(const std::optional<QByteArray>& text)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 value = text->trimmed().toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// "speed" is in Mbit/s, -1 when the link cannot tell.
qint64 speedBitsPerSecond(const std::optional<QByteArray>& text)
{
    const auto mbits = number(text);
    if (!mbits || *mbits <= 0 || *mbits > std::numeric_limits<qint64>::max() / 1000000)
        return 0;
    return *mbits * 1000000;
}

// "flags" (0x1003): 1 when IFF_UP is set, else 2; 0 when unreadable.
qint32 adminStatus(const QByteArray& flags)
{
    bool ok = false;
    const uint value = flags.trimmed().toUInt(&ok, 0);
    if (!ok)
        return 0;
    return (value & 0x1) ? 1 : 2;
}

qint32 operationalStatus(const QByteArray& operstate)
{
    constexpr std::array<std::pair<const char*, qint32>, 6> Known{{
        {"up", 1},
        {"down", 2},
        {"testing", 3},
        {"dormant", 5},
        {"notpresent", 6},
        {"lowerlayerdown", 7},
    }};
    const QByteArray state = operstate.trimmed();
    for (const auto& [name, status] : Known) {
        if (state == name)
            return status;
    }
    return 4; // unknown
}

// ARPHRD_* as IANA ifType. Wireless devices use Ethernet framing; only
// their "wireless" or "phy80211" entry tells them apart.
qint32 interfaceType(qint64 arphrd, bool wireless)
{
    constexpr std::array<std::pair<qint64, qint32>, 11> Types{{
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
    if (arphrd == 1 && wireless)
        return 71;
    for (const auto& [linuxType, ianaType] : Types) {
        if (linuxType == arphrd)
            return ianaType;
    }
    return 1; // other
}

// "address" (00:0a:95:9d:68:16) cut to "addr_len" bytes, as 00-0A-95-9D-68-16;
// empty when it is not that many hex bytes.
QString adapterAddress(const QByteArray& address, qint64 length)
{
    const QList<QByteArray> parts = address.trimmed().split(':');
    if (length <= 0 || parts.size() < length)
        return {};
    QStringList out;
    for (qsizetype i = 0; i < length; ++i) {
        bool ok = false;
        const uint byte = parts[i].toUInt(&ok, 16);
        if (!ok || byte > 0xff || parts[i].size() > 2)
            return {};
        out.append(QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper());
    }
    return out.join(QLatin1Char('-'));
}
} // namespace

LinuxInterfaceTable::LinuxInterfaceTable(QString procNetDev, QString sysClassNet)
    : m_procNetDev(std::move(procNetDev)), m_sysClassNet(std::move(sysClassNet))
{
}

std::optional<QList<InterfaceRow>> LinuxInterfaceTable::read(Detail detail, QString* error) const
{
    const auto text = readSmallFile(m_procNetDev, MaxTableBytes, error);
    if (!text)
        return std::nullopt;
    auto rows = NetDevParser::parse(*text);
    if (!rows) {
        if (error)
            *error = QStringLiteral("%1 is not an interface statistics table").arg(m_procNetDev);
        return std::nullopt;
    }
    // The table is read every second: the flags of a name are read once,
    // and the names are only sorted out again when the set changed.
    if (m_loopback.size() != rows->size())
        m_loopback.clear();
    for (InterfaceRow& row : *rows) {
        if (detail == Detail::Attributes)
            row.attributes = attributes(row.name);
        auto known = m_loopback.constFind(row.name);
        if (known == m_loopback.constEnd()) {
            // IFF_LOOPBACK; an interface that vanished meanwhile counts as not.
            const auto flags = readSysFile(m_sysClassNet + QLatin1Char('/') + row.name +
                                           QStringLiteral("/flags"));
            bool ok = false;
            const uint value = flags ? flags->trimmed().toUInt(&ok, 0) : 0;
            known = m_loopback.insert(row.name, ok && (value & 0x8));
        }
        row.loopback = *known;
    }
    return rows;
}

InterfaceAttributes LinuxInterfaceTable::attributes(const QString& name) const
{
    // An interface can vanish between the two reads: what is missing stays 0.
    InterfaceAttributes a;
    const QDir dir(m_sysClassNet + QLatin1Char('/') + name);
    const auto file = [&dir](const char* fileName) {
        return readSysFile(dir.filePath(QLatin1String(fileName)));
    };

    a.index = qint32(number(file("ifindex")).value_or(0));
    a.mtu = qint32(number(file("mtu")).value_or(0));
    a.outputQueueLength = number(file("tx_queue_len")).value_or(0);
    a.unknownProtocolPackets = number(file("statistics/rx_nohandler")).value_or(0);
    a.speed = speedBitsPerSecond(file("speed"));
    if (const auto text = file("operstate"))
        a.operationalStatus = operationalStatus(*text);
    if (const auto text = file("flags"))
        a.adminStatus = adminStatus(*text);
    if (const auto type = number(file("type"))) {
        const bool wireless = QFileInfo::exists(dir.filePath(QStringLiteral("wireless"))) ||
                              QFileInfo::exists(dir.filePath(QStringLiteral("phy80211")));
        a.type = interfaceType(*type, wireless);
    }
    const auto length = number(file("addr_len"));
    if (const auto address = file("address"); address && length)
        a.adapterAddress = adapterAddress(*address, *length);

    // Linux has no driver description per row; an alias set by the admin is
    // the closest, else the name.
    if (const auto text = file("ifalias"))
        a.description = QString::fromUtf8(text->trimmed());
    if (a.description.isEmpty())
        a.description = name;
    return a;
}
