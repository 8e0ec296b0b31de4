// Outside text onto the module: whatever the text, what comes out is
// printable ASCII or the degree sign, one code per character at most, so
// no text can act as a command (0xFE) or move the cursor. The bytes are
// read as UTF-8, as Latin-1 and as raw UTF-16, which can hold unpaired
// surrogates.
#include "FuzzSupport.h"

FUZZ_TARGET
{
    for (const QString& text :
         {QString::fromUtf8(bytes), QString::fromLatin1(bytes),
          QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2)}) {
        FUZZ_CHECK(ModuleCodec::fromUnicode(text).size() <= text.size());
        FUZZ_CHECK(fuzz::onlyModuleCodes(text));
    }
    FUZZ_CHECK(ModuleCodec::toDisplay(bytes).size() == bytes.size());
}
