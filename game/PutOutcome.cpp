#include "PutOutcome.h"

#include "archive/Random.h"
#include "game/Board.h"

namespace qz {

TPutOutcome PredictPut(const TBoard& board) {
    TPutOutcome outcome;
    if (!board.HasLayer() || board.Game.InHand < 0 || board.Level.HoverFrags.empty()) {
        return outcome;
    }
    TQuietServices quiet;
    TBoard trial(board.Defs,
                 TGameServices{quiet, quiet, quiet, board.Services.Clock, board.Services.Pictures});
    trial.Level = board.Level;
    trial.Game = board.Game;
    trial.DrawOrder = board.DrawOrder;
    trial.RefreshPictureSizes();
    // The trial deals the next crystal: the real game must deal the same one afterwards.
    const TRandom saved = Random();
    const bool put = trial.PlayerPut();
    Random() = saved;
    if (!put) {
        return outcome;
    }
    // A put that clears the layer moves the trial on to the next one; the crystals asked
    // about are those of the layer in play now.
    const auto layer = static_cast<size_t>(board.Level.LayerIndex);
    const std::vector<TFishka>& before = board.Layer().Fishkas;
    const std::vector<TFishka>& after = trial.Level.Layers[layer].Fishkas;
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i].State != fsOnBoard) {
            continue;
        }
        const auto index = static_cast<int32_t>(i);
        const TFishka& was = before[i];
        const TFishka& is = after[i];
        if (is.FallTime != was.FallTime) {
            outcome.Falls.push_back(index);
        } else if (is.State != was.State || is.Count != was.Count || is.Hit != was.Hit ||
                   is.HitTime != was.HitTime) {
            outcome.Breaks.push_back(index);
        }
    }
    return outcome;
}

} // namespace qz
