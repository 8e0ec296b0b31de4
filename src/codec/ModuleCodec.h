#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <functional>

// The one door for outside text onto the module. ASCII 32-126 stays, accented
// letters lose their accents, the degree sign becomes 223, anything else '?'.
// Control codes and 254 never come out, so no outside text can act as a command.
namespace ModuleCodec {
QByteArray fromUnicode(const QString& text);

// How a mirror shows custom character 0-7.
using CustomSymbol = std::function<QChar(int code)>;

// For mirrors on screen: module codes back to readable text, one character per
// code. 223 is the degree sign, 255 a full block, 0-7 come from custom (or, when
// none is given, the fixed symbols of the program's own glyphs) and any other
// code outside printable ASCII is a middle dot.
QString toDisplay(const QByteArray& codes, const CustomSymbol& custom = {});
} // namespace ModuleCodec
