#include "game/LevelBot.h"

#include "archive/Random.h"
#include "game/Board.h"

#include <algorithm>
#include <optional>

namespace qz {

namespace {

struct TChoice {
    int32_t Rotations = 0; // RotateNext steps from the crystal in hand
    int32_t Frag = 0;
    int64_t Gain = 0;
};

// What one put is worth: its points, far more for finishing a layer or the level, and a
// loss is worth nothing.
int64_t PutValue(const TBoard& board, int32_t scoreBefore, size_t layerBefore) {
    if (board.Game.GameState == gsGameOver) {
        return -1;
    }
    int64_t value = board.Game.Score - scoreBefore;
    if (board.Level.LevelDone) {
        value += 1000000;
    } else if (static_cast<size_t>(board.Level.LayerIndex) != layerBefore) {
        value += 100000;
    }
    return value;
}

std::optional<TChoice> BestPut(TBoard& board) {
    const int32_t start = board.Fishka(board.Game.InHand).FType;
    const TLevel savedLevel = board.Level;
    const TGame savedGame = board.Game;
    const TIntegers savedDraw = board.DrawOrder;
    const TRandom savedRandom = Random();

    int32_t lowRow = BoardRowCount;
    int32_t highRow = 0;
    for (const int32_t f : board.Layer().Frags) {
        lowRow = std::min(lowRow, f / FragsPerRow);
        highRow = std::max(highRow, f / FragsPerRow);
    }
    if (lowRow > highRow) {
        lowRow = highRow = 0;
    }
    lowRow = std::max(0, lowRow - 3);
    highRow = std::min(BoardRowCount - 1, highRow + 3);

    std::optional<TChoice> best;
    std::vector<int32_t> rotations{start};
    for (size_t i = 0; i < board.Defs.FishkaTypes.size(); ++i) {
        const int32_t next = board.Defs.FindTypeByName(
            board.Defs.FishkaTypes[static_cast<size_t>(rotations.back())].NextRotateName);
        if (next < 0 || std::find(rotations.begin(), rotations.end(), next) != rotations.end()) {
            break;
        }
        rotations.push_back(next);
    }
    for (size_t r = 0; r < rotations.size(); ++r) {
        const int32_t kind = board.Defs.ShapeOf(rotations[r]).Fishes.front().Type;
        for (int32_t row = lowRow; row <= highRow; ++row) {
            for (int32_t cell = 0; cell < 10; ++cell) {
                const int32_t frag = (row * 10 + cell) * 4 + kind;
                board.Fishka(board.Game.InHand).FType = rotations[r];
                board.AimHand(frag);
                const TFit fit = board.CanPut(board.Fishka(board.Game.InHand));
                if (!fit.Fits || fit.Frags.front() != frag) {
                    continue;
                }
                const int32_t scoreBefore = board.Game.Score;
                const auto layerBefore = static_cast<size_t>(board.Level.LayerIndex);
                const bool put = board.PlayerPut();
                const int64_t value = put ? PutValue(board, scoreBefore, layerBefore) : -1;
                board.Level = savedLevel;
                board.Game = savedGame;
                board.DrawOrder = savedDraw;
                Random() = savedRandom;
                if (value < 0) {
                    continue;
                }
                const bool better =
                    !best || value > best->Gain || (value == best->Gain && frag < best->Frag);
                if (better) {
                    best = TChoice{static_cast<int32_t>(r), frag, value};
                }
            }
        }
    }
    board.Fishka(board.Game.InHand).FType = start;
    return best;
}

} // namespace

TBotResult PlayLevel(TBoard& board, const std::function<void(int32_t)>& passTime, int32_t maxPuts,
                     const std::function<void(const std::string&)>& report) {
    TBotResult result;
    while (true) {
        if (board.Level.LevelDone) {
            result.Outcome = "won";
            break;
        }
        if (board.Game.GameState != gsGamePlay) {
            result.Outcome = "lost";
            break;
        }
        if (result.Puts >= maxPuts || !board.HasLayer() || board.Game.InHand < 0) {
            result.Outcome = "stuck";
            break;
        }
        std::optional<TChoice> choice = BestPut(board);
        for (int32_t swaps = 1; !choice && swaps < QueueLength; ++swaps) {
            board.Swap();
            choice = BestPut(board);
        }
        if (!choice && board.Game.Shuffles > 0) {
            board.Shuffle();
            choice = BestPut(board);
        }
        if (!choice) {
            result.Outcome = "stuck";
            break;
        }
        for (int32_t r = 0; r < choice->Rotations; ++r) {
            board.RotateNext();
        }
        board.AimHand(choice->Frag);
        const std::string type =
            board.Defs.FishkaTypes[static_cast<size_t>(board.Fishka(board.Game.InHand).FType)].Name;
        if (!board.PlayerPut()) {
            result.Outcome = "stuck";
            break;
        }
        ++result.Puts;
        const int32_t row = choice->Frag / FragsPerRow;
        report("put " + std::to_string(result.Puts) + ": " + type + " row " + std::to_string(row) +
               " cell " + std::to_string(choice->Frag % FragsPerRow / 4) + " score " +
               std::to_string(board.Game.Score));
        for (int32_t frame = 0; frame < 15 && board.Game.GameState == gsGamePlay; ++frame) {
            passTime(100);
            board.FrameTick(board.Now());
        }
    }
    result.Score = board.Game.Score;
    return result;
}

} // namespace qz
