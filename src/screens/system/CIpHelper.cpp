#include "screens/system/CIpHelper.h"

#include "platform/Logging.h"
#include "platform/UserMessage.h"

#include <limits>

namespace {
qint64 asCount(quint64 value)
{
    return value > quint64(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                               : qint64(value);
}

// Sums that stick at the top instead of wrapping round to small numbers.
quint64 addCapped(quint64 sum, quint64 value)
{
    return value > std::numeric_limits<quint64>::max() - sum ? std::numeric_limits<quint64>::max()
                                                             : sum + value;
}
} // namespace

CIpHelper::CIpHelper(MessageSink& messages, const InterfaceTable& table)
    : m_messages(messages), m_table(table)
{
}

int CIpHelper::readTotals()
{
    const auto rows = readTable(InterfaceTable::Detail::Counters);
    return rows ? int(rows->size()) : -1;
}

std::optional<QList<InterfaceRow>> CIpHelper::readTable(InterfaceTable::Detail detail)
{
    m_bytesReceived = 0;
    m_bytesSent = 0;

    QString error;
    auto rows = m_table.read(detail, &error);
    if (!rows) {
        // Once per run of failures: the screen asks every second.
        if (m_failure.failed()) {
            qCWarning(lcScreens) << "interface table:" << error;
            m_messages.showMessage(
                {QStringLiteral("Cannot read the network interface statistics: %1.").arg(error),
                 MessageSeverity::Warning, MessageCategory::Network});
        }
        return rows;
    }
    m_failure.succeeded();

    // 64-bit sums: a 32-bit total overflows within hours on a busy link.
    quint64 received = 0;
    quint64 sent = 0;
    for (const InterfaceRow& row : *rows) {
        if (row.loopback)
            continue; // not network traffic; the interface model still lists it
        received = addCapped(received, row.rxBytes);
        sent = addCapped(sent, row.txBytes);
    }
    m_bytesReceived = asCount(received);
    m_bytesSent = asCount(sent);
    return rows;
}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces()
{
    auto interfaces = std::make_shared<CInterfaces>();
    const auto rows = readTable(InterfaceTable::Detail::Attributes);
    if (!rows)
        return interfaces;
    for (const InterfaceRow& row : *rows) {
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

        const InterfaceAttributes& a = row.attributes;
        item->setInterfaceIndex(a.index);
        item->setMaximumTransmissionUnit(a.mtu);
        item->setOutputQueueLength(a.outputQueueLength);
        item->setUnknownProtocolPackets(a.unknownProtocolPackets);
        item->setSpeed(a.speed);
        item->setOperationalStatus(a.operationalStatus);
        item->setAdminStatus(a.adminStatus);
        item->setInterfaceType(a.type);
        item->setAdapterAddress(a.adapterAddress);
        item->setInterfaceDescription(a.description);
        interfaces->Add(std::move(item));
    }
    return interfaces;
}
