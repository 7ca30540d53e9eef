#pragma once
// Makes the game's music: every tune description composed, brought to the tunes' common
// loudness as libopenmpt plays it, and written as an extended module under the entry name
// the game plays, and the list file "musics.dat".

#include "tools/musicgen/TuneComposer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

struct TGeneratedMusic {
    std::string Name;
    std::vector<uint8_t> Bytes;
    size_t Orders = 0;
    double Lufs = 0; // gated loudness of one pass
};

// texts are tune descriptions; the result keeps their order. Errors name the tune's index.
std::vector<TGeneratedMusic> GenerateMusic(const std::vector<std::string>& texts);

// One entry name per line, lines ending in CR LF.
std::string MusicList(const std::vector<TGeneratedMusic>& music);

// Writes every module and "musics.dat" into folder.
void WriteMusic(const std::vector<TGeneratedMusic>& music, const std::string& folder);

} // namespace qz
