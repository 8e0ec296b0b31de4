#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Reader of the kernel's interface statistics table (/proc/net/dev):
//
// Inter-|   Receive                                                |  Transmit
//  face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets ...
//   eth0: 77073929    1603    0    0    0     0          0         0    66751     784 ...
namespace NetDevParser {

struct Row
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
};

// Every row of the table, in the kernel's order. Nothing when the text is not
// such a table (missing header). Rows that do not parse are skipped.
std::optional<QList<Row>> parse(const QByteArray& text);

} // namespace NetDevParser
