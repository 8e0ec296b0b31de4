#pragma once

#include "platform/InterfaceTable.h"
#include "platform/ReportOnce.h"
#include "screens/system/CInterfaces.h"

#include <memory>
#include <optional>

class MessageSink;

// The interface table as the rest of Brellix sees it: a collection of
// CInterface rows and the octet totals. One object lives for the program's life.
class CIpHelper
{
public:
    CIpHelper(MessageSink& messages, const InterfaceTable& table);

    // Every get reads the table afresh: a new collection with one item per
    // row, and new totals. Objects a caller still holds keep the old values.
    std::shared_ptr<CInterfaces> Interfaces();

    // Octets of all rows added up, as of the last read; no new read.
    qint64 BytesReceived() const { return m_bytesReceived; }
    qint64 BytesSent() const { return m_bytesSent; }

    // The totals alone, from one read of the counters (the network screen's
    // refresh needs nothing else). Number of rows, or -1 when the table
    // cannot be read; the totals are 0 then.
    int readTotals();

private:
    // Reads the table and recomputes both totals; tells the user on the
    // first failure of a run of failures.
    std::optional<QList<InterfaceRow>> readTable(InterfaceTable::Detail detail);

    MessageSink& m_messages;
    const InterfaceTable& m_table;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesSent = 0;
    ReportOnce m_failure;
};
