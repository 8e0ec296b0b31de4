#pragma once

#include <QString>

#include <array>
#include <optional>

// The character ROM of the module, as the user names it ([Display]
// Characters, --characters, the Character Set menu): which letters beyond
// ASCII the module can show, and at which codes.
//   ascii  printable ASCII only, the degree sign at 223 (what every module shows)
//   a00    the HD44780's standard (Japanese) ROM: ä ö ü ñ µ ° π Σ Ω and a few more
//   a02    the HD44780's European ROM: nearly all of Latin-1 at its own codes
enum class Characters { Ascii, A00, A02 };

namespace CharacterSets {
inline constexpr std::array All{Characters::Ascii, Characters::A00, Characters::A02};

QString name(Characters characters);
// A name of All, in any case and with spaces around; nothing for another text.
std::optional<Characters> parse(const QString& text);
// "ascii, a00, a02", for messages and help.
QString names();
} // namespace CharacterSets
