#pragma once
// Sound files made on the spot for the audio tests: an OGG Vorbis tone and a tiny XM module.

#include <cstddef>
#include <string>

namespace qz::test {

// A 440 Hz sine of amplitude 0.5, frames long, encoded as OGG Vorbis.
std::string MakeOgg(int channels, int frequency, size_t frames);

// Rows per pattern of MakeXm's module, and the frames one pattern lasts at 44100 Hz
// (speed 6, 125 BPM: 6 ticks of 20 ms per row).
inline constexpr int XmRows = 8;
inline constexpr size_t XmPatternFrames = XmRows * 6 * 882;

// A two-channel XM module of two orders: order 0 plays pattern 0, which silences the first channel
// with a key-off; order 1 plays pattern 1, which starts a looping square wave at row 0.
std::string MakeXm();

} // namespace qz::test
