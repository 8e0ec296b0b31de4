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

void LcdCommand(QByteArray& out, int code)
{
    // Codes 11..25; note the crossed pairs 12/13 and 20,21 / 22,23.
    switch (code) {
    case 11:
        out = bytes({0x0B});
        break;
    case 12:
        out = bytes({0x0D});
        break;
    case 13:
        out = bytes({0x0C});
        break;
    case 14:
        out = bytes({0x08});
        break;
    case 15:
        out = bytes({0x0E});
        break;
    case 16:
        out = bytes({0x0F});
        break;
    case 17:
        out = bytes({Prefix, 0x01});
        break;
    case 18:
        out = bytes({Prefix, 0x02});
        break;
    case 19:
        out = bytes({Prefix, 0x03});
        break;
    case 20:
        out = bytes({Prefix, 0x06});
        break;
    case 21:
        out = bytes({Prefix, 0x07});
        break;
    case 22:
        out = bytes({Prefix, 0x04});
        break;
    case 23:
        out = bytes({Prefix, 0x05});
        break;
    case 24:
        out = bytes({Prefix, 0x08});
        break;
    case 25:
        out = bytes({Prefix, 0x09});
        break;
    default:
        break;
    }
}

void LcdBrightness(QByteArray& out, quint8 level)
{
    out = bytes({Prefix, 0x28, level});
}
void LcdCode41(QByteArray& out, quint8 value)
{
    out = bytes({Prefix, 0x29, value});
}
void LcdCursorAt(QByteArray& out, quint8 row, quint8 column)
{
    out = bytes({Prefix, 0x32, row, column});
}
void LcdSelectLine(QByteArray& out, quint8 line)
{
    out = bytes({Prefix, 0x2D, line});
}
void LcdClearColumn(QByteArray& out, quint8 column)
{
    out = bytes({Prefix, 0x2E, column});
}

void LcdBigDigits(QByteArray& out, const QByteArray& digits)
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
        return;
    QByteArray b;
    for (int i = 0; i < n; ++i) {
        const auto& [pos, idx] = order[n - 1][i];
        b.append(char(Prefix)).append(char(0x34)).append(pos).append(digits.at(idx));
    }
    out = b;
}

QByteArray DetectQuery()
{
    return bytes({Prefix, 0x10});
}
QByteArray CustomCharsHeader()
{
    return bytes({Prefix, 0x64});
}
QByteArray CustomCharsTrailer()
{
    return bytes({Prefix, 0x08});
}

} // namespace modLcdFunc
