#pragma once
// SDL key events turned into the virtual key codes the game's controls compare against,
// and the control characters that a key press also types (Enter gives 13, Ctrl+C gives 3).

#include "archive/KeyCodes.h"
#include "platform/InputEvent.h"

#include <cstdint>

namespace qz {

// The virtual key of an SDL key event, 0 for keys the game has no code for. Letters and
// digits fall back to the key's position when the layout gives no Latin letter for it.
uint16_t VirtualKeyFromSdl(int32_t sdlKeycode, int32_t sdlScancode);
// SDL modifier bits (SDL_Keymod) and mouse button bits (SDL_BUTTON masks) as a shift state.
TShiftState ShiftStateFromSdl(uint16_t sdlKeymod, uint32_t sdlButtons);
// The control character that pressing vk types, or 0: 8, 9, 13, 27 for Backspace, Tab,
// Enter, Esc, and 1..26 for Ctrl with a letter; nothing while Alt is held.
char ControlCharacterForKey(uint16_t vk, TShiftState shift);

} // namespace qz
