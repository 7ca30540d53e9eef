// The SDL window under SDL's dummy video driver (CTest sets SDL_VIDEODRIVER=dummy).

#include "platform/KeyMap.h"
#include "platform/SdlDisplay.h"
#include "platform/SdlEventSource.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace qz;

namespace {

class SdlWindow : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        TDisplayOptions options;
        options.VSync = false;
        auto opened = TSdlDisplay::Open(options);
        ASSERT_TRUE(opened.Display) << opened.Error;
        EXPECT_TRUE(opened.Error.empty());
        display = std::move(opened.Display);
        events = std::make_unique<TSdlEventSource>(display.get());
        while (events->Poll()) {
        }
    }

    std::vector<TInputEvent> Translate(const SDL_Event& e) {
        std::deque<TInputEvent> out;
        events->Translate(e, out);
        return {out.begin(), out.end()};
    }

    SDL_Event Button(uint32_t type, uint8_t button, int x, int y, uint8_t clicks = 1) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = display->WindowId();
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        e.button.clicks = clicks;
        return e;
    }

    SDL_Event Key(uint32_t type, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod,
                  uint8_t repeat = 0) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = display->WindowId();
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = scancode;
        e.key.keysym.mod = mod;
        e.key.repeat = repeat;
        return e;
    }

    std::unique_ptr<TSdlDisplay> display;
    std::unique_ptr<TSdlEventSource> events;
};

} // namespace

TEST_F(SdlWindow, PresentsBothDepthsAndSurvivesARendererReset) {
    EXPECT_FALSE(display->FullScreen());
    EXPECT_FALSE(display->VSync());
    EXPECT_EQ(display->Viewport(), (TViewport{0, 0, 800, 600}));

    std::vector<uint32_t> picture32(800 * 600, 0x00336699);
    std::vector<uint16_t> picture16(800 * 600, 0xF800);
    display->Present(picture32.data(), 800 * 4, 32);
    display->Present(picture16.data(), 800 * 2, 16);
    EXPECT_EQ(display->PresentCount(), 2u);
    EXPECT_EQ(display->UploadCount(), 2u);
    // The picture the window shows already is not uploaded again; a change in any row is.
    display->Present(picture16.data(), 800 * 2, 16);
    EXPECT_EQ(display->UploadCount(), 2u);
    picture16[800 * 599 + 799] = 0x001F;
    display->Present(picture16.data(), 800 * 2, 16);
    EXPECT_EQ(display->UploadCount(), 3u);
    EXPECT_EQ(display->PresentCount(), 4u);

    const uint32_t generation = display->TextureGeneration();
    SDL_Event reset{};
    reset.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&reset);
    EXPECT_FALSE(events->Poll().has_value()); // the display's own business
    EXPECT_EQ(display->TextureGeneration(), generation + 1);
    reset.type = SDL_RENDER_TARGETS_RESET;
    SDL_PushEvent(&reset);
    EXPECT_FALSE(events->Poll().has_value());
    EXPECT_EQ(display->TextureGeneration(), generation + 2);
    // A new texture holds nothing yet: the same picture goes up again.
    display->Present(picture16.data(), 800 * 2, 16);
    EXPECT_EQ(display->PresentCount(), 5u);
    EXPECT_EQ(display->UploadCount(), 4u);

    display->SetFullScreen(true);
    display->SetFullScreen(false);
    EXPECT_FALSE(display->FullScreen());
    display->SetSystemCursorVisible(true);
    display->SetSystemCursorVisible(false);
}

