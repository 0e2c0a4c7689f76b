// UTF-8 from the Dart side to the UTF-16 that Windows draws and puts on the clipboard, converted
// here rather than by the platform so portable code and its tests get the same result everywhere.
// A leaf: used by the overlays, the paste and the hotkey controller.
#pragma once

#include <cstddef>
#include <string>

namespace text {

// UTF-8 to UTF-16 as MultiByteToWideChar(CP_UTF8, 0, ..., -1) does it: stops at the first zero
// byte, and each ill-formed sequence becomes one U+FFFD, counted the way the platform counts.
std::u16string toWide(const std::string& utf8);

// The same conversion of every byte, zero bytes included (each becomes a U+0000): a transcript is
// data, and whatever follows a NUL in it is the user's text too.
std::u16string toWideWhole(const std::string& utf8);

// The last `maxUnits` units of toWideWhole(utf8), never starting with the second half of a
// surrogate pair, converted from the bytes that can make them only: a huge text costs no more
// than a short one.
std::u16string toWideTail(const std::string& utf8, std::size_t maxUnits);

}  // namespace text
