#pragma once
// A player without a screen that proves levels playable with the real rules: for the
// crystal in hand it tries every rotation at every fitting place near the structure and
// makes the put with the best immediate result; when nothing fits it swaps, then shuffles.

#include <cstdint>
#include <functional>
#include <string>

namespace qz {

class TBoard;

struct TBotResult {
    std::string Outcome; // "won", "lost" or "stuck"
    int32_t Puts = 0;
    int32_t Score = 0;
};

// Plays the level loaded on board. passTime moves the board's clock on by the given
// milliseconds (the bot lets 1500 ms pass after each put, in frames of 100 ms, running the
// frame's rules after each); report receives one line per put. Reaching maxPuts counts as
// stuck.
TBotResult PlayLevel(TBoard& board, const std::function<void(int32_t)>& passTime, int32_t maxPuts,
                     const std::function<void(const std::string&)>& report);

} // namespace qz
