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
