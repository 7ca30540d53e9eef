#pragma once
// The one random generator of the game and its effects: seedable, so that tests, the
// level-checking bot and effect previews repeat exactly; seeded from the clock at start-up.

#include <cstdint>

namespace qz {

class TRandom {
public:
    explicit TRandom(uint64_t seed = 1) { Seed(seed); }

    void Seed(uint64_t seed);
    // Uniform integer in [0, n); 0 when n <= 0.
    int32_t Next(int32_t n);
    // Uniform real in [0, 1).
    double NextReal();
    uint64_t NextBits();

private:
    uint64_t state_[4]{};
};

// The process-wide generator that every random draw of the game and its effects uses.
TRandom& Random();

} // namespace qz
