#pragma once
// The virtual key codes of the game: what the window's key events carry and what the
// controls and the game screen compare against.

#include <cstdint>

namespace qz {

inline constexpr uint16_t vkBack = 8;
inline constexpr uint16_t vkTab = 9;
inline constexpr uint16_t vkReturn = 13;
inline constexpr uint16_t vkShift = 16;
inline constexpr uint16_t vkControl = 17;
inline constexpr uint16_t vkMenu = 18; // either Alt key
inline constexpr uint16_t vkPause = 19;
inline constexpr uint16_t vkCapital = 20;
inline constexpr uint16_t vkEscape = 27;
inline constexpr uint16_t vkSpace = 32;
inline constexpr uint16_t vkPrior = 33; // Page Up
inline constexpr uint16_t vkNext = 34;  // Page Down
inline constexpr uint16_t vkEnd = 35;
inline constexpr uint16_t vkHome = 36;
inline constexpr uint16_t vkLeft = 37;
inline constexpr uint16_t vkUp = 38;
inline constexpr uint16_t vkRight = 39;
inline constexpr uint16_t vkDown = 40;
inline constexpr uint16_t vkInsert = 45;
inline constexpr uint16_t vkDelete = 46;
inline constexpr uint16_t vkNumpad0 = 96; // to vkNumpad0 + 9
inline constexpr uint16_t vkMultiply = 106;
inline constexpr uint16_t vkAdd = 107;
inline constexpr uint16_t vkSubtract = 109;
inline constexpr uint16_t vkDecimal = 110;
inline constexpr uint16_t vkDivide = 111;
inline constexpr uint16_t vkF1 = 112; // to vkF1 + 11 for F12
// Digits and letters are their upper-case ASCII codes: '0'..'9', 'A'..'Z'.

} // namespace qz
