#include "app/views/ModulePicture.h"

#include "codec/ModuleCodec.h"
#include "lcd/DisplayModel.h"
#include "lcd/LcddScreen.h"
#include "screens/base/modCustomChar.h"
#include "sim/LcdFont.h"

using namespace CommandSet;

QByteArray ModulePicture::line(int row) const
{
    return QByteArray(reinterpret_cast<const char*>(cells.data()) + row * Columns, Columns);
}

void ModulePicture::drawDigit(int row, int column, int position, int digit)
{
    const auto cell = std::size_t(row * Columns + column);
    cells[cell] = LcdFont::largeDigitCell(digit, row, column - largeDigitColumn(position));
    digitCells[cell] = true;
}

ModulePicture ModulePicture::of(const DisplayModel& model, Characters characters)
{
    ModulePicture p;
    p.characters = characters;
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            if (const int digit = model.cellDigit(r, c); digit >= 0)
                p.drawDigit(r, c, largeDigitPosition(c), digit);
            else
                p.cells[std::size_t(r * Columns + c)] = model.cell(r, c);
        }
    }
    for (int code = 0; code < CustomCharacters; ++code)
        p.glyphs[std::size_t(code)] = model.glyph(code);
    p.backlight = model.backlight();
    p.brightness = model.brightness();
    return p;
}

ModulePicture ModulePicture::of(const LcddScreen& screen)
{
    ModulePicture p;
    p.characters =
        screen.charset == LcddScreen::Charset::Latin1 ? Characters::A02 : Characters::Ascii;
    p.glyphs = modCustomChar::Glyphs;
    p.backlight = screen.backlight;
    for (int r = 0; r < LcddScreen::Rows; ++r) {
        const QByteArray& row = screen.rows[std::size_t(r)];
        std::copy(row.begin(), row.begin() + std::min<qsizetype>(row.size(), Columns),
                  p.cells.begin() + r * Columns);
    }
    for (int position = 0; position < LcddScreen::DigitPositions; ++position) {
        const int digit = screen.digits[std::size_t(position)];
        const int left = largeDigitColumn(position);
        for (int r = 0; digit >= 0 && r < Rows; ++r)
            for (int c = left; c < left + LargeDigitWidth; ++c)
                p.drawDigit(r, c, position, digit);
    }
    if (screen.colon) {
        for (const int r : {1, 3})
            p.cells[std::size_t(r * Columns + LcddScreen::ColonColumn)] =
                ModuleCodec(p.characters).colonDot();
    }
    for (const LcddScreen::Icon& icon : screen.icons)
        p.cells[std::size_t(icon.row * Columns + icon.column)] = icon.code;
    return p;
}
