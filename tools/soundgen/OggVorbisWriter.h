#pragma once
// Encodes mono float samples as an Ogg Vorbis file in memory. The stream's serial number is
// given by the caller, so the same samples always give the same bytes.

#include <cstdint>
#include <vector>

namespace qz {

// quality is libvorbisenc's VBR quality, -0.1 to 1. Throws std::runtime_error when the
// encoder refuses the settings.
std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& samples, int32_t sampleRate,
                                     int32_t serial, float quality = 0.5f);

} // namespace qz
