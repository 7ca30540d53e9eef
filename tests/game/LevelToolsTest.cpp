#include "GameTestSupport.h"
#include "archive/Random.h"
#include "game/LevelBot.h"
#include "game/LevelCheck.h"
#include "game/LevelLoader.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

struct LevelToolsTest : GameFixture, ::testing::Test {
    LevelToolsTest() { Levels = DataArchive({"Level1.xml", "Level4.xml", "Level5.xml"}); }
    std::unique_ptr<TFileFolder> Levels;
};

TEST_F(LevelToolsTest, CheckListsEveryProblemOfALevel) {
    EXPECT_TRUE(CheckLevel(*Board, *Levels, "Level4.xml").empty());
    const std::vector<std::string> problems = CheckLevel(*Board, *Levels, "Level5.xml");
    const std::vector<std::string> expected{
        "colour 9 is out of range (1..3)",
        "shape weight \"Ghost\" matches no shape",
        "bonus weights \"0 0\" yield no bonus kind",
        "layer 1 crystal 3: shape \"Nothing\" matches no shape",
        "layer 2 has no main boss",
        "boss 2 (type 1 at 600,500) is over no crystal",
    };
    for (const std::string& line : expected) {
        EXPECT_NE(std::find(problems.begin(), problems.end(), line), problems.end()) << line;
    }
    EXPECT_EQ(std::count_if(problems.begin(), problems.end(),
                            [](const std::string& p) {
                                return p.starts_with("layer 1 crystal 2 (Cell_") &&
                                       p.ends_with(" at 164,249) does not snap to the lattice");
                            }),
              1)
        << testing::PrintToString(problems);
    EXPECT_EQ(CheckLevel(*Board, *Levels, "Level1.xml"),
              (std::vector<std::string>{"colour 99 is out of range (1..3)",
                                        "layer 1 crystal 3: shape \"Nothing\" matches no shape",
                                        "layer 1 crystal 4 (TriDown_2 at 32,39) does not snap "
                                        "to the lattice",
                                        "layer 2 has no main boss",
                                        "boss 3 (type 0 at 0,0) is over no crystal"}));
}

TEST_F(LevelToolsTest, BotWinsASmallLevelAndRepeatsWithTheSameSeed) {
    std::vector<std::string> first;
    for (int run = 0; run < 2; ++run) {
        GameFixture fx;
        fx.Board->Game.Mode = gmNoLose;
        fx.Board->Game.GameState = gsGamePlay;
        Random().Seed(11);
        ASSERT_TRUE(LoadLevel(*fx.Board, *Levels, "Level4.xml", true));
        std::vector<std::string> lines;
        const TBotResult result = PlayLevel(
            *fx.Board, [&fx](int32_t ms) { fx.Clock.Tick += ms; }, 50,
            [&lines](const std::string& line) { lines.push_back(line); });
        EXPECT_EQ(result.Outcome, "won") << testing::PrintToString(lines);
        EXPECT_EQ(result.Puts, static_cast<int32_t>(lines.size()));
        EXPECT_EQ(result.Puts, 1); // the Tri above the main crystal makes a group of three
        if (run == 0) {
            first = lines;
        } else {
            EXPECT_EQ(lines, first);
        }
    }
    EXPECT_EQ(first, (std::vector<std::string>{"put 1: Tri_0 row 6 cell 1 score 0"}));
}

