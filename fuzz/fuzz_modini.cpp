// The settings file reader and writer on a file of arbitrary bytes: reading
// never fails hard, and a value that was written reads back as written
// while a value under another name stays what it was.
#include "FuzzSupport.h"

#include "platform/modINI.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString text(FuzzedDataProvider& in)
{
    return QString::fromStdString(in.ConsumeRandomLengthString(300));
}

// The names' comparison of the settings file: ASCII letters fold, nothing else.
bool sameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x += 32;
        if (y >= 'A' && y <= 'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString section = text(in), key = text(in), value = text(in);
    const QString otherSection = text(in), otherKey = text(in);
    const std::string rest = in.ConsumeRemainingBytesAsString();

    const QString path = fuzz::scratchFolder() + QStringLiteral("/brellix.ini");
    fuzz::writeFile(path, QByteArray::fromStdString(rest));
    modINI ini(path);

    const QString before = ini.ReadIni(section, key);
    FUZZ_CHECK(before.size() <= modINI::MaxValueLength);
    const QString otherBefore = ini.ReadIni(otherSection, otherKey);

    if (!ini.WriteIni(section, key, value))
        return 0;
    // Values are kept trimmed and at most MaxValueLength long; others need
    // not come back unchanged.
    if (value.trimmed() == value && value.size() <= modINI::MaxValueLength)
        FUZZ_CHECK(ini.ReadIni(section, key) == value);
    if (!(sameName(section, otherSection) && sameName(key, otherKey)))
        FUZZ_CHECK(ini.ReadIni(otherSection, otherKey) == otherBefore);
    return 0;
}
