#pragma once
// The levels the game's sound is made to, and the check of measured figures against them.
//
// Every sample aims at one loudness, so that no action of the player sounds louder than
// another; its loudest 400 ms count, since a short sound is heard by its energy over that
// time. -18 LUFS is as loud as the shortest clicks can be made without clipping, and it
// keeps the longer effects well under full scale, so that several at once and the music
// rarely reach the mixer's limit. The tunes sit 6 dB under the samples: the samples answer the
// player's every put and must be heard over the music, while the music plays all the time and
// should stay in the background without being lost at the default volumes (both 100). Six decibels
// is the usual distance between a foreground effect and its bed: clearly apart, the music still
// easily followed. Nothing reaches full scale, so neither the codec's ripple on a sample nor
// the mixer's sum of a sample and the music starts from a clipped sound.

#include <string>
#include <vector>

namespace qz {

inline constexpr double SampleLoudness = -18.0; // LUFS, loudest 400 ms
inline constexpr double SampleSpread = 3.0;     // dB either side of SampleLoudness
inline constexpr double TuneDistance = 6.0;     // dB from SampleLoudness to the tunes' mean
inline constexpr double TuneSpread = 2.0;       // dB between the loudest and the quietest tune
inline constexpr double TuneTolerance = 1.0;    // dB either side of that mean
inline constexpr double PeakCeiling = -0.5;     // dBFS of the decoded sound

struct TSoundLevel {
    std::string Name;
    bool Tune = false;
    double Seconds = 0;
    double PeakDb = 0;
    double Lufs = 0; // loudest 400 ms of a sample, gated loudness of a tune
};

// One line per figure that misses its target; empty when every one meets it.
std::vector<std::string> CheckSoundLevels(const std::vector<TSoundLevel>& levels);

} // namespace qz
