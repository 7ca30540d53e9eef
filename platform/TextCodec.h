#pragma once
// Text crossing the edge between the game's 8-bit strings (Latin-1) and the UTF-8 that the
// desktop's clipboard, message boxes and text input use.

#include <string>
#include <string_view>

namespace qz {

// Every byte becomes the character of the same code.
std::string Latin1ToUtf8(std::string_view text);
// Characters above U+00FF and malformed sequences become "?".
std::string Utf8ToLatin1(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Message texts may already be UTF-8 (captions) or plain 8-bit: valid UTF-8 passes
// unchanged, anything else is read as Latin-1.
std::string DisplayTextToUtf8(std::string_view text);

} // namespace qz
