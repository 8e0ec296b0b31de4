// /proc/meminfo text.
#include "FuzzSupport.h"

#include "platform/linux/ProcMemInfoReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<MemFigures> m = ProcMemInfoReader::parse(text);
    if (m)
        FUZZ_CHECK(text.contains("MemTotal:"));
    return 0;
}
