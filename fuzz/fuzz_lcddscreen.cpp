// Any bytes, in any character set, as LCDd shows them in ASCII or Latin-1: each quoted
// line reads back as itself; icons stay on.
#include "FuzzSupport.h"

#include "lcd/DisplayModel.h"
#include "lcd/LcddScreen.h"

FUZZ_TARGET
{
    const int width = in.ConsumeIntegralInRange(1, 40), height = in.ConsumeIntegralInRange(1, 8);
    const ModuleCodec codec(in.PickValueInArray(CharacterSets::All));
    const auto charset =
        in.ConsumeBool() ? LcddScreen::Charset::Latin1 : LcddScreen::Charset::Ascii;
    DisplayModel model;
    model.feed(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
    const LcddScreen screen = LcddScreen::from(model, codec, charset, width, height);
    for (int r = 0; r < LcddScreen::Rows; ++r) {
        const QByteArray& row = screen.rows[std::size_t(r)];
        FUZZ_CHECK(row.size() <= width && (r < height || row.isEmpty()));
        const QByteArray quoted = LcddScreen::quoted(row);
        FUZZ_CHECK(quoted.size() >= 2 && quoted.startsWith('"') && quoted.endsWith('"'));
        QByteArray back;
        for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
            const quint8 c = quint8(quoted[i]);
            FUZZ_CHECK(((c >= 0x20 && c < 0x7F) || c >= 0xA0) && c != '"');
            FUZZ_CHECK(c < 0x7F || charset == LcddScreen::Charset::Latin1);
            i += quoted[i] == '\\';
            back += quoted[i];
        }
        FUZZ_CHECK(back == row);
    }
    for (const LcddScreen::Icon& icon : screen.icons)
        FUZZ_CHECK(icon.row < height && icon.column < width);
}
