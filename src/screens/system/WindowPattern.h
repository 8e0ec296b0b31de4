#pragma once

#include <QStringView>

// The title and class patterns used to recognise a program's window, with
// the rules users know from the Windows version's settings:
//   *        any run of characters, also none
//   ?        any one character
//   #        any one digit 0-9
//   [list]   one character of the list; ranges as a-z; "-" first or last,
//            and "!" other than first, stand for themselves
//   [!list]  one character not in the list
//   []       nothing (matches the empty run)
// Anything else matches itself, case-sensitively, over the whole text.
namespace WindowPattern {

// False for a text that does not match and for a malformed pattern (an
// unclosed "[", a range that runs downwards).
bool matches(QStringView text, QStringView pattern);

// The pattern is well formed.
bool isValid(QStringView pattern);

} // namespace WindowPattern
