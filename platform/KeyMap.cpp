#include "platform/KeyMap.h"

#include <SDL.h>

namespace qz {

namespace {

struct TKeyPair {
    SDL_Keycode Sdl;
    uint16_t Virtual;
};

constexpr TKeyPair KeyTable[] = {
    {SDLK_BACKSPACE, vkBack},
    {SDLK_TAB, vkTab},
    {SDLK_RETURN, vkReturn},
    {SDLK_RETURN2, vkReturn},
    {SDLK_KP_ENTER, vkReturn},
    {SDLK_LSHIFT, vkShift},
    {SDLK_RSHIFT, vkShift},
    {SDLK_LCTRL, vkControl},
    {SDLK_RCTRL, vkControl},
    {SDLK_LALT, vkMenu},
    {SDLK_RALT, vkMenu},
    {SDLK_PAUSE, vkPause},
    {SDLK_CAPSLOCK, vkCapital},
    {SDLK_ESCAPE, vkEscape},
    {SDLK_SPACE, vkSpace},
    {SDLK_PAGEUP, vkPrior},
    {SDLK_PAGEDOWN, vkNext},
    {SDLK_END, vkEnd},
    {SDLK_HOME, vkHome},
    {SDLK_LEFT, vkLeft},
    {SDLK_UP, vkUp},
    {SDLK_RIGHT, vkRight},
    {SDLK_DOWN, vkDown},
    {SDLK_INSERT, vkInsert},
    {SDLK_DELETE, vkDelete},
    {SDLK_KP_MULTIPLY, vkMultiply},
    {SDLK_KP_PLUS, vkAdd},
    {SDLK_KP_MINUS, vkSubtract},
    {SDLK_KP_PERIOD, vkDecimal},
    {SDLK_KP_DIVIDE, vkDivide},
    {SDLK_SEMICOLON, 186},
    {SDLK_EQUALS, 187},
    {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},
    {SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220},
    {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},
};

constexpr SDL_Keycode FunctionKeys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                        SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};

constexpr SDL_Keycode KeypadDigits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                        SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};

} // namespace

uint16_t VirtualKeyFromSdl(int32_t sdlKeycode, int32_t sdlScancode) {
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) {
        return static_cast<uint16_t>('A' + (sdlKeycode - SDLK_a));
    }
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) {
        return static_cast<uint16_t>('0' + (sdlKeycode - SDLK_0));
    }
    for (int i = 0; i < 12; ++i) {
        if (sdlKeycode == FunctionKeys[i]) {
            return static_cast<uint16_t>(vkF1 + i);
        }
    }
    for (int i = 0; i < 10; ++i) {
        if (sdlKeycode == KeypadDigits[i]) {
            return static_cast<uint16_t>(vkNumpad0 + i);
        }
    }
    for (const TKeyPair& pair : KeyTable) {
        if (pair.Sdl == sdlKeycode) {
            return pair.Virtual;
        }
    }
    // Another layout's letter (a Cyrillic one, say): the key's place names it, as it does
    // for the game's letter bindings on every keyboard.
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) {
        return static_cast<uint16_t>('A' + (sdlScancode - SDL_SCANCODE_A));
    }
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9) {
        return static_cast<uint16_t>('1' + (sdlScancode - SDL_SCANCODE_1));
    }
    if (sdlScancode == SDL_SCANCODE_0) {
        return '0';
    }
    return 0;
}

TShiftState ShiftStateFromSdl(uint16_t sdlKeymod, uint32_t sdlButtons) {
    TShiftState shift = 0;
    if (sdlKeymod & KMOD_SHIFT) {
        shift |= ssShift;
    }
    if (sdlKeymod & KMOD_CTRL) {
        shift |= ssCtrl;
    }
    if (sdlKeymod & KMOD_ALT) {
        shift |= ssAlt;
    }
    if (sdlButtons & SDL_BUTTON_LMASK) {
        shift |= ssLeft;
    }
    if (sdlButtons & SDL_BUTTON_RMASK) {
        shift |= ssRight;
    }
    if (sdlButtons & SDL_BUTTON_MMASK) {
        shift |= ssMiddle;
    }
    return shift;
}

char ControlCharacterForKey(uint16_t vk, TShiftState shift) {
    if (shift & ssAlt) {
        return 0; // Alt combinations are system keys and type nothing
    }
    switch (vk) {
    case vkBack:
    case vkTab:
    case vkReturn:
    case vkEscape:
        return static_cast<char>(vk);
    default:
        break;
    }
    if ((shift & ssCtrl) && vk >= 'A' && vk <= 'Z') {
        return static_cast<char>(vk - 'A' + 1);
    }
    return 0;
}

} // namespace qz
