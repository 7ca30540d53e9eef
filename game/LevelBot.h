#pragma once
// A player without a screen that proves levels playable with the real rules: for the
// crystal in hand it tries every rotation at every fitting place near the structure and
// makes the put with the best immediate result (ties: the lowest fragment); when no put makes
// progress it swaps, then shuffles, undoes when nothing fits (up to three dead ends in a row,
// each taken back once) and shifts in danger. When every put loses the game it makes one of
// them, as a player must.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qz {

class TBoard;

// The immediate result of one put, compared field by field in this order: a put that loses
// the game is worse than any other; then finishing the level or the layer, crystals removed
// or fallen, points, then (when nothing breaks) the size of the same-coloured edge-joined
// group of the crystal put and its same-coloured edge contacts, and last how far the
// structure's bottom stays above the dead line.
struct TPutValue {
    bool Loses = false;
    bool LevelDone = false;
    bool LayerDone = false;
    int32_t Removed = 0;
    int32_t Score = 0;
    int32_t GroupSize = 0;
    int32_t Contacts = 0;
    int32_t Height = 0;

    bool Progress() const { return LevelDone || LayerDone || Removed > 0 || Contacts > 0; }
    bool operator<(const TPutValue& other) const;
};

// How the bot plays: how long it waits after each put, and among how many of the best places
// it chooses. The perfect player takes the best place every 1.5 s; the human-like one puts
// every 3 s and picks one of the three best places, the better ones more often (weights
// 3 : 2 : 1), drawing from the game's random generator so that a seed repeats the game.
struct TBotStyle {
    int32_t PutEveryMs = 1500;
    int32_t Choices = 1;

    static TBotStyle Perfect() { return {}; }
    static TBotStyle Human() { return {3000, 3}; }
};

struct TBotResult {
    std::string Outcome; // "won", "lost" or "stuck"
    int32_t Puts = 0;
    int32_t Score = 0;
};

// The put the bot would make with the crystal in hand as it is: the RotateNext turns, then
// the fragment its first fish snaps on. Nothing when it has no place. The board is left as
// it was.
struct TBotMove {
    int32_t Rotations = 0;
    int32_t Frag = 0;
};
std::optional<TBotMove> ChooseMove(TBoard& board);

// Plays the level loaded on board. passTime moves the board's clock on by the given
// milliseconds (the bot lets the style's time pass after each put, in frames of 100 ms,
// running the frame's rules after each); report receives one line per put. Reaching maxPuts
// counts as stuck.
TBotResult PlayLevel(TBoard& board, const std::function<void(int32_t)>& passTime, int32_t maxPuts,
                     const std::function<void(const std::string&)>& report,
                     const TBotStyle& style = TBotStyle::Perfect());

} // namespace qz
