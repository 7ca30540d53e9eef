#pragma once
// Makes the game's sound effects: every recipe synthesised and encoded as Ogg Vorbis under
// its entry name, and the list file "sounds.dat" naming them in recipe order.

#include "tools/soundgen/SoundSynth.h"

#include <string>
#include <vector>

namespace qz {

struct TGeneratedSound {
    std::string Name;
    std::vector<uint8_t> Ogg;
    double Seconds = 0;
};

// Each sound gets its own fixed stream serial number (its position in the list, plus one).
std::vector<TGeneratedSound> GenerateSounds(const std::vector<TSoundRecipe>& recipes);

// One entry name per line, lines ending in CR LF.
std::string SoundList(const std::vector<TGeneratedSound>& sounds);

// Writes every sound and "sounds.dat" into folder.
void WriteSounds(const std::vector<TGeneratedSound>& sounds, const std::string& folder);

} // namespace qz
