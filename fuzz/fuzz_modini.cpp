#include "FuzzSupport.h"

#include "platform/modINI.h"

FUZZ_TARGET
{
    const QString section = fuzz::text(in), key = fuzz::text(in), value = fuzz::text(in);
    const QString otherSection = fuzz::text(in), otherKey = fuzz::text(in);
    const QString path = fuzz::scratchFolder() + QStringLiteral("/brellix.ini");
    fuzz::writeFile(path, QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
    modINI ini(path);

    FUZZ_CHECK(ini.ReadIni(section, key).size() <= modINI::MaxValueLength);
    const QString otherBefore = ini.ReadIni(otherSection, otherKey);
    if (!ini.WriteIni(section, key, value))
        return;
    // Values are kept trimmed and short.
    if (value.trimmed() == value && value.size() <= modINI::MaxValueLength)
        FUZZ_CHECK(ini.ReadIni(section, key) == value);
    // Names compare with ASCII letters folded, nothing else.
    const auto folded = [](QString s) {
        for (QChar& c : s)
            c = c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c;
        return s;
    };
    if (folded(section + QChar(0) + key) != folded(otherSection + QChar(0) + otherKey))
        FUZZ_CHECK(ini.ReadIni(otherSection, otherKey) == otherBefore);
}