// On Level4 the main Cell_0 carries a boss and a TriDown stands above it. With the TriDown
// recoloured no put breaks a group, so the bot ranks by edge contacts with its colour (a Tri_0
// joins the Cell), then by keeping the bottom high, and swaps a Tri_2 for a Tri_0 in the queue.
TEST_F(LevelToolsTest, BotJoinsColoursWhenNothingBreaksAndSwapsForAMatch) {
    struct TStart {
        std::string Hand;
        std::string Queued;
    };
    for (const TStart& start : {TStart{"Tri_0", "Tri_2"}, TStart{"Tri_2", "Tri_0"}}) {
        GameFixture fx;
        fx.StartPlay(gmNoLose);
        Random().Seed(5);
        ASSERT_TRUE(LoadLevel(*fx.Board, *Levels, "Level4.xml", true));
        TBoard& board = *fx.Board;
        ASSERT_EQ(board.Game.Queue.size(), 3U);
        int32_t above = -1;
        for (size_t i = 0; i < board.Layer().Fishkas.size(); ++i) {
            const TFishka& f = board.Layer().Fishkas[i];
            if (f.State == fsOnBoard && static_cast<int32_t>(i) != board.Layer().MainFishka) {
                above = static_cast<int32_t>(i);
            }
        }
        ASSERT_GE(above, 0);
        ASSERT_GE(board.Defs.FindTypeByName("TriDown_1"), 0);
        ASSERT_GE(board.Defs.FindTypeByName(start.Hand), 0);
        ASSERT_GE(board.Defs.FindTypeByName(start.Queued), 0);
        board.Fishka(above).FType = board.Defs.FindTypeByName("TriDown_1");
        board.Fishka(board.Game.Queue[0]).FType = board.Defs.FindTypeByName(start.Hand);
        for (size_t k = 1; k < board.Game.Queue.size(); ++k) {
            board.Fishka(board.Game.Queue[k]).FType = board.Defs.FindTypeByName(start.Queued);
        }
        const int32_t match = start.Hand == "Tri_0" ? board.Game.Queue[0] : board.Game.Queue[1];
        const int32_t bottom = board.BottomOf(board.Level.LayerIndex);
        std::vector<std::string> lines;
        const TBotResult result = PlayLevel(
            board, [&fx](int32_t ms) { fx.Clock.Tick += ms; }, 1,
            [&lines](const std::string& line) { lines.push_back(line); });
        EXPECT_EQ(result.Outcome, "stuck");
        ASSERT_EQ(result.Puts, 1);
        EXPECT_EQ(board.Fishka(match).State, fsOnBoard) << start.Hand;
        EXPECT_TRUE(board.SharesEdge(match, board.Layer().MainFishka)) << start.Hand;
        EXPECT_EQ(board.BottomOf(board.Level.LayerIndex), bottom) << start.Hand;
        EXPECT_EQ(std::count_if(board.Layer().Fishkas.begin(), board.Layer().Fishkas.end(),
                                [](const TFishka& f) { return f.State == fsOnBoard; }),
                  3);
    }
}

TEST_F(LevelToolsTest, PutValuesRankRemovalsAheadOfGroupsAndGroupsAheadOfHeight) {
    TPutValue low;
    low.Height = 10;
    TPutValue grouped;
    grouped.GroupSize = 2;
    grouped.Contacts = 1;
    grouped.Height = -50;
    TPutValue removed;
    removed.Removed = 3;
    removed.Height = -100;
    TPutValue layer;
    layer.LayerDone = true;
    EXPECT_LT(low, grouped);
    EXPECT_LT(grouped, removed);
    EXPECT_LT(removed, layer);
    EXPECT_FALSE(low.Progress());
    EXPECT_TRUE(grouped.Progress());
    TPutValue higher = low;
    higher.Height = 11;
    EXPECT_LT(low, higher);
    EXPECT_FALSE(low < low);
}

TEST_F(LevelToolsTest, BotStopsAtTheLimitOrWhenLost) {
    StartPlay(gmStrategy);
    Board->Game.Rescue = false;
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level4.xml", true));
    const TBotResult stuck = PlayLevel(
        *Board, [this](int32_t ms) { Clock.Tick += ms; }, 0, [](const std::string&) {});
    EXPECT_EQ(stuck.Outcome, "stuck");
    EXPECT_EQ(stuck.Puts, 0);
    Board->Game.GameState = gsGameOver;
    EXPECT_EQ(PlayLevel(
                  *Board, [](int32_t) {}, 10, [](const std::string&) {})
                  .Outcome,
              "lost");
}

} // namespace
} // namespace qz::test
