#pragma once

#include <QByteArray>

// Builders of the module's command sequences. Each one replaces the whole
// content of the output buffer it is given (the link's LcdOut); none sends.
namespace modLcdFunc {

inline constexpr unsigned char Prefix = 0xFE;

// Fixed sequences by Brellix's own code numbers 11..25; any other code leaves
// out unchanged.
void LcdCommand(QByteArray& out, int code);
void LcdBrightness(QByteArray& out, quint8 level);
void LcdCode41(QByteArray& out, quint8 value);
void LcdCursorAt(QByteArray& out, quint8 row, quint8 column);
void LcdSelectLine(QByteArray& out, quint8 line);
void LcdClearColumn(QByteArray& out, quint8 column);
// 1 to 4 digit characters, right-aligned onto the four large-digit positions;
// any other length leaves out unchanged.
void LcdBigDigits(QByteArray& out, const QByteArray& digits);

// Written straight to the port, not through LcdOut.
QByteArray DetectQuery();
QByteArray CustomCharsHeader();  // FE 64, followed by 64 row bytes
QByteArray CustomCharsTrailer(); // FE 08

} // namespace modLcdFunc
