// /proc/stat text: the line of each of the first processors.
#include "FuzzSupport.h"

#include "platform/linux/ProcStatReader.h"

FUZZ_TARGET
{
    const QByteArray& text = bytes;
    for (const int cpu : {-1, 0, 1, 7, 10})
        ProcStatReader::parse(text, cpu);
    FUZZ_CHECK(!ProcStatReader::parse(text, -1));
}
