#include "platform/linux/LinuxInterfaceTable.h"

#include "platform/FileReading.h"
#include "platform/Logging.h"
#include "platform/linux/NetDevParser.h"
#include "platform/linux/SysNetParser.h"

#include <QDir>
#include <QFileInfo>

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
    if (detail == Detail::Attributes) {
        for (InterfaceRow& row : *rows)
            row.attributes = attributes(row.name);
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
    qint64 value = 0;

    if (const auto text = file("ifindex"); text && SysNetParser::number(*text, value))
        a.index = qint32(value);
    if (const auto text = file("mtu"); text && SysNetParser::number(*text, value))
        a.mtu = qint32(value);
    if (const auto text = file("tx_queue_len"); text && SysNetParser::number(*text, value))
        a.outputQueueLength = value;
    if (const auto text = file("statistics/rx_nohandler");
        text && SysNetParser::number(*text, value))
        a.unknownProtocolPackets = value;
    if (const auto text = file("speed"))
        a.speed = SysNetParser::speedBitsPerSecond(*text);
    if (const auto text = file("operstate"))
        a.operationalStatus = SysNetParser::operationalStatus(*text);
    if (const auto text = file("flags"))
        a.adminStatus = SysNetParser::adminStatus(*text);
    if (const auto text = file("type"); text && SysNetParser::number(*text, value)) {
        const bool wireless = QFileInfo::exists(dir.filePath(QStringLiteral("wireless"))) ||
                              QFileInfo::exists(dir.filePath(QStringLiteral("phy80211")));
        a.type = SysNetParser::interfaceType(int(value), wireless);
    }
    const auto addrLen = file("addr_len");
    const auto address = file("address");
    if (addrLen && address && SysNetParser::number(*addrLen, value))
        a.adapterAddress = SysNetParser::adapterAddress(*address, int(value));

    // Linux has no driver description per row; an alias set by the admin is
    // the closest, else the name.
    if (const auto text = file("ifalias"))
        a.description = QString::fromUtf8(text->trimmed());
    if (a.description.isEmpty())
        a.description = name;
    return a;
}
