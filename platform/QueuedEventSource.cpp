#include "platform/QueuedEventSource.h"

#include "platform/KeyMap.h"

#include <algorithm>
#include <utility>

namespace qz {

void TQueuedEventSource::Push(TInputEvent event, uint32_t tick) {
    const auto after =
        std::upper_bound(queue_.begin(), queue_.end(), tick,
                         [](uint32_t t, const TTimedEvent& queued) { return t < queued.Tick; });
    queue_.insert(after, TTimedEvent{tick, std::move(event)});
}

void TQueuedEventSource::PushClick(TMouseButton button, int32_t x, int32_t y, uint32_t tick) {
    Push(TInputEvent::MouseDown(button, x, y), tick);
    Push(TInputEvent::MouseUp(button, x, y), tick);
}

void TQueuedEventSource::PushKey(uint16_t key, TShiftState shift, uint32_t tick) {
    Push(TInputEvent::KeyDown(key, shift), tick);
    if (const char c = ControlCharacterForKey(key, shift)) {
        Push(TInputEvent::Typed(std::string(1, c)), tick);
    }
    Push(TInputEvent::KeyUp(key, shift), tick);
}

std::optional<TInputEvent> TQueuedEventSource::Poll() {
    if (queue_.empty()) {
        return std::nullopt;
    }
    if (clock_ != nullptr && queue_.front().Tick > clock_->Ticks()) {
        return std::nullopt;
    }
    TInputEvent event = std::move(queue_.front().Event);
    queue_.pop_front();
    return event;
}

} // namespace qz
