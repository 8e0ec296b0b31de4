#pragma once

#include <QtGlobal>

#include <array>

// The module's command set, as facts both sides read: Brellix's display model
// follows the bytes it sends by these, and the simulated module obeys them.
// Text bytes are characters (0-7 the custom ones) but for the two controls
// below; FE starts a command whose length the command byte decides.
namespace CommandSet {

inline constexpr int Columns = 20;
inline constexpr int Rows = 4;

inline constexpr quint8 Prefix = 0xFE;
// Controls among the text bytes: the cursor home (the text stays), and
// blank every cell and home.
inline constexpr quint8 Home = 0x0B;
inline constexpr quint8 Clear = 0x0D;

// Command bytes after FE.
inline constexpr quint8 BacklightOn = 0x06;
inline constexpr quint8 BacklightOff = 0x07;
inline constexpr quint8 GlyphsEnd = 0x08;
inline constexpr quint8 InitLargeDigits = 0x09;
inline constexpr quint8 Detect = 0x10; // answered with 0x65
inline constexpr quint8 Brightness = 0x28;
inline constexpr quint8 Code41 = 0x29;
inline constexpr quint8 SelectLine = 0x2D;
inline constexpr quint8 ClearColumn = 0x2E;
inline constexpr quint8 CursorAt = 0x32;   // row, column
inline constexpr quint8 LargeDigit = 0x34; // position '0'-'3', digit '0'-'9'
inline constexpr quint8 Glyphs = 0x64;

// The eight custom characters' rows (8 each, top first, 5 low bits), all
// 64 after FE 64.
inline constexpr int CustomCharacters = 8;
inline constexpr int GlyphRows = 8;
inline constexpr int GlyphBytes = CustomCharacters * GlyphRows;

inline constexpr quint8 DegreeCode = 223;

// Bytes that follow FE and the command byte; -1 for a command the module does
// not know (it drops that byte and reads on as text). Length, not content,
// ends a sequence: FE 28 FE is a brightness of 254.
constexpr int argumentCount(quint8 command)
{
    switch (command) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case BacklightOn:
    case BacklightOff:
    case GlyphsEnd:
    case InitLargeDigits:
    case Detect:
        return 0;
    case Brightness:
    case Code41:
    case SelectLine:
    case ClearColumn:
        return 1;
    case CursorAt:
    case LargeDigit:
        return 2;
    case Glyphs:
        return GlyphBytes;
    default:
        return -1;
    }
}

// The large digits: 3 columns by all 4 rows, two pairs either side of the
// colon's column.
inline constexpr int LargeDigitPositions = 4;
inline constexpr int LargeDigitWidth = 3;
inline constexpr std::array<int, LargeDigitPositions> LargeDigitColumns{1, 5, 11, 15};

// First column of a large-digit position, -1 for none.
constexpr int largeDigitColumn(int position)
{
    return position >= 0 && position < LargeDigitPositions
               ? LargeDigitColumns[std::size_t(position)]
               : -1;
}

// The position whose digit covers a column, -1 for none.
constexpr int largeDigitPosition(int column)
{
    for (int p = 0; p < LargeDigitPositions; ++p) {
        const int left = LargeDigitColumns[std::size_t(p)];
        if (column >= left && column < left + LargeDigitWidth)
            return p;
    }
    return -1;
}

} // namespace CommandSet
