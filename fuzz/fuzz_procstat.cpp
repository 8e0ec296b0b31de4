// /proc/stat text: the line of each of the first processors.
#include "FuzzSupport.h"

#include "platform/linux/ProcStatReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const int cpu : {-1, 0, 1, 7, 10})
        ProcStatReader::parse(text, cpu);
    FUZZ_CHECK(!ProcStatReader::parse(text, -1));
    return 0;
}
