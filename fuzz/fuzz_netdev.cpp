#include "FuzzSupport.h"

#include "platform/linux/NetDevParser.h"

FUZZ_TARGET
{
    const auto rows = NetDevParser::parse(bytes);
    FUZZ_CHECK(!rows || rows->size() <= bytes.count('\n'));
    for (const InterfaceRow& row : rows.value_or(QList<InterfaceRow>()))
        FUZZ_CHECK(!row.name.isEmpty());
}
