#pragma once

#include <QtGlobal>

#include <array>

// The module's built-in character generator, in the HD44780 style: 5x8 dots,
// ASCII 32-126, the degree sign at 223 and the full block at 255. Custom
// characters 0-7 live in the module, not here.
class LcdFont
{
public:
    using Rows = std::array<quint8, 8>;

    // Dot rows top first, bit 4 leftmost. Codes without a drawing come out as
    // a hollow box, so stray bytes show up instead of vanishing.
    static Rows rows(quint8 code);
};
