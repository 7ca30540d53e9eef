#pragma once
// The game's sounds decoded for measuring, as the game plays them: Ogg Vorbis samples
// through libvorbisfile with mono sent to both sides, tracker modules rendered by
// libopenmpt from the first order to the end of the song, both at the mixer's 44100 Hz.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qz {

constexpr int32_t GameAudioRate = 44100;

// Interleaved stereo; nothing when the bytes are no Ogg Vorbis file at GameAudioRate.
std::optional<std::vector<float>> DecodeOggStereo(std::span<const uint8_t> bytes);

// Interleaved stereo of one pass through the song; nothing when libopenmpt cannot read it.
std::optional<std::vector<float>> RenderModuleStereo(std::span<const uint8_t> bytes);

} // namespace qz
