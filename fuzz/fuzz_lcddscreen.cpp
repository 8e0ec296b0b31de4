// Any bytes, as LCDd shows them: each quoted line reads back as itself; icons stay on.
#include "FuzzSupport.h"

#include "lcd/DisplayModel.h"
#include "lcd/LcddScreen.h"

FUZZ_TARGET
{
    const int width = in.ConsumeIntegralInRange(1, 40), height = in.ConsumeIntegralInRange(1, 8);
    DisplayModel model;
    model.feed(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
    const LcddScreen screen = LcddScreen::from(model, width, height);
    for (int r = 0; r < LcddScreen::Rows; ++r) {
        const QByteArray& row = screen.rows[std::size_t(r)];
        FUZZ_CHECK(row.size() <= width && (r < height || row.isEmpty()));
        const QByteArray quoted = LcddScreen::quoted(row);
        FUZZ_CHECK(quoted.size() >= 2 && quoted.startsWith('"') && quoted.endsWith('"'));
        QByteArray back;
        for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
            FUZZ_CHECK(quint8(quoted[i]) >= 0x20 && quint8(quoted[i]) < 0x7F && quoted[i] != '"');
            i += quoted[i] == '\\';
            back += quoted[i];
        }
        FUZZ_CHECK(back == row);
    }
    for (const LcddScreen::Icon& icon : screen.icons)
        FUZZ_CHECK(icon.row < height && icon.column < width);
}
