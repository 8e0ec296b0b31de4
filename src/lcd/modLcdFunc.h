#pragma once

#include "codec/CommandSet.h"

#include <QByteArray>

// Builders of the module's command sequences. Each returns the whole
// sequence; LcdLink::SendLcd puts it in the output buffer and sends it.
namespace modLcdFunc {

inline constexpr unsigned char Prefix = CommandSet::Prefix;

// Fixed sequences by Brellix's own code numbers 11..25; nothing for any
// other code. Call sites use the named builders below: the numbers do not
// follow the module's order.
QByteArray LcdCommand(int code);
// Cursor to the first cell; the text stays (0B).
QByteArray CursorHome();
// Blanks every cell and homes the cursor (0D).
QByteArray ClearScreen();
QByteArray BacklightOn();  // FE 06
QByteArray BacklightOff(); // FE 07
// Loads the module's large-digit glyphs, needed before LcdBigDigits (FE 09).
QByteArray InitLargeDigits();
QByteArray LcdBrightness(quint8 level);
QByteArray LcdCode41(quint8 value);
QByteArray LcdCursorAt(quint8 row, quint8 column);
QByteArray LcdSelectLine(quint8 line);
QByteArray LcdClearColumn(quint8 column);
// 1 to 4 digit characters, right-aligned onto the four large-digit positions;
// nothing for any other length.
QByteArray LcdBigDigits(const QByteArray& digits);

// Written straight to the port, not through LcdOut.
QByteArray DetectQuery();
QByteArray CustomCharsHeader();  // FE 64, followed by 64 row bytes
QByteArray CustomCharsTrailer(); // FE 08

} // namespace modLcdFunc
