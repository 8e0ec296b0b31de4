#include "lcd/LcddScreen.h"

#include "codec/ModuleCodec.h"
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

QString LcddScreen::charsetName(Charset charset)
{
    return charset == Charset::Latin1 ? QStringLiteral("latin1") : QStringLiteral("ascii");
}

std::optional<LcddScreen::Charset> LcddScreen::parseCharset(const QString& text)
{
    for (const Charset c : {Charset::Ascii, Charset::Latin1}) {
        if (text.trimmed().compare(charsetName(c), Qt::CaseInsensitive) == 0)
            return c;
    }
    return std::nullopt;
}

namespace {
// A letter of the module's ROM as LCDd is sent it: itself when charset has
// it, else as the plain ASCII module text has it (accents dropped); 'o' for
// the degree sign there.
char lcddCharacter(QChar letter, LcddScreen::Charset charset)
{
    const char16_t u = letter.unicode();
    if (charset == LcddScreen::Charset::Latin1 && u >= 0xA0 && u <= 0xFF)
        return char(u);
    const auto plain = quint8(AsciiCodec.fromUnicode(QString(letter)).at(0));
    if (plain == AsciiCodec.degreeCode())
        return LcddScreen::Degree;
    return plain >= 0x20 && plain < 0x7F ? char(plain) : '?';
}
} // namespace

LcddScreen LcddScreen::from(const DisplayModel& model, const ModuleCodec& codec, Charset charset,
                            int width, int height)
{
    LcddScreen s;
    s.charset = charset;
    width = std::clamp(width, 0, int(DisplayModel::Columns));
    height = std::clamp(height, 0, Rows);
    bool anyDigit = false;
    for (int p = 0; p < DigitPositions; ++p) {
        s.digits[std::size_t(p)] = model.digit(p);
        anyDigit |= model.digit(p) >= 0;
    }
    // Our colon is two dots in column 9 between the large digits; LCDd has
    // a num for it that suits its own digits.
    s.colon = anyDigit && model.cell(1, ColonColumn) == codec.colonDot() &&
              model.cell(3, ColonColumn) == codec.colonDot();
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
            } else {
                const QChar letter = codec.letter(code);
                row[c] = letter.isNull() ? '?' : lcddCharacter(letter, charset);
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
            out.append((code >= 0x20 && code < 0x7F) || code >= 0xA0 ? c : '?');
    }
    return out.append('"');
}
