// Text as UTF-8, Latin-1 and raw UTF-16 (unpaired surrogates), in every character set: one
// code at most per character, never a control code or the command prefix.
#include "FuzzSupport.h"

FUZZ_TARGET
{
    for (const QString& text :
         {QString::fromUtf8(bytes), QString::fromLatin1(bytes),
          QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2)}) {
        for (const Characters characters : CharacterSets::All) {
            const QByteArray codes = ModuleCodec(characters).fromUnicode(text);
            FUZZ_CHECK(codes.size() <= text.size());
            FUZZ_CHECK(std::none_of(codes.begin(), codes.end(),
                                    [](char c) { return quint8(c) < 32 || quint8(c) == 254; }));
        }
        FUZZ_CHECK(fuzz::onlyModuleCodes(text));
    }
    for (const Characters characters : CharacterSets::All)
        FUZZ_CHECK(ModuleCodec(characters).toDisplay(bytes).size() == bytes.size());
}
