#pragma once
// Holds the frame loop of a window to a frame rate when its presents do not wait for the
// monitor (vertical sync off or not honoured): a frame that came sooner than one period
// makes the loop wait for the next one instead of drawing again at once. The wait gives
// way to input, so events are read as soon as they arrive. Frames that take a whole period
// by themselves, as presents that wait for the monitor do, are never held back.

#include <cstdint>
#include <functional>

namespace qz {

class TFramePacer {
public:
    // Microseconds of a steady clock.
    using TClock = std::function<uint64_t()>;
    // Waits at most that many microseconds; true when it ended early because input arrived.
    using TWait = std::function<bool(uint64_t)>;

    TFramePacer(TClock clock, TWait wait);

    // Frames per second to hold to; 0 lets every frame through at once.
    void SetRate(int32_t framesPerSecond);
    int32_t Rate() const { return rate_; }

    // Before a frame: waits until it is due. False when input arrived first; the loop then
    // reads it and calls again, and the frame stays due at the same time.
    bool WaitForFrame();
    // After the frame has been presented.
    void FrameShown();

    // Whether the last frame came sooner than one period, so that the next one is held back.
    bool Holding() const { return holding_; }

private:
    TClock clock_;
    TWait wait_;
    int32_t rate_ = 0;
    uint64_t period_ = 0; // microseconds; 0 when off
    uint64_t due_ = 0;    // when the next frame may start
    uint64_t start_ = 0;  // when the frame now being drawn started
    bool holding_ = false;
};

} // namespace qz
