#include "lcd/LcddScreen.h"

#include "lcd/DisplayModel.h"

#include <algorithm>

LcddScreen::Glyph LcddScreen::glyph(quint8 code)
{
    // Brellix's custom characters (modCustomChar) against LCDd's icons; the
    // speaker and the crossed-out antenna have no icon.
    static constexpr std::array<Glyph, 8> Table{{
        {"PLAY", 0},       // 0: as 5
        {"STOP", 0},       // 1: stop
        {"PAUSE", 0},      // 2: pause
        {nullptr, 'x'},    // 3: volume at 0%
        {nullptr, '<'},    // 4: volume
        {"PLAY", 0},       // 5: playing
        {"ARROW_DOWN", 0}, // 6: connected (the antenna, drawn as a down arrow)
        {nullptr, 'x'},    // 7: not connected
    }};
    return code < Table.size() ? Table[code] : Glyph{nullptr, '?'};
}

int LcddScreen::digitX(int position, int width)
{
    const int column = CommandSet::largeDigitColumn(position);
    return column >= 0 && column + CommandSet::LargeDigitWidth <= width ? column + 1 : 0;
}

LcddScreen LcddScreen::from(const DisplayModel& model, int width, int height)
{
    LcddScreen s;
    width = std::clamp(width, 0, int(DisplayModel::Columns));
    height = std::clamp(height, 0, Rows);
    bool anyDigit = false;
    for (int p = 0; p < DigitPositions; ++p) {
        s.digits[std::size_t(p)] = model.digit(p);
        anyDigit |= model.digit(p) >= 0;
    }
    // Our colon is two dots in column 9 between the large digits; LCDd has
    // a num for it that suits its own digits.
    s.colon = anyDigit && model.cell(1, ColonColumn) == CommandSet::DegreeCode &&
              model.cell(3, ColonColumn) == CommandSet::DegreeCode;
    s.backlight = model.backlight();
    for (int r = 0; r < height; ++r) {
        QByteArray row(width, ' ');
        for (int c = 0; c < width; ++c) {
            const quint8 code = model.cell(r, c);
            if (s.colon && c == ColonColumn && (r == 1 || r == 3))
                continue;
            if (code < 8) {
                const Glyph g = glyph(code);
                if (g.icon)
                    s.icons.push_back({r, c, code});
                else
                    row[c] = g.plain;
            } else if (code == CommandSet::DegreeCode) {
                row[c] = Degree;
            } else if (code >= 0x20 && code < 0x7F) {
                row[c] = char(code);
            } else {
                row[c] = '?';
            }
        }
        while (row.endsWith(' '))
            row.chop(1);
        s.rows[std::size_t(r)] = row;
    }
    return s;
}

QByteArray LcddScreen::quoted(const QByteArray& text)
{
    QByteArray out("\"");
    for (const char c : text) {
        const auto code = quint8(c);
        if (c == '"' || c == '\\')
            out.append('\\').append(c);
        else
            out.append(code >= 0x20 && code < 0x7F ? c : '?');
    }
    return out.append('"');
}
