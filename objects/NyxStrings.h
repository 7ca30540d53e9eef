#pragma once
// Text conversions between the game's 8-bit strings and the UTF-16 strings that controls
// and fonts hold: UTF-8 for captions, and the 8-bit code page (Latin-1 here) for wide
// string properties.

#include <string>
#include <string_view>

namespace qz {

// Malformed UTF-8 (stray continuation bytes, overlong forms, encoded surrogates, values
// above U+10FFFF, cut sequences) gives one U+FFFD per offending sequence; characters
// above U+FFFF become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);
// An unpaired surrogate is written as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Byte by byte: every byte becomes the code unit of the same value.
std::u16string WidenAnsi(std::string_view text);
// Code units above 255 have no 8-bit form and become "?".
std::string NarrowAnsi(std::u16string_view text);

} // namespace qz
