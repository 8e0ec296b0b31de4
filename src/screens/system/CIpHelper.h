#pragma once

#include "screens/system/CInterfaces.h"
#include "screens/system/NetDevParser.h"

#include <QString>
#include <memory>

class MessageSink;

// The interface table: /proc/net/dev for the counters, /sys/class/net/IF/ for
// the rest. One object lives for the program's life.
class CIpHelper
{
public:
    explicit CIpHelper(MessageSink& messages, QString procNetDev = QStringLiteral("/proc/net/dev"),
                       QString sysClassNet = QStringLiteral("/sys/class/net"));

    // Every get reads the table afresh: a new collection with one item per
    // row, and new totals. Objects a caller still holds keep the old values.
    std::shared_ptr<CInterfaces> Interfaces();
    void setInterfaces(std::shared_ptr<CInterfaces> vData);

    // Octets of all rows added up, as of the last read; no new read.
    qint64 BytesReceived() const { return m_bytesReceived; }
    qint64 BytesSent() const { return m_bytesSent; }

    // The totals alone, from one read of /proc/net/dev (the network screen's
    // refresh needs nothing else). Number of rows, or -1 when the table
    // cannot be read; the totals are 0 then.
    int ReadTotals();

private:
    // Reads the table and recomputes both totals; shows the "not supported"
    // message on the first failure of a run of failures.
    std::optional<QList<NetDevParser::Row>> readTable();
    void GetIfTableRows(CInterfaces& interfaces);
    void fillFromSys(CInterface& item) const;

    MessageSink& m_messages;
    QString m_procNetDev;
    QString m_sysClassNet;
    std::shared_ptr<CInterfaces> m_interfaces;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesSent = 0;
    bool m_failureShown = false;
};
