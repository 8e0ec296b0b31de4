// The interface statistics table of /proc/net/dev.
#include "FuzzSupport.h"

#include "platform/linux/NetDevParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QList<InterfaceRow>> rows = NetDevParser::parse(text);
    if (rows) {
        FUZZ_CHECK(rows->size() <= text.count('\n'));
        for (const InterfaceRow& row : *rows)
            FUZZ_CHECK(!row.name.isEmpty());
    }
    return 0;
}
