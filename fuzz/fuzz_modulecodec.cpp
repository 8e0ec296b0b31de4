// Text as UTF-8, Latin-1 and raw UTF-16 (unpaired surrogates): one code at most per character.
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
