// Any bytes, in pieces the first byte sizes: a 20x4 screen, the cursor on it.
#include "FuzzSupport.h"

#include "sim/LcdModule.h"

FUZZ_TARGET
{
    const qsizetype piece = bytes.isEmpty() ? 1 : quint8(bytes[0]) % 16 + 1;
    LcdModule module;
    for (qsizetype at = 1; at < bytes.size(); at += piece) {
        const QByteArray reply = module.feed(bytes.mid(at, piece));
        FUZZ_CHECK(reply.count('\x65') == reply.size());
        FUZZ_CHECK(module.cursorRow() >= 0 && module.cursorRow() < LcdModule::Rows);
        FUZZ_CHECK(module.cursorColumn() >= 0 && module.cursorColumn() < LcdModule::Columns);
    }
    const QStringList lines = module.textLines();
    FUZZ_CHECK(lines.size() == LcdModule::Rows && module.line(LcdModule::Rows).isEmpty());
    for (int r = 0; r < LcdModule::Rows; ++r)
        FUZZ_CHECK(module.line(r).size() == LcdModule::Columns &&
                   lines[r].size() == LcdModule::Columns);
    module.dump();
}
