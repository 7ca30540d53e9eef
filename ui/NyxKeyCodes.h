#pragma once
// The virtual key codes the controls react to, as the host passes them to KeyDown.

#include <cstdint>

namespace qz::nyxkey {

inline constexpr uint16_t VkBack = 8;
inline constexpr uint16_t VkPageUp = 33;
inline constexpr uint16_t VkPageDown = 34;
inline constexpr uint16_t VkEnd = 35;
inline constexpr uint16_t VkHome = 36;
inline constexpr uint16_t VkLeft = 37;
inline constexpr uint16_t VkUp = 38;
inline constexpr uint16_t VkRight = 39;
inline constexpr uint16_t VkDown = 40;
inline constexpr uint16_t VkDelete = 46;

} // namespace qz::nyxkey
