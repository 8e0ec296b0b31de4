#include "screens/system/CIpHelper.h"

#include "platform/Logging.h"
#include "platform/UserMessage.h"
#include "screens/system/SysNetParser.h"

#include "platform/FileReading.h"
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <optional>

namespace {
// A host with thousands of veth pairs still fits; a broken file cannot eat memory.
constexpr qint64 MaxTableBytes = 16 << 20;
constexpr qint64 MaxSysFileBytes = 4096;

std::optional<QByteArray> readSysFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        // Virtual devices refuse "speed" and the like: normal, so only debug.
        qCDebug(lcScreens) << "cannot open" << path << f.errorString();
        return std::nullopt;
    }
    const QByteArray data = readCapped(f, MaxSysFileBytes);
    if (f.error() != QFileDevice::NoError) {
        qCDebug(lcScreens) << "cannot read" << path << f.errorString();
        return std::nullopt;
    }
    return data;
}

qint64 asCount(quint64 value)
{
    return value > quint64(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                               : qint64(value);
}
} // namespace

CIpHelper::CIpHelper(MessageSink& messages, QString procNetDev, QString sysClassNet)
    : m_messages(messages), m_procNetDev(std::move(procNetDev)),
      m_sysClassNet(std::move(sysClassNet)), m_interfaces(std::make_shared<CInterfaces>())
{
}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces()
{
    m_interfaces = std::make_shared<CInterfaces>();
    GetIfTableRows(*m_interfaces);
    return m_interfaces;
}

void CIpHelper::setInterfaces(std::shared_ptr<CInterfaces> vData)
{
    m_interfaces = std::move(vData);
}

int CIpHelper::ReadTotals()
{
    const auto rows = readTable();
    return rows ? int(rows->size()) : -1;
}

std::optional<QList<NetDevParser::Row>> CIpHelper::readTable()
{
    m_bytesReceived = 0;
    m_bytesSent = 0;

    std::optional<QList<NetDevParser::Row>> rows;
    QFile f(m_procNetDev);
    if (!f.open(QIODevice::ReadOnly)) {
        if (!m_failureShown)
            qCWarning(lcScreens) << "cannot open" << m_procNetDev << f.errorString();
    } else {
        const QByteArray text = readCapped(f, MaxTableBytes);
        if (f.error() != QFileDevice::NoError) {
            if (!m_failureShown)
                qCWarning(lcScreens) << "cannot read" << m_procNetDev << f.errorString();
        } else {
            rows = NetDevParser::parse(text);
            if (!rows && !m_failureShown)
                qCWarning(lcScreens) << m_procNetDev << "is not an interface statistics table";
        }
    }

    if (!rows) {
        // Once per run of failures: the screen asks every second.
        if (!m_failureShown) {
            m_failureShown = true;
            m_messages.showMessage({QStringLiteral("IP Helper is not supported by this system."),
                                    MessageSeverity::Warning, MessageCategory::Network});
        }
        return rows;
    }
    m_failureShown = false;

    // 64-bit sums: a 32-bit total overflows within hours on a busy link.
    quint64 received = 0;
    quint64 sent = 0;
    for (const NetDevParser::Row& row : *rows) {
        received += row.rxBytes;
        sent += row.txBytes;
    }
    m_bytesReceived = asCount(received);
    m_bytesSent = asCount(sent);
    return rows;
}

void CIpHelper::GetIfTableRows(CInterfaces& interfaces)
{
    const auto rows = readTable();
    if (!rows)
        return;
    for (const NetDevParser::Row& row : *rows) {
        auto item = std::make_unique<CInterface>();
        item->setInterfaceName(row.name);
        item->setOctetsReceived(asCount(row.rxBytes));
        // The kernel counts received multicast, no broadcast, and nothing
        // of the kind for transmitted packets.
        item->setNonunicastPacketsReceived(asCount(row.rxMulticast));
        item->setUnicastPacketsReceived(
            asCount(row.rxPackets >= row.rxMulticast ? row.rxPackets - row.rxMulticast : 0));
        item->setDiscardedIncomingPackets(asCount(row.rxDropped));
        item->setIncomingErrors(asCount(row.rxErrors));
        item->setOctetsSent(asCount(row.txBytes));
        item->setUnicastPacketsSent(asCount(row.txPackets));
        item->setDiscardedOutgoingPackets(asCount(row.txDropped));
        item->setOutgoingErrors(asCount(row.txErrors));
        fillFromSys(*item);
        interfaces.Add(std::move(item));
    }
}

void CIpHelper::fillFromSys(CInterface& item) const
{
    // An interface can vanish between the two reads: what is missing stays 0.
    const QDir dir(m_sysClassNet + QLatin1Char('/') + item.InterfaceName());
    const auto file = [&dir](const char* name) {
        return readSysFile(dir.filePath(QLatin1String(name)));
    };
    qint64 value = 0;

    if (const auto text = file("ifindex"); text && SysNetParser::number(*text, value))
        item.setInterfaceIndex(qint32(value));
    if (const auto text = file("mtu"); text && SysNetParser::number(*text, value))
        item.setMaximumTransmissionUnit(qint32(value));
    if (const auto text = file("tx_queue_len"); text && SysNetParser::number(*text, value))
        item.setOutputQueueLength(value);
    if (const auto text = file("statistics/rx_nohandler");
        text && SysNetParser::number(*text, value))
        item.setUnknownProtocolPackets(value);
    if (const auto text = file("speed"))
        item.setSpeed(SysNetParser::speedBitsPerSecond(*text));
    if (const auto text = file("operstate"))
        item.setOperationalStatus(SysNetParser::operationalStatus(*text));
    if (const auto text = file("flags"))
        item.setAdminStatus(SysNetParser::adminStatus(*text));
    if (const auto text = file("type"); text && SysNetParser::number(*text, value)) {
        const bool wireless = QFileInfo::exists(dir.filePath(QStringLiteral("wireless"))) ||
                              QFileInfo::exists(dir.filePath(QStringLiteral("phy80211")));
        item.setInterfaceType(SysNetParser::interfaceType(int(value), wireless));
    }
    const auto addrLen = file("addr_len");
    const auto address = file("address");
    if (addrLen && address && SysNetParser::number(*addrLen, value))
        item.setAdapterAddress(SysNetParser::adapterAddress(*address, int(value)));

    // Linux has no driver description per row; an alias set by the admin is
    // the closest, else the name.
    QString description;
    if (const auto text = file("ifalias"))
        description = QString::fromUtf8(text->trimmed());
    item.setInterfaceDescription(description.isEmpty() ? item.InterfaceName() : description);
}
