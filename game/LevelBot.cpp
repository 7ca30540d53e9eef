#include "game/LevelBot.h"

#include "archive/Random.h"
#include "game/Board.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace qz {

namespace {

// Dead ends in a row that the bot tries to leave by taking its last put back.
constexpr int32_t MaxUndosInRow = 3;

struct TChoice {
    int32_t Rotations = 0; // RotateNext steps from the crystal in hand
    int32_t Frag = 0;
    TPutValue Value;
};

int32_t CrystalsOnBoard(const TBoard& board) {
    return static_cast<int32_t>(
        std::count_if(board.Layer().Fishkas.begin(), board.Layer().Fishkas.end(),
                      [](const TFishka& f) { return f.State == fsOnBoard; }));
}

// What the put just made (the crystal placed is index) is worth.
TPutValue JudgePut(TBoard& board, int32_t index, int32_t scoreBefore, int32_t layerBefore,
                   int32_t onBoardBefore) {
    TPutValue value;
    if (board.Game.GameState == gsGameOver) {
        value.Loses = true;
        return value;
    }
    value.LevelDone = board.Level.LevelDone;
    value.LayerDone = board.Level.LayerIndex != layerBefore;
    value.Score = board.Game.Score - scoreBefore;
    if (value.LevelDone || value.LayerDone || !board.HasLayer()) {
        return value;
    }
    value.Removed = onBoardBefore + 1 - CrystalsOnBoard(board);
    value.Height = board.BottomOf(board.Level.LayerIndex) - board.Game.CurrentY;
    if (index < 0 || static_cast<size_t>(index) >= board.Layer().Fishkas.size() ||
        board.Fishka(index).State != fsOnBoard) {
        return value;
    }
    board.Group.clear();
    board.CollectGroup(index);
    value.GroupSize = static_cast<int32_t>(board.Group.size());
    const int32_t colour = board.Defs.ColorOf(board.Fishka(index).FType);
    const auto count = static_cast<int32_t>(board.Layer().Fishkas.size());
    for (int32_t i = 0; i < count; ++i) {
        if (i != index && board.Fishka(i).State == fsOnBoard &&
            board.Defs.ColorOf(board.Fishka(i).FType) == colour && board.SharesEdge(index, i)) {
            ++value.Contacts;
        }
    }
    return value;
}

// Whether a is the better put: a higher value, else the lower fragment.
bool Better(const TChoice& a, const TChoice& b) {
    return b.Value < a.Value || (!(a.Value < b.Value) && a.Frag < b.Frag);
}

// The best puts of the crystal in hand, best first, at most count of them.
std::vector<TChoice> BestPuts(TBoard& board, size_t count) {
    const int32_t hand = board.Game.InHand;
    const int32_t start = board.Fishka(hand).FType;
    const TLevel savedLevel = board.Level;
    const TGame savedGame = board.Game;
    const TIntegers savedDraw = board.DrawOrder;
    const TIntegers savedGroup = board.Group;
    const TRandom savedRandom = Random();
    const int32_t onBoardBefore = CrystalsOnBoard(board);

    const auto [lowRow, highRow] = board.RowsNearStructure();

    std::vector<TChoice> ranked;
    const TIntegers rotations = board.Defs.RotationsOf(start);
    for (size_t r = 0; r < rotations.size(); ++r) {
        const int32_t kind = board.Defs.ShapeOf(rotations[r]).Fishes.front().Type;
        for (int32_t row = lowRow; row <= highRow; ++row) {
            for (int32_t cell = 0; cell < 10; ++cell) {
                const int32_t frag = (row * 10 + cell) * 4 + kind;
                board.Fishka(hand).FType = rotations[r];
                board.AimHand(frag);
                const TFit fit = board.CanPut(board.Fishka(hand));
                if (!fit.Fits || fit.Frags.front() != frag) {
                    continue;
                }
                const int32_t scoreBefore = board.Game.Score;
                const int32_t layerBefore = board.Level.LayerIndex;
                std::optional<TPutValue> value;
                if (board.PlayerPut()) {
                    value = JudgePut(board, hand, scoreBefore, layerBefore, onBoardBefore);
                }
                board.Level = savedLevel;
                board.Game = savedGame;
                board.DrawOrder = savedDraw;
                board.Group = savedGroup;
                Random() = savedRandom;
                if (!value) {
                    continue;
                }
                const TChoice choice{static_cast<int32_t>(r), frag, *value};
                const auto place =
                    std::find_if(ranked.begin(), ranked.end(),
                                 [&](const TChoice& other) { return Better(choice, other); });
                if (static_cast<size_t>(place - ranked.begin()) < count) {
                    ranked.insert(place, choice);
                    if (ranked.size() > count) {
                        ranked.pop_back();
                    }
                }
            }
        }
    }
    board.Fishka(hand).FType = start;
    return ranked;
}

// The best puts of whichever crystal the swaps can bring to hand has the best one (ties:
// fewer swaps); the board is left with that crystal in hand.
std::vector<TChoice> BestOverQueue(TBoard& board, size_t count) {
    std::vector<TChoice> best = BestPuts(board, count);
    int32_t bestSwaps = 0;
    const auto options = static_cast<int32_t>(board.Game.Queue.size());
    if (!best.empty() && best.front().Value.Progress()) {
        return best;
    }
    for (int32_t swaps = 1; swaps < options; ++swaps) {
        board.Swap();
        std::vector<TChoice> choice = BestPuts(board, count);
        if (!choice.empty() && (best.empty() || best.front().Value < choice.front().Value)) {
            best = std::move(choice);
            bestSwaps = swaps;
        }
    }
    if (options > 1) {
        board.Swap(); // back to the crystal first in hand
    }
    for (int32_t swaps = 0; swaps < bestSwaps; ++swaps) {
        board.Swap();
    }
    return best;
}

// One of the ranked puts: the best when there is one, else drawn with weights n, n-1, ... 1.
const TChoice& Pick(const std::vector<TChoice>& ranked) {
    const auto n = static_cast<int32_t>(ranked.size());
    if (n == 1) {
        return ranked.front();
    }
    int32_t draw = Random().Next(n * (n + 1) / 2);
    for (int32_t i = 0; i < n; ++i) {
        draw -= n - i;
        if (draw < 0) {
            return ranked[static_cast<size_t>(i)];
        }
    }
    return ranked.back();
}

} // namespace

