#pragma once
// Peak and loudness of decoded stereo audio, measured the way a listener hears it: the
// signal K-weighted and its power summed over both channels as in ITU-R BS.1770, in LUFS.
// Short sound effects are judged by their loudest 400 ms (the momentary loudness of
// EBU R 128), music by its gated loudness over the whole piece.

#include <cstdint>
#include <span>

namespace qz {

// Interleaved left, right frames.
using TStereo = std::span<const float>;

// The largest sample value in dB below full scale (0 dBFS = 1.0); -200 for silence.
double PeakDb(TStereo stereo);

// The loudest 400 ms window, moved in 10 ms steps over the sound with silence on both
// sides, so that a sound shorter than the window counts its energy over 400 ms.
double MaxMomentaryLufs(TStereo stereo, int32_t rate);

// The mean power of the 400 ms blocks (75 % overlap) that pass the absolute gate of
// -70 LUFS and the relative gate 10 LU under the mean of those; -200 when none passes.
double IntegratedLufs(TStereo stereo, int32_t rate);

} // namespace qz
