#include "game/HeadlessGame.h"

#include "GameTestSupport.h"
#include "TempDir.h"
#include "archive/CUnit.h"
#include "archive/Random.h"
#include "game/LevelBot.h"
#include "game/LevelCheck.h"
#include "game/LevelLoader.h"
#include "gfx/JpegPNG.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

void AddPicture(TFileFolder& folder, const std::string& name, int32_t width, int32_t height) {
    folder.AddFile(name, 2, EncodePNG(TRGBImage::Blank(width, height, 255)));
}

void AddDataFile(TFileFolder& folder, const std::string& name, const std::string& entry) {
    TMemoryStream stream;
    stream.LoadFromFile(GameDataFile(name));
    folder.AddFile(entry, 0, stream);
}

// Shipped archives as the build makes them: definitions and boss pictures in the game
// archive; shape pictures, signs and an enciphered level in the levels archive.
struct ShippedArchives {
    ShippedArchives() {
        auto game = TFileFolder::CreateNew(Game);
        AddDataFile(*game, "fishkaShapes.xml", "fishkaShapes.xml");
        AddEntry(
            *game, "MetaColors.xml",
            "<Colors>\r\n<Color Material=\"glass\" H=\"0\" L=\"0\" S=\"0\" Sign=\"s0.png\"/>\r\n"
            "<Color Material=\"glass\" H=\"90\" L=\"0\" S=\"0\" Sign=\"s1.png\"/>\r\n"
            "</Colors>\r\n");
        AddDataFile(*game, "BossTypes.xml", "BossTypes.xml");
        AddPicture(*game, "boss.png", 40, 30);
        AddPicture(*game, "smallboss.png", 20, 20);
        game->Save();

        auto levels = TFileFolder::CreateNew(Levels);
        for (const char* shape : {"Tri", "TriDown"}) {
            AddPicture(*levels, std::string(shape) + "_glass.png", 48, 21);
        }
        AddPicture(*levels, "Cell_glass.png", 69, 42);
        AddPicture(*levels, "Big_glass.png", 117, 42);
        AddPicture(*levels, "s0.png", 10, 10);
        AddPicture(*levels, "s1.png", 10, 10);
        TMemoryStream plain;
        plain.LoadFromFile(GameDataFile("Level4.xml"));
        TMemoryStream secret;
        CipherStream(plain, secret, DataKey());
        levels->AddFile("Level4.xml", 0, secret);
        levels->Save();
    }
    TempDir Dir;
    std::string Game = Dir.File("game.zxc");
    std::string Levels = Dir.File("levels.zxc");
};

TEST(HeadlessGame, ComposesCrystalsAndPlaysAShippedLevel) {
    ShippedArchives shipped;
    THeadlessGame game(shipped.Levels, shipped.Game);
    EXPECT_TRUE(game.Problems.empty()) << testing::PrintToString(game.Problems);
    ASSERT_EQ(game.Defs.FishkaTypes.size(), 8u);
    EXPECT_EQ(game.Defs.FishkaTypes[0].Image, "Tri_0.pNg");
    EXPECT_GE(game.Levels->IndexOf("Cell_1.pNg"), 0);
    EXPECT_EQ(game.Board->TypeSize(2).Height, 21);
    EXPECT_EQ(game.Board->TypeSize(4).Height, 42);
    EXPECT_EQ(game.Defs.BossTypes[0].Width, 40);

    EXPECT_TRUE(CheckLevel(*game.Board, *game.Levels, "Level4.xml").empty());
    TBoard& board = *game.Board;
    Random().Seed(5);
    board.Game.Mode = gmNoLose;
    board.Game.GameState = gsGamePlay;
    ASSERT_TRUE(LoadLevel(board, *game.Levels, "Level4.xml", true));
    const TBotResult result = PlayLevel(
        board, [&game](int32_t ms) { game.Clock.Tick += ms; }, 20, [](const std::string&) {});
    EXPECT_EQ(result.Outcome, "won");
}

TEST(HeadlessGame, RunsAsTheDataToolsCommands) {
    const char* tool = std::getenv("QUARZEL_TOOL");
    if (tool == nullptr || !std::filesystem::exists(tool)) {
        GTEST_SKIP() << "QUARZEL_TOOL is not set";
    }
    ShippedArchives shipped;
    const std::string out = shipped.Dir.File("out.txt");
    const std::string check = std::string(tool) + " level-check " + shipped.Levels + " " +
                              shipped.Game + " Level4.xml > " + out;
    EXPECT_EQ(std::system(check.c_str()), 0);
    TMemoryStream text;
    text.LoadFromFile(out);
    EXPECT_EQ(text.ToString(), "Level4.xml: no problems\n");
    const std::string play = std::string(tool) + " play " + shipped.Levels + " " + shipped.Game +
                             " Level4.xml --mode 1 --seed 3 > " + out;
    EXPECT_EQ(std::system(play.c_str()), 0);
    text.LoadFromFile(out);
    EXPECT_EQ(text.ToString(), "put 1: Tri_0 row 6 cell 1 score 0\nresult: won puts=1 score=0\n");
}

} // namespace
} // namespace qz::test
