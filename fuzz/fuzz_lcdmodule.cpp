// The simulated module's byte parser: any bytes, cut into pieces of any
// size, leave a 20x4 screen with the cursor on it, and the only answer is
// the detection reply.
#include "FuzzSupport.h"

#include "sim/LcdModule.h"

FUZZ_TARGET
{
    if (bytes.isEmpty())
        return;
    const qsizetype piece = quint8(bytes[0]) % 16 + 1;
    LcdModule module;
    for (qsizetype at = 1; at < bytes.size(); at += piece) {
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
}
