#include "app/views/LcddPicture.h"

#include "lcd/LcddScreen.h"
#include "lcd/modLcdFunc.h"
#include "screens/base/modCustomChar.h"
#include "sim/LcdModule.h"

void LcddPicture::draw(const LcddScreen& screen, LcdModule& picture)
{
    picture.reset();
    QByteArray bytes = modLcdFunc::CustomCharsHeader();
    for (const modCustomChar::Glyph& g : modCustomChar::Glyphs)
        bytes.append(reinterpret_cast<const char*>(g.data()), int(g.size()));
    bytes += modLcdFunc::CustomCharsTrailer();
    bytes += screen.backlight ? modLcdFunc::BacklightOn() : modLcdFunc::BacklightOff();
    for (int r = 0; r < LcddScreen::Rows; ++r)
        bytes += modLcdFunc::LcdCursorAt(quint8(r), 0) + screen.rows[std::size_t(r)];
    for (int p = 0; p < LcddScreen::DigitPositions; ++p) {
        if (const int d = screen.digits[std::size_t(p)]; d >= 0)
            bytes += QByteArray("\xFE\x34") + char('0' + p) + char('0' + d);
    }
    if (screen.colon) {
        for (const quint8 row : {1, 3})
            bytes +=
                modLcdFunc::LcdCursorAt(row, LcddScreen::ColonColumn) + char(LcdModule::DegreeCode);
    }
    for (const LcddScreen::Icon& icon : screen.icons)
        bytes += modLcdFunc::LcdCursorAt(quint8(icon.row), quint8(icon.column)) + char(icon.code);
    picture.feed(bytes);
}
