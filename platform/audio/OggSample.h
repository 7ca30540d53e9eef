#pragma once
// Decoding of OGG Vorbis sound files held in memory into the mixer's sample format.

#include <cstddef>
#include <optional>
#include <vector>

namespace qz {

// Interleaved stereo frames at frequency: mono is doubled to both sides, extra channels
// are dropped, and other rates are resampled linearly. No value when the bytes are no
// readable OGG Vorbis file.
std::optional<std::vector<float>> DecodeOgg(const void* bytes, size_t length, int frequency);

} // namespace qz