TEST_F(SdlWindow, PointerEventsMapIntoTheResizedPicture) {
    SDL_SetWindowSize(display->Window(), 1600, 900);
    SDL_Event pump;
    while (SDL_PollEvent(&pump) != 0) {
        display->HandleEvent(pump);
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(display->Window(), &w, &h);
    if (w != 1600 || h != 900) {
        GTEST_SKIP() << "the video driver did not resize the window";
    }
    EXPECT_EQ(display->Viewport(), (TViewport{200, 0, 1200, 900}));

    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = display->WindowId();
    move.motion.x = 800;
    move.motion.y = 450;
    move.motion.state = SDL_BUTTON_LMASK;
    auto out = Translate(move);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Kind, TInputKind::MouseMove);
    EXPECT_EQ((TPoint{out[0].X, out[0].Y}), (TPoint{400, 300}));
    EXPECT_TRUE(out[0].Shift & ssLeft);

    // A press on the left bar is dropped; a move there is clamped to the edge.
    EXPECT_TRUE(Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 450)).empty());
    move.motion.x = 100;
    out = Translate(move);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ((TPoint{out[0].X, out[0].Y}), (TPoint{0, 300}));
    // A release there still arrives, clamped, so that no button stays held.
    out = Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1500, 899));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], TInputEvent::MouseUp(TMouseButton::mbLeft, 799, 599, out[0].Shift));

    out = Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 200, 0, 2));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Kind, TInputKind::MouseDown);
    EXPECT_EQ(out[0].Button, TMouseButton::mbRight);
    EXPECT_TRUE(out[0].DoubleClick);
    EXPECT_EQ((TPoint{out[0].X, out[0].Y}), (TPoint{0, 0}));
    out = Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 800, 450, 3));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].DoubleClick); // the third press starts a new pair
    EXPECT_TRUE(Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 800, 450)).empty());

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    out = Translate(wheel);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].WheelDelta, -240);
    EXPECT_EQ((TPoint{out[0].X, out[0].Y}), (TPoint{400, 300})); // the last pointer position
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    EXPECT_EQ(Translate(wheel)[0].WheelDelta, 240);
    wheel.wheel.y = 0;
    EXPECT_TRUE(Translate(wheel).empty()); // sideways scrolling
}

TEST_F(SdlWindow, KeysTextFocusAndQuit) {
    auto out = Translate(Key(SDL_KEYDOWN, SDLK_F5, SDL_SCANCODE_F5, KMOD_NONE));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], TInputEvent::KeyDown(vkF1 + 4, out[0].Shift));

    out = Translate(Key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT));
    ASSERT_EQ(out.size(), 1u); // Alt+Enter types nothing
    EXPECT_EQ(out[0].Key, vkReturn);
    EXPECT_TRUE(out[0].Shift & ssAlt);

    out = Translate(Key(SDL_KEYDOWN, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL, 1));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Key, 'C');
    EXPECT_TRUE(out[0].Repeat);
    EXPECT_EQ(out[1], TInputEvent::Typed("\x03"));

    out = Translate(Key(SDL_KEYUP, SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_NONE));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Kind, TInputKind::KeyUp);
    EXPECT_EQ(out[0].Key, vkSpace);
    EXPECT_TRUE(Translate(Key(SDL_KEYDOWN, SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY, 0)).empty());

    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "\xC3\xA9");
    EXPECT_EQ(Translate(text), (std::vector<TInputEvent>{TInputEvent::Typed("\xC3\xA9")}));

    SDL_Event window{};
    window.type = SDL_WINDOWEVENT;
    window.window.windowID = display->WindowId();
    window.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    EXPECT_EQ(Translate(window), (std::vector<TInputEvent>{TInputEvent::FocusLost()}));
    window.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    EXPECT_EQ(Translate(window), (std::vector<TInputEvent>{TInputEvent::FocusGained()}));
    window.window.event = SDL_WINDOWEVENT_EXPOSED;
    EXPECT_TRUE(Translate(window).empty());

    // Through the real queue.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(events->Wait(), TInputEvent::Quit());
}

TEST(SdlDisplayFailure, ReportsWhyAndFails) {
    // A video driver that does not exist: SDL cannot start at all.
    const char* old = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = old != nullptr ? old : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    auto opened = TSdlDisplay::Open(TDisplayOptions{});
    const std::string err = testing::internal::GetCapturedStderr();
    if (old != nullptr) {
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    } else {
        unsetenv("SDL_VIDEODRIVER");
    }
    EXPECT_FALSE(opened.Display);
    EXPECT_EQ(opened.Error.rfind("Quarzel cannot open its display (SDL video: ", 0), 0u)
        << opened.Error;
    EXPECT_EQ(err, opened.Error + "\n");
}
