#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// One row of the interface table. Counters and the speed are 64-bit: the
// kernel keeps 64-bit counters, and a 10 Gbit/s link does not fit in 32 bits.
class CInterface
{
public:
    // Contains a description of the interface.
    const QString& InterfaceDescription() const { return m_interfaceDescription; }
    void setInterfaceDescription(const QString& value) { m_interfaceDescription = value; }
    // Specifies the output queue length.
    qint64 OutputQueueLength() const { return m_outputQueueLength; }
    void setOutputQueueLength(qint64 value) { m_outputQueueLength = value; }
    // Specifies the number of outgoing packets that were discarded because of errors.
    qint64 OutgoingErrors() const { return m_outgoingErrors; }
    void setOutgoingErrors(qint64 value) { m_outgoingErrors = value; }
    // Specifies the number of outgoing packets that were discarded even though
    // they did not have errors.
    qint64 DiscardedOutgoingPackets() const { return m_discardedOutgoingPackets; }
    void setDiscardedOutgoingPackets(qint64 value) { m_discardedOutgoingPackets = value; }
    // Specifies the number of non-unicast packets sent through this interface.
    // Broadcast and multicast packets are included.
    qint64 NonunicastPacketsSent() const { return m_nonunicastPacketsSent; }
    void setNonunicastPacketsSent(qint64 value) { m_nonunicastPacketsSent = value; }
    // Specifies the number of unicast packets sent through this interface.
    qint64 UnicastPacketsSent() const { return m_unicastPacketsSent; }
    void setUnicastPacketsSent(qint64 value) { m_unicastPacketsSent = value; }
    // Specifies the number of octets of data sent through this interface.
    qint64 OctetsSent() const { return m_octetsSent; }
    void setOctetsSent(qint64 value) { m_octetsSent = value; }
    // Specifies the number of incoming packets that were discarded because the
    // protocol was unknown.
    qint64 UnknownProtocolPackets() const { return m_unknownProtocolPackets; }
    void setUnknownProtocolPackets(qint64 value) { m_unknownProtocolPackets = value; }
    // Specifies the number of incoming packets that were discarded because of errors.
    qint64 IncomingErrors() const { return m_incomingErrors; }
    void setIncomingErrors(qint64 value) { m_incomingErrors = value; }
    // Specifies the number of incoming packets that were discarded even though
    // they did not have errors.
    qint64 DiscardedIncomingPackets() const { return m_discardedIncomingPackets; }
    void setDiscardedIncomingPackets(qint64 value) { m_discardedIncomingPackets = value; }
    // Specifies the number of non-unicast packets received through this
    // interface. Broadcast and multicast packets are included.
    qint64 NonunicastPacketsReceived() const { return m_nonunicastPacketsReceived; }
    void setNonunicastPacketsReceived(qint64 value) { m_nonunicastPacketsReceived = value; }
    // Specifies the Maximum Transmission Unit (MTU).
    qint32 MaximumTransmissionUnit() const { return m_maximumTransmissionUnit; }
    void setMaximumTransmissionUnit(qint32 value) { m_maximumTransmissionUnit = value; }
    // Specifies the number of unicast packets received through this interface.
    qint64 UnicastPacketsReceived() const { return m_unicastPacketsReceived; }
    void setUnicastPacketsReceived(qint64 value) { m_unicastPacketsReceived = value; }
    // Specifies the number of octets of data received through this interface.
    qint64 OctetsReceived() const { return m_octetsReceived; }
    void setOctetsReceived(qint64 value) { m_octetsReceived = value; }
    // Specifies the last time the operational status changed. Linux keeps no
    // such time per interface: it stays the zero (null) date.
    const QDateTime& LastChange() const { return m_lastChange; }
    void setLastChange(const QDateTime& value) { m_lastChange = value; }
    // Specifies the operational status of the interface (ifOperStatus values:
    // 1 up, 2 down, 3 testing, 4 unknown, 5 dormant, 6 not present, 7 lower
    // layer down).
    qint32 OperationalStatus() const { return m_operationalStatus; }
    void setOperationalStatus(qint32 value) { m_operationalStatus = value; }
    // Specifies the interface is administratively enabled or disabled (1 up, 2 down).
    qint32 AdminStatus() const { return m_adminStatus; }
    void setAdminStatus(qint32 value) { m_adminStatus = value; }
    // Specifies the physical address of the adapter for this interface
    // (00-0A-95-9D-68-16).
    const QString& AdapterAddress() const { return m_adapterAddress; }
    void setAdapterAddress(const QString& value) { m_adapterAddress = value; }
    // Specifies the speed of the interface in bits per second.
    qint64 Speed() const { return m_speed; }
    void setSpeed(qint64 value) { m_speed = value; }
    // Specifies the type of interface (IANA ifType: 6 Ethernet, 24 loopback, ...).
    qint32 InterfaceType() const { return m_interfaceType; }
    void setInterfaceType(qint32 value) { m_interfaceType = value; }
    // Specifies the index that identifies the interface.
    qint32 InterfaceIndex() const { return m_interfaceIndex; }
    void setInterfaceIndex(qint32 value) { m_interfaceIndex = value; }
    // String that contains the name of the interface.
    const QString& InterfaceName() const { return m_interfaceName; }
    void setInterfaceName(const QString& value) { m_interfaceName = value; }

private:
    QString m_interfaceDescription;
    qint64 m_outputQueueLength = 0;
    qint64 m_outgoingErrors = 0;
    qint64 m_discardedOutgoingPackets = 0;
    qint64 m_nonunicastPacketsSent = 0;
    qint64 m_unicastPacketsSent = 0;
    qint64 m_octetsSent = 0;
    qint64 m_unknownProtocolPackets = 0;
    qint64 m_incomingErrors = 0;
    qint64 m_discardedIncomingPackets = 0;
    qint64 m_nonunicastPacketsReceived = 0;
    qint32 m_maximumTransmissionUnit = 0;
    qint64 m_unicastPacketsReceived = 0;
    qint64 m_octetsReceived = 0;
    QDateTime m_lastChange;
    qint32 m_operationalStatus = 0;
    qint32 m_adminStatus = 0;
    QString m_adapterAddress;
    qint64 m_speed = 0;
    qint32 m_interfaceType = 0;
    qint32 m_interfaceIndex = 0;
    QString m_interfaceName;
};
