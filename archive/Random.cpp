#include "archive/Random.h"

namespace qz {

namespace {

uint64_t SplitMix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

uint64_t RotateLeft(uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

} // namespace

void TRandom::Seed(uint64_t seed) {
    for (uint64_t& word : state_) {
        word = SplitMix(seed);
    }
}

// xoshiro256**: small, fast and the same on every machine.
uint64_t TRandom::NextBits() {
    const uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = RotateLeft(state_[3], 45);
    return result;
}

int32_t TRandom::Next(int32_t n) {
    if (n <= 0) {
        return 0;
    }
    // Multiply-shift keeps the draw unbiased enough for a game and free of division.
    return static_cast<int32_t>(((NextBits() >> 32) * static_cast<uint64_t>(n)) >> 32);
}

double TRandom::NextReal() {
    return static_cast<double>(NextBits() >> 11) * 0x1.0p-53;
}

TRandom& Random() {
    static TRandom generator;
    return generator;
}

} // namespace qz
