// The small files of /sys/class/net/IF/: the first byte is addr_len, the
// rest the content of every file in turn.
#include "FuzzSupport.h"

#include "platform/linux/SysNetParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int addrLen = int(int8_t(data[0]));
    const QByteArray text(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const QString address = SysNetParser::adapterAddress(text, addrLen);
    FUZZ_CHECK(address.isEmpty() || address.size() == addrLen * 3 - 1);
    const qint32 oper = SysNetParser::operationalStatus(text);
    FUZZ_CHECK(oper >= 1 && oper <= 7);
    const qint32 admin = SysNetParser::adminStatus(text);
    FUZZ_CHECK(admin >= 0 && admin <= 2);
    FUZZ_CHECK(SysNetParser::speedBitsPerSecond(text) >= 0);
    qint64 n = 0;
    SysNetParser::number(text, n);
    SysNetParser::interfaceType(int(n), text.contains("wireless"));
    return 0;
}
