// The interface statistics table of /proc/net/dev.
#include "FuzzSupport.h"

#include "platform/linux/NetDevParser.h"

FUZZ_TARGET
{
    const QByteArray& text = bytes;
    const std::optional<QList<InterfaceRow>> rows = NetDevParser::parse(text);
    if (rows) {
        FUZZ_CHECK(rows->size() <= text.count('\n'));
        for (const InterfaceRow& row : *rows)
            FUZZ_CHECK(!row.name.isEmpty());
    }
}
