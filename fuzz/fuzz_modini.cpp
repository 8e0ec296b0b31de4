// The settings file reader and writer on a file of arbitrary bytes: reading
// never fails hard, and a value that was written reads back as written
// while a value under another name stays what it was.
#include "FuzzSupport.h"

#include "platform/modINI.h"

using fuzz::text;

// The names' comparison of the settings file: ASCII letters fold, nothing else.
static bool sameName(QString a, QString b)
{
    for (QString* s : {&a, &b}) {
        for (QChar& c : *s)
            c = c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c;
    }
    return a == b;
}

FUZZ_TARGET
{
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
        return;
    // Values are kept trimmed and at most MaxValueLength long; others need
    // not come back unchanged.
    if (value.trimmed() == value && value.size() <= modINI::MaxValueLength)
        FUZZ_CHECK(ini.ReadIni(section, key) == value);
    if (!(sameName(section, otherSection) && sameName(key, otherKey)))
        FUZZ_CHECK(ini.ReadIni(otherSection, otherKey) == otherBefore);
}
