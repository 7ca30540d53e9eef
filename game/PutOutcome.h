#pragma once
// What putting the crystal in hand where it snaps now would do, found by making the put on a
// copy of the board with the game's own rules. The game's random draws stay as they were.

#include "archive/Helpers.h"

namespace qz {

class TBoard;

struct TPutOutcome {
    TIntegers Breaks; // crystals of the current layer the put's group would hit
    TIntegers Falls;  // crystals it would cut off from the main boss
    friend bool operator==(const TPutOutcome&, const TPutOutcome&) = default;
};

// Nothing when the crystal in hand would not be put where it snaps.
TPutOutcome PredictPut(const TBoard& board);

} // namespace qz
