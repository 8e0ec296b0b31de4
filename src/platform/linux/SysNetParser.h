#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Turns the small files of /sys/class/net/IF/ into the values of the
// interface table. Each takes the file's content as read (newline included).
namespace SysNetParser {

// "address" with "addr_len": the first addrLen bytes, two upper-case hex
// digits each, joined by "-" (00-0A-95-9D-68-16). Empty when addrLen is 0 or
// the text is not a colon-separated byte list that long.
QString adapterAddress(const QByteArray& address, int addrLen);
// "operstate" as ifOperStatus: up 1, down 2, testing 3, unknown 4, dormant 5,
// notpresent 6, lowerlayerdown 7; anything else 4.
qint32 operationalStatus(const QByteArray& operstate);
// "flags" (hex, 0x1003): 1 when IFF_UP is set, else 2. 0 when unreadable.
qint32 adminStatus(const QByteArray& flags);
// "type" (ARPHRD_*) as IANA ifType; Ethernet framing on a wireless device is 71.
qint32 interfaceType(int arphrd, bool wireless);
// "speed" in Mbit/s as bits per second; 0 for unknown (-1) or unreadable.
qint64 speedBitsPerSecond(const QByteArray& speed);
// A decimal integer file; false when it is not one.
bool number(const QByteArray& text, qint64& value);

} // namespace SysNetParser
