// /proc/meminfo text.
#include "FuzzSupport.h"

#include "platform/linux/ProcMemInfoReader.h"

FUZZ_TARGET
{
    const QByteArray& text = bytes;
    const std::optional<MemFigures> m = ProcMemInfoReader::parse(text);
    if (m)
        FUZZ_CHECK(text.contains("MemTotal:"));
}
