#pragma once
// Input from the SDL window: pointer events mapped into the picture through the display's
// letterbox, keys as virtual key codes, typed text as UTF-8, focus changes and quit.

#include "archive/Helpers.h"
#include "platform/InputEvent.h"

#include <deque>
#include <optional>

union SDL_Event;

namespace qz {

class TSdlDisplay;

class TSdlEventSource final : public IEventSource {
public:
    // display may be null (no pointer mapping then); it also gets the events that concern
    // it (renderer resets, exposed window).
    explicit TSdlEventSource(TSdlDisplay* display);
    ~TSdlEventSource() override;
    TSdlEventSource(const TSdlEventSource&) = delete;
    TSdlEventSource& operator=(const TSdlEventSource&) = delete;

    std::optional<TInputEvent> Poll() override;
    std::optional<TInputEvent> Wait() override;
    // Waits until an event for the game is pending or the time is up, whichever comes
    // first; true when one is pending (Poll then returns it).
    bool WaitForEvent(uint32_t milliseconds);

    // The game's events for one SDL event, appended to out (none for events the game does
    // not handle). Pointer presses in the letterbox bars are dropped; moves and releases
    // there are clamped to the picture's edge.
    void Translate(const SDL_Event& event, std::deque<TInputEvent>& out);

private:
    TSdlDisplay* display_;
    std::deque<TInputEvent> pending_;
    TPoint pointer_; // last pointer position in the picture, for wheel events
    // The buttons held as this source's own events tell it: the mouse state read when a
    // queued event is translated may already be that of a later release.
    uint32_t buttons_ = 0;
};

} // namespace qz
