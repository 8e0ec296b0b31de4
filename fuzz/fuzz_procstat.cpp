#include "FuzzSupport.h"

#include "platform/linux/ProcStatReader.h"

FUZZ_TARGET
{
    for (const int cpu : {0, 1, 7, 10})
        ProcStatReader::parse(bytes, cpu);
    FUZZ_CHECK(!ProcStatReader::parse(bytes, -1));
}
