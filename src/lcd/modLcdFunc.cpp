#include "lcd/modLcdFunc.h"

#include <array>

namespace modLcdFunc {

namespace {
QByteArray bytes(std::initializer_list<unsigned char> list)
{
    QByteArray b;
    b.reserve(int(list.size()));
    for (unsigned char c : list)
        b.append(char(c));
    return b;
}
} // namespace

QByteArray LcdCommand(int code)
{
    // Codes 11..25; note the crossed pairs 12/13 and 20,21 / 22,23.
    switch (code) {
    case 11:
        return bytes({CommandSet::Home});
    case 12:
        return bytes({CommandSet::Clear});
    case 13:
        return bytes({0x0C});
    case 14:
        return bytes({0x08});
    case 15:
        return bytes({0x0E});
    case 16:
        return bytes({0x0F});
    case 17:
        return bytes({Prefix, 0x01});
    case 18:
        return bytes({Prefix, 0x02});
    case 19:
        return bytes({Prefix, 0x03});
    case 20:
        return bytes({Prefix, CommandSet::BacklightOn});
    case 21:
        return bytes({Prefix, CommandSet::BacklightOff});
    case 22:
        return bytes({Prefix, 0x04});
    case 23:
        return bytes({Prefix, 0x05});
    case 24:
        return bytes({Prefix, CommandSet::GlyphsEnd});
    case 25:
        return bytes({Prefix, CommandSet::InitLargeDigits});
    default:
        return {};
    }
}

QByteArray CursorHome()
{
    return LcdCommand(11);
}
QByteArray ClearScreen()
{
    return LcdCommand(12);
}
QByteArray BacklightOn()
{
    return LcdCommand(20);
}
QByteArray BacklightOff()
{
    return LcdCommand(21);
}
QByteArray InitLargeDigits()
{
    return LcdCommand(25);
}

QByteArray LcdBrightness(quint8 level)
{
    return bytes({Prefix, CommandSet::Brightness, level});
}
QByteArray LcdCode41(quint8 value)
{
    return bytes({Prefix, CommandSet::Code41, value});
}
QByteArray LcdCursorAt(quint8 row, quint8 column)
{
    return bytes({Prefix, CommandSet::CursorAt, row, column});
}
QByteArray LcdSelectLine(quint8 line)
{
    return bytes({Prefix, CommandSet::SelectLine, line});
}
QByteArray LcdClearColumn(quint8 column)
{
    return bytes({Prefix, CommandSet::ClearColumn, column});
}

QByteArray LcdBigDigits(const QByteArray& digits)
{
    // Order of (position, digit index) pairs per length; the module is fed
    // in exactly this order.
    static constexpr std::array<std::array<std::pair<char, int>, 4>, 4> order{{
        {{{'3', 0}}},
        {{{'3', 1}, {'2', 0}}},
        {{{'1', 0}, {'3', 2}, {'2', 1}}},
        {{{'3', 3}, {'0', 0}, {'1', 1}, {'2', 2}}},
    }};
    const int n = int(digits.size());
    if (n < 1 || n > 4)
        return {};
    QByteArray b;
    for (int i = 0; i < n; ++i) {
        const auto& [pos, idx] = order[n - 1][i];
        b.append(char(Prefix))
            .append(char(CommandSet::LargeDigit))
            .append(pos)
            .append(digits.at(idx));
    }
    return b;
}

QByteArray DetectQuery()
{
    return bytes({Prefix, CommandSet::Detect});
}
QByteArray CustomCharsHeader()
{
    return bytes({Prefix, CommandSet::Glyphs});
}
QByteArray CustomCharsTrailer()
{
    return bytes({Prefix, CommandSet::GlyphsEnd});
}

} // namespace modLcdFunc
