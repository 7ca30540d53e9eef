#include "platform/SdlEventSource.h"

#include "platform/KeyMap.h"
#include "platform/SdlDisplay.h"

#include <SDL.h>

namespace qz {

namespace {

std::optional<TMouseButton> ButtonFromSdl(uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return TMouseButton::mbLeft;
    case SDL_BUTTON_RIGHT:
        return TMouseButton::mbRight;
    case SDL_BUTTON_MIDDLE:
        return TMouseButton::mbMiddle;
    default:
        return std::nullopt;
    }
}

} // namespace

TSdlEventSource::TSdlEventSource(TSdlDisplay* display) : display_(display) {
    SDL_InitSubSystem(SDL_INIT_EVENTS);
    SDL_StartTextInput();
}

TSdlEventSource::~TSdlEventSource() {
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

std::optional<TInputEvent> TSdlEventSource::Poll() {
    SDL_Event event;
    while (pending_.empty() && SDL_PollEvent(&event) != 0) {
        Translate(event, pending_);
    }
    if (pending_.empty()) {
        return std::nullopt;
    }
    TInputEvent next = std::move(pending_.front());
    pending_.pop_front();
    return next;
}

std::optional<TInputEvent> TSdlEventSource::Wait() {
    SDL_Event event;
    while (pending_.empty()) {
        if (SDL_WaitEvent(&event) == 0) {
            return std::nullopt;
        }
        Translate(event, pending_);
    }
    TInputEvent next = std::move(pending_.front());
    pending_.pop_front();
    return next;
}

bool TSdlEventSource::WaitForEvent(uint32_t milliseconds) {
    const uint32_t start = SDL_GetTicks();
    SDL_Event event;
    while (pending_.empty()) {
        const uint32_t waited = SDL_GetTicks() - start;
        if (waited >= milliseconds ||
            SDL_WaitEventTimeout(&event, static_cast<int>(milliseconds - waited)) == 0) {
            break;
        }
        Translate(event, pending_);
    }
    return !pending_.empty();
}

void TSdlEventSource::Translate(const SDL_Event& event, std::deque<TInputEvent>& out) {
    if (display_ != nullptr && display_->HandleEvent(event)) {
        return;
    }
    const auto map = [&](int32_t x, int32_t y) {
        return display_ != nullptr ? display_->MapPointer(x, y) : TPointerHit{TPoint{x, y}, true};
    };
    const auto keymod = static_cast<uint16_t>(SDL_GetModState());

    switch (event.type) {
    case SDL_QUIT:
        out.push_back(TInputEvent::Quit());
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            out.push_back(TInputEvent::FocusGained());
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            out.push_back(TInputEvent::FocusLost());
        }
        break;
    case SDL_MOUSEMOTION: {
        const TPointerHit hit = map(event.motion.x, event.motion.y);
        pointer_ = hit.Point;
        buttons_ = event.motion.state;
        out.push_back(TInputEvent::MouseMove(hit.Point.X, hit.Point.Y,
                                             ShiftStateFromSdl(keymod, event.motion.state)));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const auto button = ButtonFromSdl(event.button.button);
        if (!button) {
            break;
        }
        const TPointerHit hit = map(event.button.x, event.button.y);
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (down && !hit.Inside) {
            break; // a press on a bar is not a press on the picture
        }
        pointer_ = hit.Point;
        const uint32_t mask = SDL_BUTTON(event.button.button);
        buttons_ = down ? buttons_ | mask : buttons_ & ~mask;
        const TShiftState shift = ShiftStateFromSdl(keymod, buttons_);
        if (down) {
            // Every second press of a series counts as a double click, as on the desktop.
            const bool dbl = event.button.clicks >= 2 && event.button.clicks % 2 == 0;
            out.push_back(TInputEvent::MouseDown(*button, hit.Point.X, hit.Point.Y, shift, dbl));
        } else {
            out.push_back(TInputEvent::MouseUp(*button, hit.Point.X, hit.Point.Y, shift));
        }
        break;
    }
    case SDL_MOUSEWHEEL: {
        int32_t notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
            notches = -notches;
        }
        if (notches != 0) {
            out.push_back(TInputEvent::MouseWheel(notches * WheelDeltaPerNotch, pointer_.X,
                                                  pointer_.Y, ShiftStateFromSdl(keymod, buttons_)));
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint16_t vk = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
        if (vk == 0) {
            break;
        }
        const TShiftState shift = ShiftStateFromSdl(event.key.keysym.mod, buttons_);
        if (event.type == SDL_KEYUP) {
            out.push_back(TInputEvent::KeyUp(vk, shift));
            break;
        }
        out.push_back(TInputEvent::KeyDown(vk, shift, event.key.repeat != 0));
        // SDL types no control characters; the edit control needs them (Ctrl+C, Enter ...).
        if (const char c = ControlCharacterForKey(vk, shift)) {
            out.push_back(TInputEvent::Typed(std::string(1, c)));
        }
        break;
    }
    case SDL_TEXTINPUT:
        if (event.text.text[0] != '\0') {
            out.push_back(TInputEvent::Typed(event.text.text));
        }
        break;
    default:
        break;
    }
}

} // namespace qz
