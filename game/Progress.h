#pragma once
// How far the player has come in each mode over all games: the furthest level reached and
// the best score of every level finished, as the level map shows them, and the text of the
// file that keeps them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

struct TModeProgress {
    int32_t Reached = 1;       // levels 1 .. Reached may be played from the level map
    std::vector<int32_t> Best; // Best[n - 1]: the best score of level n, -1 while unfinished
};

struct TProgress {
    std::array<TModeProgress, 3> Modes; // relaxed, real-time puzzle, turn-based strategy

    // The progress of a game mode; an unknown mode reads as relaxed play.
    TModeProgress& Of(int32_t mode);
    const TModeProgress& Of(int32_t mode) const;
    // The best score of level n in the mode, or -1 while it was never finished.
    int32_t BestOf(int32_t mode, int32_t level) const;
    // Level finished with points: the level after it is reached (up to lastLevel) and the
    // best score kept.
    void Finished(int32_t mode, int32_t level, int32_t points, int32_t lastLevel);
};

// The first line names the file; then one line per mode:
// "Mode M Reached R Best B1 B2 ...". Anything else raises an Error saying which line is
// damaged and how.
TProgress ParseProgress(std::string_view text);
std::string ProgressText(const TProgress& progress);

} // namespace qz
