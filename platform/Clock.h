#pragma once
// The millisecond tick counter every timer of the game compares against: 32 bits, so it
// wraps after about 49 days exactly as the game's tick arithmetic expects.

#include <cstdint>

namespace qz {

class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t Ticks() const = 0;
};

// Milliseconds since SDL started counting.
class TSdlClock final : public IClock {
public:
    uint32_t Ticks() const override;
};

// A clock that moves only when told: tests and headless runs step it frame by frame.
class TManualClock final : public IClock {
public:
    explicit TManualClock(uint32_t start = 0) : ticks_(start) {}

    uint32_t Ticks() const override { return ticks_; }
    void Set(uint32_t ticks) { ticks_ = ticks; }
    // Wraps past 0xFFFFFFFF like the real counter.
    void Advance(uint32_t milliseconds) { ticks_ += milliseconds; }

private:
    uint32_t ticks_;
};

} // namespace qz
