// Outside text onto the module: whatever the text, what comes out is
// printable ASCII or the degree sign, one code per character at most, so
// no text can act as a command (0xFE) or move the cursor (control codes).
// The bytes are read both as UTF-8 and as raw UTF-16, which can hold
// unpaired surrogates.
#include "FuzzSupport.h"

#include "codec/ModuleCodec.h"

namespace {
void check(const QString& text)
{
    FUZZ_CHECK(ModuleCodec::fromUnicode(text).size() <= text.size());
    FUZZ_CHECK(fuzz::onlyModuleCodes(text));
}
} // namespace

FUZZ_TARGET
{
    check(QString::fromUtf8(bytes));
    check(QString::fromLatin1(bytes));
    check(QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2));
    FUZZ_CHECK(ModuleCodec::toDisplay(bytes).size() == bytes.size());
}
