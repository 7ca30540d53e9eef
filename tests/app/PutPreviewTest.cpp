// The landing preview and what it foretells, on shipped levels with the game's own rules:
// over seeded pointer positions the preview stands exactly where a click would put the
// crystal, on the fragments the put takes; over seeded puts its outlines name the crystals
// the put then breaks and drops; and working it out never moves the dealer's random stream.
#include "archive/Random.h"
#include "game/HeadlessGame.h"
#include "game/LevelBot.h"
#include "game/LevelLoader.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>

namespace qz {
namespace {

struct TBoardCopy {
    explicit TBoardCopy(const TBoard& board)
        : Board(board.Defs,
                TGameServices{Quiet, Quiet, Quiet, board.Services.Clock, board.Services.Pictures}) {
        Board.Level = board.Level;
        Board.Game = board.Game;
        Board.DrawOrder = board.DrawOrder;
        Board.RefreshPictureSizes();
    }
    TQuietServices Quiet;
    TBoard Board;
};

// Whether a click now would put the crystal in hand, and the fragments it would take.
std::pair<bool, TIntegers> ClickOnACopy(const TBoard& board) {
    TBoardCopy copy(board);
    const int32_t hand = board.Game.InHand;
    const TRandom saved = Random();
    const bool put = copy.Board.PlayerPut();
    Random() = saved;
    TIntegers taken;
    const TLayer& layer = copy.Board.Level.Layers[static_cast<size_t>(board.Level.LayerIndex)];
    for (size_t i = 0; put && i < layer.Owners.size(); ++i) {
        if (layer.Owners[i] == hand) {
            taken.push_back(layer.Frags[i]);
        }
    }
    std::sort(taken.begin(), taken.end());
    return {put, taken};
}

// The same number from both streams: the preview drew nothing from the game's.
bool SameStream(TRandom a, TRandom b) {
    return a.NextBits() == b.NextBits();
}

TEST(PutPreview, StandsWhereAClickPutsAndForetellsWhatThePutDoes) {
    THeadlessGame game(QUARZEL_BIN_DIR "/levels/levels.zxc", QUARZEL_BIN_DIR "/game/game.zxc");
    ASSERT_TRUE(game.Problems.empty());
    TBoard& board = *game.Board;
    board.PredictsPuts = true;
    TRandom pointer(11);
    int previews = 0;
    int refusals = 0;
    int puts = 0;
    int breaking = 0;
    int dropping = 0;
    for (const int level : {1, 4, 8, 12, 15, 20, 27, 33, 40}) {
        const std::string where = "level " + std::to_string(level);
        Random().Seed(static_cast<uint64_t>(level));
        board.Game.Mode = gmPuzzle;
        board.Game.GameState = gsGamePlay;
        board.Game.Score = 0;
        ASSERT_TRUE(LoadLevel(board, *game.Levels, "Level" + std::to_string(level) + ".xml", true))
            << where;

        // 112 pointer positions: half anywhere in the window, half near the structure.
        for (int i = 0; i < 112; ++i) {
            if (pointer.Next(4) == 0) {
                board.RotateNext();
            }
            TPoint at{pointer.Next(800), pointer.Next(600)};
            const TPoints& contour = board.Layer().Contour;
            if (i % 2 == 1 && !contour.empty()) {
                const TPoint p = contour[static_cast<size_t>(
                    pointer.Next(static_cast<int32_t>(contour.size())))];
                at = {p.X - board.Game.ViewX + pointer.Next(81) - 40,
                      board.Game.ViewY - p.Y + 590 + pointer.Next(81) - 40};
            }
            const TRandom before = Random();
            board.MovePointer(at.X, at.Y);
            ASSERT_TRUE(SameStream(before, Random())) << where;
            TIntegers preview = board.Level.HoverFrags;
            std::sort(preview.begin(), preview.end());
            const auto [put, taken] = ClickOnACopy(board);
            EXPECT_EQ(!preview.empty(), put) << where << ", pointer " << at.X << "," << at.Y;
            // A put that breaks takes its crystal's fragments away with the group.
            if (put && !taken.empty()) {
                EXPECT_EQ(preview, taken) << where << ", pointer " << at.X << "," << at.Y;
            }
            (put ? previews : refusals) += 1;
        }

        // 40 puts where the bot would make them, each foretold by the preview first.
        for (int i = 0; i < 40 && !board.Level.LevelDone && board.Game.GameState == gsGamePlay;
             ++i) {
            TBoardCopy trial(board);
            const std::optional<TBotMove> move = ChooseMove(trial.Board);
            if (!move) {
                break;
            }
            for (int32_t r = 0; r < move->Rotations; ++r) {
                board.RotateNext();
            }
            const TPoint at = board.PointerFor(board.Fishka(board.Game.InHand).FType, move->Frag);
            board.MovePointer(at.X, at.Y);
            ASSERT_FALSE(board.Level.HoverFrags.empty()) << where << ", put " << i;
            const TPutOutcome foretold = board.PutOutcome;
            const size_t layer = static_cast<size_t>(board.Level.LayerIndex);
            const std::vector<TFishka> crystals = board.Layer().Fishkas;
            const int32_t hand = board.Game.InHand;
            const int32_t score = board.Game.Score;
            ASSERT_TRUE(board.PlayerPut()) << where << ", put " << i;
            ++puts;
            // What the put did: the crystals that were on the board and fall now (a crystal
            // of several copies hit by the group may fall too), and the rest of the group it
            // broke (it scored).
            const bool broke = board.Game.Score > score;
            TPutOutcome done;
            const std::vector<TFishka>& now = board.Level.Layers[layer].Fishkas;
            for (size_t c = 0; c < crystals.size() && c < now.size(); ++c) {
                const auto index = static_cast<int32_t>(c);
                if (crystals[c].State != fsOnBoard || index == hand) {
                    continue;
                }
                const bool inGroup =
                    std::find(board.Group.begin(), board.Group.end(), index) != board.Group.end();
                if (now[c].State == fsRemoved && now[c].FallTime >= 0) {
                    done.Falls.push_back(index);
                } else if (broke && inGroup) {
                    done.Breaks.push_back(index);
                }
            }
            EXPECT_EQ(foretold.Breaks, done.Breaks) << where << ", put " << i;
            EXPECT_EQ(foretold.Falls, done.Falls) << where << ", put " << i;
            breaking += foretold.Breaks.empty() ? 0 : 1;
            dropping += foretold.Falls.empty() ? 0 : 1;
            // A second and a half to the next put: the broken and fallen crystals go.
            for (int step = 0; step < 15; ++step) {
                game.Clock.Tick += 100;
                board.FrameTick(game.Clock.Tick);
            }
        }
    }
    // Enough of each case for the comparisons to mean something.
    EXPECT_GT(previews, 150);
    EXPECT_GT(refusals, 150);
    EXPECT_GE(puts, 200);
    EXPECT_GT(breaking, 20);
    EXPECT_GT(dropping, 3);
    std::cout << previews << " previews, " << refusals << " refusals; " << puts << " puts, "
              << breaking << " breaking, " << dropping << " dropping\n";
}

// Without the option nothing is worked out, and the outlines go with the preview.
TEST(PutPreview, TheOptionOffForetellsNothing) {
    THeadlessGame game(QUARZEL_BIN_DIR "/levels/levels.zxc", QUARZEL_BIN_DIR "/game/game.zxc");
    TBoard& board = *game.Board;
    Random().Seed(3);
    board.Game.Mode = gmPuzzle;
    board.Game.GameState = gsGamePlay;
    ASSERT_TRUE(LoadLevel(board, *game.Levels, "Level2.xml", true));
    for (int attempt = 0; attempt < 2; ++attempt) {
        board.PredictsPuts = attempt == 1;
        TBoardCopy trial(board);
        const std::optional<TBotMove> move = ChooseMove(trial.Board);
        ASSERT_TRUE(move);
        for (int32_t r = 0; r < move->Rotations; ++r) {
            board.RotateNext();
        }
        const TPoint at = board.PointerFor(board.Fishka(board.Game.InHand).FType, move->Frag);
        board.MovePointer(at.X, at.Y);
        ASSERT_FALSE(board.Level.HoverFrags.empty());
        EXPECT_EQ(board.PutOutcome.Breaks.empty() && board.PutOutcome.Falls.empty(), attempt == 0);
        board.MovePointer(0, 0);
        EXPECT_TRUE(board.PutOutcome.Breaks.empty() && board.PutOutcome.Falls.empty());
        for (int32_t r = 0; r < move->Rotations; ++r) {
            board.RotatePrevious();
        }
    }
}

} // namespace
} // namespace qz
