#include "FuzzSupport.h"

#include "platform/linux/ProcMemInfoReader.h"

FUZZ_TARGET
{
    FUZZ_CHECK(!ProcMemInfoReader::parse(bytes) || bytes.contains("MemTotal:"));
}
