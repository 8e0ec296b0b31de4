#pragma once

#include "platform/InterfaceTable.h"

#include <QByteArray>
#include <QList>
#include <optional>

// Reader of the kernel's interface statistics table (/proc/net/dev):
//
// Inter-|   Receive                                                |  Transmit
//  face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets ...
//   eth0: 77073929    1603    0    0    0     0          0         0    66751     784 ...
namespace NetDevParser {

// Every row of the table, in the kernel's order. Nothing when the text is not
// such a table (missing header). Rows that do not parse are skipped. The
// attributes stay empty: the table has none.
std::optional<QList<InterfaceRow>> parse(const QByteArray& text);

} // namespace NetDevParser
