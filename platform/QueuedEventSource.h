#pragma once
// The headless event source: events pushed by a test or an input script, each due at a
// tick of the given clock (or at once when there is no clock), handed out in tick order.

#include "platform/Clock.h"
#include "platform/InputEvent.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace qz {

class TQueuedEventSource final : public IEventSource {
public:
    // clock may be null: then every queued event is due at once.
    explicit TQueuedEventSource(const IClock* clock = nullptr) : clock_(clock) {}

    // Queues event to become due at tick; events of one tick keep the order they were pushed.
    void Push(TInputEvent event, uint32_t tick = 0);
    // A down and an up of button at (x, y), both due at tick.
    void PushClick(TMouseButton button, int32_t x, int32_t y, uint32_t tick = 0);
    // A key down and up, then its control character when it types one.
    void PushKey(uint16_t key, TShiftState shift = 0, uint32_t tick = 0);

    std::optional<TInputEvent> Poll() override;
    std::optional<TInputEvent> Wait() override { return Poll(); }

    size_t Pending() const { return queue_.size(); }
    void Clear() { queue_.clear(); }

private:
    struct TTimedEvent {
        uint32_t Tick;
        TInputEvent Event;
    };

    const IClock* clock_;
    std::deque<TTimedEvent> queue_;
};

} // namespace qz
