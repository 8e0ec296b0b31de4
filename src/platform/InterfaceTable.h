#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// What the system knows about one interface beyond its counters. Values it
// cannot tell stay 0 or empty.
struct InterfaceAttributes
{
    qint32 index = 0;
    qint32 mtu = 0;
    qint64 outputQueueLength = 0;
    // Received packets dropped because no protocol wanted them.
    qint64 unknownProtocolPackets = 0;
    qint64 speed = 0; // bits per second
    // ifOperStatus: 1 up, 2 down, 3 testing, 4 unknown, 5 dormant,
    // 6 not present, 7 lower layer down.
    qint32 operationalStatus = 0;
    qint32 adminStatus = 0; // 1 up, 2 down
    qint32 type = 0;        // IANA ifType: 6 Ethernet, 24 loopback, 71 wireless, ...
    QString adapterAddress; // 00-0A-95-9D-68-16
    QString description;
};

// One row of the interface table. The counters are the kernel's 64-bit ones.
struct InterfaceRow
{
    QString name;
    quint64 rxBytes = 0;
    quint64 rxPackets = 0;
    quint64 rxErrors = 0;
    quint64 rxDropped = 0;
    quint64 rxMulticast = 0;
    quint64 txBytes = 0;
    quint64 txPackets = 0;
    quint64 txErrors = 0;
    quint64 txDropped = 0;
    // Traffic on it never leaves the machine (lo).
    bool loopback = false;
    // Filled only when the read asks for them.
    InterfaceAttributes attributes;
};

// The kernel's table of network interfaces (/proc/net/dev and
// /sys/class/net on Linux).
class InterfaceTable
{
public:
    enum class Detail {
        Counters,   // the network screen's refresh every second needs no more
        Attributes, // one more look per interface
    };

    virtual ~InterfaceTable() = default;
    // Every row in the system's order, or nothing with the reason in *error.
    virtual std::optional<QList<InterfaceRow>> read(Detail detail,
                                                    QString* error = nullptr) const = 0;
};
