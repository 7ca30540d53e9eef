#include "platform/Clock.h"
#include "platform/KeyMap.h"
#include "platform/QueuedEventSource.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace qz;

TEST(KeyMap, GameKeysGetTheirVirtualCodes) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), 8);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_TAB, SDL_SCANCODE_TAB), 9);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 27);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 32);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEUP, SDL_SCANCODE_PAGEUP), 33);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN), 34);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_END, SDL_SCANCODE_END), 35);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_HOME, SDL_SCANCODE_HOME), 36);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT), 37);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP, SDL_SCANCODE_UP), 38);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN), 40);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DELETE, SDL_SCANCODE_DELETE), 46);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1, SDL_SCANCODE_F1), 112);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F2, SDL_SCANCODE_F2), 113);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F9, SDL_SCANCODE_F9), 120);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 123);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), vkShift);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_5, SDL_SCANCODE_KP_5), vkNumpad0 + 5);
}

TEST(KeyMap, LettersAndDigitsAreUpperCaseAscii) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 'A');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_b, SDL_SCANCODE_B), 'B');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), '0');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), '9');
    // A French keyboard: the key at Q's place types "a", and that is what counts.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_Q), 'A');
    // A Cyrillic layout gives no Latin letter: the key's place names it.
    EXPECT_EQ(VirtualKeyFromSdl(0x0438, SDL_SCANCODE_B), 'B');
    EXPECT_EQ(VirtualKeyFromSdl(0x0438, SDL_SCANCODE_0), '0');
    // Keys the game has no code for.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), 0);
}

TEST(KeyMap, ShiftStateAndControlCharacters) {
    EXPECT_EQ(ShiftStateFromSdl(KMOD_LSHIFT, 0), ssShift);
    EXPECT_EQ(ShiftStateFromSdl(KMOD_RCTRL | KMOD_LALT, 0), ssCtrl | ssAlt);
    EXPECT_EQ(ShiftStateFromSdl(KMOD_NUM, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK), ssLeft | ssRight);
    EXPECT_EQ(ShiftStateFromSdl(0, SDL_BUTTON_MMASK), ssMiddle);

    EXPECT_EQ(ControlCharacterForKey(vkReturn, 0), 13);
    EXPECT_EQ(ControlCharacterForKey(vkBack, ssShift), 8);
    EXPECT_EQ(ControlCharacterForKey(vkEscape, 0), 27);
    EXPECT_EQ(ControlCharacterForKey('A', ssCtrl), 1);
    EXPECT_EQ(ControlCharacterForKey('C', ssCtrl | ssShift), 3);
    EXPECT_EQ(ControlCharacterForKey('V', ssCtrl), 22);
    EXPECT_EQ(ControlCharacterForKey('X', ssCtrl), 24);
    EXPECT_EQ(ControlCharacterForKey('A', 0), 0);          // a plain letter comes as text input
    EXPECT_EQ(ControlCharacterForKey('1', ssCtrl), 0);     // no control character for digits
    EXPECT_EQ(ControlCharacterForKey(vkReturn, ssAlt), 0); // Alt+Enter switches the mode
    EXPECT_EQ(ControlCharacterForKey(vkF1 + 4, 0), 0);
}

TEST(QueuedEvents, DueInTickOrderKeepingPushOrderWithinATick) {
    TManualClock clock(100);
    TQueuedEventSource source(&clock);
    source.Push(TInputEvent::MouseMove(5, 6), 300);
    source.Push(TInputEvent::KeyDown(vkF1 + 1), 200);
    source.PushClick(TMouseButton::mbRight, 10, 20, 200);
    source.Push(TInputEvent::FocusLost(), 100);

    EXPECT_EQ(source.Poll(), TInputEvent::FocusLost());
    EXPECT_FALSE(source.Poll().has_value()); // nothing else due at 100
    clock.Set(250);
    EXPECT_EQ(source.Poll(), TInputEvent::KeyDown(vkF1 + 1));
    EXPECT_EQ(source.Poll(), TInputEvent::MouseDown(TMouseButton::mbRight, 10, 20));
    EXPECT_EQ(source.Wait(), TInputEvent::MouseUp(TMouseButton::mbRight, 10, 20));
    EXPECT_FALSE(source.Wait().has_value()); // a queue never blocks
    EXPECT_EQ(source.Pending(), 1u);
    clock.Advance(50);
    const auto move = source.Poll();
    ASSERT_TRUE(move.has_value());
    EXPECT_EQ(move->Kind, TInputKind::MouseMove);
    EXPECT_EQ(move->X, 5);
    EXPECT_EQ(move->Y, 6);
    EXPECT_EQ(source.Pending(), 0u);
}

TEST(QueuedEvents, KeyWithControlCharacterAndNoClock) {
    TQueuedEventSource source;
    source.PushKey('C', ssCtrl, 5000); // no clock: due at once whatever the tick
    source.PushKey('Q');
    EXPECT_EQ(source.Poll(), TInputEvent::KeyDown('Q'));
    EXPECT_EQ(source.Poll(), TInputEvent::KeyUp('Q'));
    EXPECT_EQ(source.Poll(), TInputEvent::KeyDown('C', ssCtrl));
    EXPECT_EQ(source.Poll(), TInputEvent::Typed("\x03"));
    EXPECT_EQ(source.Poll(), TInputEvent::KeyUp('C', ssCtrl));
    EXPECT_FALSE(source.Poll().has_value());

    // A press carries its own button, a release no longer does (a quick click may be read
    // after the button is up again).
    const TInputEvent dbl = TInputEvent::MouseDown(TMouseButton::mbLeft, 1, 2, ssShift, true);
    EXPECT_TRUE(dbl.DoubleClick);
    EXPECT_EQ(dbl.Shift, ssShift | ssDouble | ssLeft);
    EXPECT_EQ(TInputEvent::MouseUp(TMouseButton::mbRight, 1, 2, ssRight | ssLeft).Shift, ssLeft);
}

TEST(ManualClock, StepsAndWrapsLikeTheTickCounter) {
    TManualClock clock(0xFFFFFFF0u);
    clock.Advance(0x20);
    EXPECT_EQ(clock.Ticks(), 0x10u);
    clock.Set(7);
    EXPECT_EQ(clock.Ticks(), 7u);

    TSdlClock real;
    const uint32_t a = real.Ticks();
    SDL_Delay(2);
    EXPECT_GE(real.Ticks() - a, 2u);
}
