#pragma once
// The routines that hide some of the game's data: a keyed 8-byte block cipher over streams
// (its own inverse), a plain-text test, the line codec of saves and high scores, and the
// derivation of the data key from the program's digit constant.

#include "archive/MemoryStream.h"

#include <string>
#include <string_view>

namespace qz {

// Used in place of an empty key; none of the game's data is enciphered with it.
inline constexpr char DefaultCipherKey = 'Q';

// The 24 digits from which start-up derives the data key (see DataKey).
inline constexpr std::string_view DataKeyDigits = "907642105941140884197448";

// Dest receives the transformed bytes of all of Source with its position at 0; Source is
// emptied. Applying it twice with the same key gives the input back.
void CipherStream(TMemoryStream& source, TMemoryStream& dest, std::string_view key);

// True when the bytes look like line-structured text (CR LF lines of at most 254 bytes).
bool IsPlainText(const TMemoryStream& stream);

// Rotates the codes 32..255 by 51 places; control characters are left alone.
std::string EncodeText(std::string_view text);
std::string DecodeText(std::string_view text);

std::string KeepDigits(std::string_view text);
// Even lengths: the character at 1-based position i moves to (2 i) mod (L + 1).
std::string ShuffleString(std::string_view text);
// Up to 8 characters with codes 1..127, read out of a digit string.
std::string DigitsToText(std::string_view text);

// The key of every enciphered level file and picture of the game.
std::string DataKey();

} // namespace qz
