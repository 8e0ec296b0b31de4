#pragma once

#include <QByteArray>
#include <QString>

// The one door for outside text onto the module. ASCII 32-126 stays, accented
// letters lose their accents, the degree sign becomes 223, anything else '?'.
// Control codes and 254 never come out, so no outside text can act as a command.
namespace ModuleCodec {
QByteArray fromUnicode(const QString& text);
// For mirrors on screen: module codes back to readable text (223 as the degree
// sign, custom characters 0-7 as close symbols, 255 as a full block).
QString toDisplay(const QByteArray& codes);
} // namespace ModuleCodec