bool TPutValue::operator<(const TPutValue& other) const {
    if (Loses != other.Loses) {
        return Loses;
    }
    return std::tie(LevelDone, LayerDone, Removed, Score, GroupSize, Contacts, Height) <
           std::tie(other.LevelDone, other.LayerDone, other.Removed, other.Score, other.GroupSize,
                    other.Contacts, other.Height);
}

std::optional<TBotMove> ChooseMove(TBoard& board) {
    if (!board.HasLayer() || board.Game.InHand < 0) {
        return std::nullopt;
    }
    const std::vector<TChoice> best = BestPuts(board, 1);
    if (best.empty()) {
        return std::nullopt;
    }
    return TBotMove{best.front().Rotations, best.front().Frag};
}

TBotResult PlayLevel(TBoard& board, const std::function<void(int32_t)>& passTime, int32_t maxPuts,
                     const std::function<void(const std::string&)>& report,
                     const TBotStyle& style) {
    const auto count = static_cast<size_t>(std::max(1, style.Choices));
    int32_t undosInRow = 0;
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
        std::vector<TChoice> choices = BestOverQueue(board, count);
        if ((choices.empty() || !choices.front().Value.Progress()) && board.Game.Shuffles > 0 &&
            board.Shuffle()) {
            choices = BestOverQueue(board, count);
        }
        // Taking the last put back deals a fresh crystal after the same put again; a dead end
        // that a few such deals do not open counts as stuck rather than playing on for ever.
        const bool deadEnd = choices.empty();
        if (deadEnd && undosInRow < MaxUndosInRow && board.Undo()) {
            ++undosInRow;
            choices = BestOverQueue(board, count);
        } else if (!deadEnd) {
            undosInRow = 0;
        }
        if (choices.empty()) {
            result.Outcome = "stuck";
            break;
        }
        // A player chooses among the puts that keep the game going while there are any.
        const auto losing = std::find_if(choices.begin(), choices.end(),
                                         [](const TChoice& c) { return c.Value.Loses; });
        if (losing != choices.begin()) {
            choices.erase(losing, choices.end());
        }
        const TChoice choice = Pick(choices);
        if (board.Game.Danger && board.Game.Shifts > 0 && !choice.Value.Progress()) {
            board.Shift();
        }
        for (int32_t r = 0; r < choice.Rotations; ++r) {
            board.RotateNext();
        }
        board.AimHand(choice.Frag);
        const std::string type =
            board.Defs.FishkaTypes[static_cast<size_t>(board.Fishka(board.Game.InHand).FType)].Name;
        if (!board.PlayerPut()) {
            result.Outcome = "stuck";
            break;
        }
        ++result.Puts;
        const int32_t row = choice.Frag / FragsPerRow;
        report("put " + std::to_string(result.Puts) + ": " + type + " row " + std::to_string(row) +
               " cell " + std::to_string(choice.Frag % FragsPerRow / 4) + " score " +
               std::to_string(board.Game.Score));
        const int32_t frames = std::max(1, style.PutEveryMs / 100);
        for (int32_t frame = 0; frame < frames && board.Game.GameState == gsGamePlay; ++frame) {
            passTime(100);
            board.FrameTick(board.Now());
        }
    }
    result.Score = board.Game.Score;
    return result;
}

} // namespace qz
