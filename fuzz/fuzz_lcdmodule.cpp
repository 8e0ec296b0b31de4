// The simulated module's byte parser: any bytes, cut into pieces of any
// size, leave a 20x4 screen with the cursor on it, and the only answer is
// the detection reply.
#include "FuzzSupport.h"

#include "sim/LcdModule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype piece = data[0] % 16 + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    LcdModule module;
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        const QByteArray reply = module.feed(bytes.mid(at, piece));
        for (const char c : reply)
            FUZZ_CHECK(quint8(c) == 0x65);
        FUZZ_CHECK(module.cursorRow() >= 0 && module.cursorRow() < LcdModule::Rows);
        FUZZ_CHECK(module.cursorColumn() >= 0 && module.cursorColumn() < LcdModule::Columns);
    }
    const QStringList lines = module.textLines();
    FUZZ_CHECK(lines.size() == LcdModule::Rows);
    for (int r = 0; r < LcdModule::Rows; ++r) {
        FUZZ_CHECK(module.line(r).size() == LcdModule::Columns);
        FUZZ_CHECK(lines[r].size() == LcdModule::Columns);
    }
    FUZZ_CHECK(module.line(LcdModule::Rows).isEmpty());
    module.dump();
    return 0;
}
