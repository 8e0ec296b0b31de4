#pragma once

#include <QtGlobal>
#include <array>

class LcdLink;

// The program's eight custom characters (codes 0-7) and their upload. Rows
// top first, 5 low bits, bit 4 the leftmost pixel.
namespace modCustomChar {

using Glyph = std::array<quint8, 8>;

inline constexpr std::array<Glyph, 8> Glyphs{{
    {8, 12, 14, 15, 14, 12, 8, 0}, // 0: unused, same as 5
    {0, 0, 14, 14, 14, 14, 0, 0},  // 1: stop
    {0, 0, 27, 27, 27, 27, 0, 0},  // 2: pause
    {0, 4, 28, 28, 28, 4, 0, 0},   // 3: volume at 0%
    {0, 5, 28, 29, 28, 5, 0, 0},   // 4: volume
    {8, 12, 14, 15, 14, 12, 8, 0}, // 5: playing
    {0, 31, 17, 17, 14, 4, 4, 0},  // 6: connected
    {0, 14, 14, 4, 4, 4, 4, 0},    // 7: not connected
}};

// The own screens' bars: 1 to 5 pixel columns lit from the left in every
// row; codes 0, 6 and 7 as above.
inline constexpr std::array<Glyph, 8> BarGlyphs{{
    Glyphs[0],
    {16, 16, 16, 16, 16, 16, 16, 16}, // 1: one column (0x10)
    {24, 24, 24, 24, 24, 24, 24, 24}, // 2: 0x18
    {28, 28, 28, 28, 28, 28, 28, 28}, // 3: 0x1C
    {30, 30, 30, 30, 30, 30, 30, 30}, // 4: 0x1E
    {31, 31, 31, 31, 31, 31, 31, 31}, // 5: the full cell (0x1F)
    Glyphs[6],
    Glyphs[7],
}};

// With the port open: FE 64 and glyph 0, glyphs 1 to 7, then FE 08, as nine
// writes straight to the port, not through the output buffer. Nothing when the
// port is closed. False unless all 68 bytes went out.
bool LoadCustomChars(LcdLink& link);
// The same upload of another set (the module takes all eight at once).
bool LoadCustomChars(LcdLink& link, const std::array<Glyph, 8>& glyphs);

} // namespace modCustomChar
