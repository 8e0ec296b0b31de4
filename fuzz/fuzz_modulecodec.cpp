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
    const QByteArray codes = ModuleCodec::fromUnicode(text);
    FUZZ_CHECK(codes.size() <= text.size());
    for (const char c : codes) {
        const auto b = quint8(c);
        FUZZ_CHECK((b >= 32 && b <= 126) || b == 223);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        utf16[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    check(utf16);

    const QByteArray codes(bytes, qsizetype(size));
    FUZZ_CHECK(ModuleCodec::toDisplay(codes).size() == codes.size());
    return 0;
}
