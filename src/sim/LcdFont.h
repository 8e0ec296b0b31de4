#pragma once

#include "codec/Characters.h"

#include <QtGlobal>

#include <array>

// The module's built-in character generator, in the HD44780 style: 5x8 dots.
// Its ROM is one of Characters: ascii draws ASCII 32-126, the degree sign at
// 223 and the full block at 255; a00 and a02 the data sheet's ROMs A00 and
// A02 where Brellix's codec sends letters to them. And its large digits.
// Custom characters 0-7 live in the module, not here.
class LcdFont
{
public:
    using Rows = std::array<quint8, 8>;
    static constexpr quint8 BlockCode = 255;

    // Dot rows top first, bit 4 leftmost. Codes without a drawing come out as
    // a hollow box, so stray bytes show up instead of vanishing.
    static Rows rows(quint8 code, Characters characters = Characters::Ascii);

    // The character a large digit 0-9 (3 columns, 4 rows) shows in its cell
    // at row and column: full blocks and underscores, since the custom
    // characters belong to the program. Drawn with the ascii ROM's
    // characters whatever the module's ROM (A02 has ÿ at 255).
    static quint8 largeDigitCell(int digit, int row, int column);
};
