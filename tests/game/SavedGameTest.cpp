#include "game/SavedGame.h"

#include "GameTestSupport.h"
#include "TempDir.h"
#include "WriteCalls.h"
#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/Random.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

namespace fs = std::filesystem;

const char* const LevelText = "<?xml version=\"1.0\"?>\r\n"
                              "<Level>\r\n"
                              "\t<FishkaColors>1 2 3</FishkaColors>\r\n"
                              "\t<MoveInterval Action=\"5\" Strategic=\"4\"/>\r\n"
                              "\t<PlayMusic>one.mo3</PlayMusic>\r\n"
                              "\t<Layers><Layer><Fishka x=\"212\" y=\"228\" Shape=\"Tri\" "
                              "Count=\"1\"/></Layer></Layers>\r\n"
                              "</Level>\r\n";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SavedGameTest : GameFixture, ::testing::Test {
    SavedGameTest() {
        Levels = TFileFolder::CreateNew("levels.zxc");
        AddEntry(*Levels, "Level1.xml", LevelText);
        AddEntry(*Levels, "Level2.xml", LevelText);
        AddEntry(*Levels, "Level3.xml", "\r\x01" + std::string(300, 'a'));
        Random().Seed(11);
    }
    // The file's lines, each decoded.
    std::vector<std::string> Decoded(const fs::path& path) const {
        std::vector<std::string> lines;
        const std::string bytes = ReadBytes(path);
        size_t start = 0;
        while (start < bytes.size()) {
            const size_t end = bytes.find("\r\n", start);
            EXPECT_NE(end, std::string::npos) << "line without CR LF";
            if (end == std::string::npos) {
                break;
            }
            lines.push_back(DecodeText(bytes.substr(start, end - start)));
            start = end + 2;
        }
        return lines;
    }
    // A save file written as the game writes one, from plain lines.
    fs::path Write(const std::vector<std::string>& lines) const {
        const fs::path path = Folder / "hand.sav";
        std::ofstream out(path, std::ios::binary);
        for (const std::string& line : lines) {
            out << EncodeText(line) << "\r\n";
        }
        return path;
    }
    // A running Strategy game on level 1 with three layers, the second of them current:
    // its crystals 0 (main boss), 2 (count 3, silver coin) and 3 are on the board, 1 removed.
    void BuildThreeLayers() {
        StartPlay(gmStrategy);
        TGame& g = Board->Game;
        g.LevelNumber = 1;
        g.Score = 120;
        g.PrevScore = 100;
        g.Shifts = 1;
        g.Shuffles = 2;
        g.CurrentY = 84;
        Board->Level.PutLeft = 3;
        Board->Level.Strategic = 4;
        Place(Type("Cell", 0), Frag(6, 2, 2));
        NewLayer();
        Place(Type("Cell", 1), Frag(5, 1, 2));
        TFishka removed;
        removed.FType = Type("Cell", 2);
        removed.State = fsRemoved;
        Board->Layer().Fishkas.push_back(removed);
        Place(Type("Cell", 2), Frag(5, 3, 2), 3);
        Place(Type("Tri", 0), Frag(5, 5, 2));
        Board->GiveBonus(2, 1);
        Board->Level.Bosses.push_back({160, 238, 0, 1});
        Board->Level.Bosses.push_back({0, 0, 1, 0});
        Board->AttachBosses();
        NewLayer();
        Place(Type("Tri", 1), Frag(6, 2, 2));
        Board->Level.LayerIndex = 1;
        Board->DealFishka(); // queued crystals are not saved
    }

    TempDir Dir;
    const fs::path& Folder = Dir.Path();
    std::unique_ptr<TFileFolder> Levels;
};

TEST_F(SavedGameTest, PlaySaveIsTheEncodedDocumentWithAttributesInOrder) {
    BuildThreeLayers();
    const TLayer& layer = Board->Level.Layers[1];
    const fs::path path = Folder / "saves" / "game.sav"; // the folder is made
    SaveGame(path, *Board);

    const auto crystal = [&layer](size_t i, int n, int bonus) {
        const TFishka& f = layer.Fishkas[i];
        return "\t\t\t<Fishka x=\"" + std::to_string(f.x) + "\" y=\"" + std::to_string(f.y) +
               "\" FType=\"" + std::to_string(f.FType) + "\" N=\"" + std::to_string(n) +
               "\" BType=\"" + std::to_string(bonus) + "\" />";
    };
    const std::vector<std::string> expected = {
        "<GameSave Mode=\"3\" State=\"gsGamePlay\" Level=\"1\" Score=\"120\" PrevScore=\"100\" "
        "PutLeft=\"3\" Shifts=\"1\" Shuffles=\"2\" CurrentY=\"84\">",
        "\t<Layers>",
        "\t\t<Layer>",
        crystal(0, 1, -1),
        crystal(2, 3, 1),
        crystal(3, 1, -1),
        "\t\t</Layer>",
        "\t\t<Layer>",
        "\t\t\t<Fishka x=\"" + std::to_string(Board->Level.Layers[2].Fishkas[0].x) + "\" y=\"" +
            std::to_string(Board->Level.Layers[2].Fishkas[0].y) + "\" FType=\"" +
            std::to_string(Type("Tri", 1)) + "\" N=\"1\" BType=\"-1\" />",
        "\t\t</Layer>",
        "\t</Layers>",
        "\t<Bosses>",
        "\t\t<Boss x=\"160\" y=\"238\" Type=\"0\" Main=\"true\" />",
        "\t\t<Boss x=\"0\" y=\"0\" Type=\"1\" Main=\"fase\" />",
        "\t</Bosses>",
        "</GameSave>",
    };
    EXPECT_EQ(Decoded(path), expected);
    std::string encoded;
    for (const std::string& line : expected) {
        encoded += EncodeText(line) + "\r\n";
    }
    EXPECT_EQ(ReadBytes(path), encoded);
    EXPECT_EQ(ReadBytes(path).find("GameSave"), std::string::npos);

    // Between levels only the attributes are written; saving again replaces the file whole.
    Board->Game.GameState = gsBetweenLevels;
    Board->Game.Mode = gmPuzzle;
    SaveGame(path, *Board);
    EXPECT_EQ(Decoded(path), (std::vector<std::string>{
                                 "<GameSave Mode=\"2\" State=\"gsBetweenLevels\" Level=\"1\" "
                                 "Score=\"120\" PrevScore=\"100\" PutLeft=\"3\" Shifts=\"1\" "
                                 "Shuffles=\"2\" CurrentY=\"84\" />"}));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Folder / "saves")) {
        ++files;
    }
    EXPECT_EQ(files, 1u); // no temporary file left behind

    // Game over is not a state of its own in the file.
    Board->Game.GameState = gsGameOver;
    SaveGame(path, *Board);
    const std::vector<std::string> over = Decoded(path);
    ASSERT_FALSE(over.empty());
    EXPECT_NE(over[0].find("State=\"gsGamePlay\""), std::string::npos);
}

TEST_F(SavedGameTest, WritesThatCannotHappenRaiseIOErrorAndLeaveNoHalfFile) {
    BuildThreeLayers();
    const fs::path blocker = Folder / "file";
    std::ofstream(blocker) << "x";
    EXPECT_THROW(SaveGame(blocker / "game.sav", *Board), IOError);

    const fs::path taken = Folder / "taken.sav";
    fs::create_directory(taken); // the rename over it fails
    EXPECT_THROW(SaveGame(taken, *Board), IOError);
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), {}), 2); // no temporary file left
}

TEST_F(SavedGameTest, PlayRoundTripKeepsLayersFromTheCurrentOneCrystalsBonusesAndBosses) {
    BuildThreeLayers();
    const TLayer before = Board->Level.Layers[1];
    const TFishka later = Board->Level.Layers[2].Fishkas[0];
    const fs::path path = Folder / "game.sav";
    SaveGame(path, *Board);

    GameFixture other;
    TBoard& b = *other.Board;
    other.Clock.Tick = 20000;
    b.Game.GameState = gsTitle;
    b.Game.UndoList.push_back({0, 0, 0, 7}); // refers to a board that no longer exists
    b.Game.PointerX = 300;
    b.Game.PointerY = 200;
    ASSERT_TRUE(LoadGame(path, b, *Levels));

    EXPECT_EQ(b.Game.GameState, gsGamePlay);
    EXPECT_EQ(b.Game.Mode, gmStrategy);
    EXPECT_EQ(b.Game.LevelNumber, 1);
    EXPECT_EQ(b.Game.Score, 120);
    EXPECT_EQ(b.Game.PrevScore, 100);
    EXPECT_EQ(b.Game.Shifts, 1);
    EXPECT_EQ(b.Game.Shuffles, 2);
    EXPECT_EQ(b.Level.PutLeft, 3);
    EXPECT_EQ(b.Level.Strategic, 4);
    EXPECT_TRUE(b.Game.UndoList.empty());

    ASSERT_EQ(b.Level.Layers.size(), 2u);
    EXPECT_EQ(b.Level.LayerIndex, 0);
    EXPECT_FALSE(b.Level.LevelDone);
    const TLayer& now = b.Level.Layers[0];
    ASSERT_EQ(now.Fishkas.size(), 3u + 3u); // three restored, three dealt
    const size_t kept[] = {0, 2, 3};
    for (size_t i = 0; i < 3; ++i) {
        const TFishka& was = before.Fishkas[kept[i]];
        const TFishka& is = now.Fishkas[i];
        EXPECT_EQ(is.x, was.x) << i;
        EXPECT_EQ(is.y, was.y) << i;
        EXPECT_EQ(is.FType, was.FType) << i;
        EXPECT_EQ(is.State, fsOnBoard) << i;
    }
    TIntegers frags = before.Frags;
    EXPECT_EQ(now.Frags, frags); // every crystal snapped back onto its own fragments
    EXPECT_EQ(now.Fishkas[1].Count, 3);
    EXPECT_EQ(now.Fishkas[1].BType, 1);
    EXPECT_TRUE(now.Fishkas[1].BonusEffect.Active);
    EXPECT_EQ(now.Fishkas[1].BonusEffect.Image, "silver_coin_line.png");
    EXPECT_EQ(now.Fishkas[1].BonusEffect.Position, b.SignPoint(now.Fishkas[1]));
    EXPECT_EQ(now.Fishkas[0].BType, -1);
    EXPECT_FALSE(now.Fishkas[0].BonusEffect.Active);
    ASSERT_EQ(b.Level.Layers[1].Fishkas.size(), 1u);
    EXPECT_EQ(b.Level.Layers[1].Fishkas[0].x, later.x);
    EXPECT_EQ(b.Level.Layers[1].Fishkas[0].y, later.y);

    ASSERT_EQ(b.Level.Bosses.size(), 2u);
    EXPECT_EQ(b.Level.Bosses[0].Main, 1);
    EXPECT_EQ(b.Level.Bosses[1].Main, 0); // "fase"
    EXPECT_EQ(b.Level.Bosses[1].Type, 1);
    EXPECT_EQ(now.Fishkas[0].Boss, 0);
    EXPECT_EQ(now.MainFishka, 0);

    EXPECT_EQ(b.DrawOrder, (TIntegers{0, 1, 2}));
    EXPECT_EQ(b.Game.Queue, (TIntegers{3, 4, 5}));
    EXPECT_EQ(b.Game.InHand, 3);
    TFishka hand = now.Fishkas[3];
    b.FollowPointer(hand);
    EXPECT_EQ(now.Fishkas[3].x, hand.x); // the hand is under the pointer
    EXPECT_EQ(now.Fishkas[3].y, hand.y);
    EXPECT_FALSE(now.Contour.empty());

    // Strategy keeps the saved dead line; the bar shows the puts used.
    EXPECT_EQ(b.Game.CurrentY, 84);
    EXPECT_EQ(b.Game.ScrollMid, 42);
    EXPECT_EQ(b.Game.ViewY, 0);
    EXPECT_EQ(b.Level.NextMoveTime, 25000);
    EXPECT_EQ(other.Sounds.Music, "one.mo3");
    EXPECT_EQ(other.Controls.Get("WGame_LScoreCount", "Caption"), "120");
    EXPECT_EQ(other.Controls.Get("WGame_LShiftCount", "Caption"), "1");
    EXPECT_EQ(other.Controls.Get("WGame_LShuffleCount", "Caption"), "2");
    EXPECT_EQ(other.Controls.Get("WGame_LLevelCount", "Caption"), "1");
    EXPECT_EQ(other.Controls.Get("WGame_LPutsLeftCount", "Visible"), "true");
    EXPECT_EQ(other.Controls.Get("WGame_LPutsLeftCount", "Caption"), "3");
    EXPECT_EQ(other.Controls.Get("WGame_PBDead", "Position"), "25");
    EXPECT_TRUE(other.Controls.Windows.empty());
}

TEST_F(SavedGameTest, OtherModesFollowTheStructureAndHideThePutsLeft) {
    BuildThreeLayers();
    Board->Game.Mode = gmPuzzle;
    const fs::path path = Folder / "game.sav";
    SaveGame(path, *Board);

    GameFixture other;
    other.Board->Game.CurrentY = 7;
    other.Sounds.Music = "one.mo3";
    ASSERT_TRUE(LoadGame(path, *other.Board, *Levels));
    EXPECT_EQ(other.Board->Game.Mode, gmPuzzle);
    EXPECT_EQ(other.Board->Game.CurrentY, 7); // the saved 84 counts in Strategy only
    EXPECT_EQ(other.Controls.Get("WGame_LPutsLeftCount", "Visible"), "false");
    EXPECT_EQ(other.Controls.Get("WGame_LPutsLeftCount", "Caption"), "<unset>");
    EXPECT_EQ(other.Sounds.Stops, 0); // the same music goes on

    // The structure lower than the line allows is followed up.
    for (TFishka& f : Board->Level.Layers[1].Fishkas) {
        f.x += 16 * 21; // sixteen rows up along the slanted lattice
        f.y += 16 * 42;
    }
    SaveGame(path, *Board);
    ASSERT_TRUE(LoadGame(path, *other.Board, *Levels));
    const int32_t bottom = other.Board->BottomOf(0);
    EXPECT_GE(bottom, 253);
    EXPECT_EQ(other.Board->Game.CurrentY, bottom - 252);
}

TEST_F(SavedGameTest, BetweenLevelsSaveReopensTheBetweenLevelsWindow) {
    Board->Game.GameState = gsBetweenLevels;
    Board->Game.Mode = gmStrategy;
    Board->Game.LevelNumber = 1;
    Board->Game.Score = 900;
    Board->Game.Shifts = 4;
    const fs::path path = Folder / "autosave.sav";
    SaveGame(path, *Board);

    GameFixture other;
    other.Board->Game.GameState = gsTitle;
    ASSERT_TRUE(LoadGame(path, *other.Board, *Levels));
    EXPECT_EQ(other.Board->Game.GameState, gsBetweenLevels);
    EXPECT_EQ(other.Board->Game.Score, 900);
    EXPECT_EQ(other.Board->Game.Shifts, 4);
    EXPECT_EQ(other.Controls.Windows, (std::vector<std::string>{"WBetweenLevel"}));
    EXPECT_EQ(other.Controls.Get("WBetweenLevel_TLevel1", "Visible"), "true");
    EXPECT_EQ(other.Controls.Get("WBetweenLevel_TLevel2", "Visible"), "true");
    EXPECT_EQ(other.Controls.Get("WBetweenLevel_TLevel3", "Visible"), "<unset>");
    EXPECT_EQ(other.Controls.Get("WGame_LScoreCount", "Caption"), "900");
    EXPECT_EQ(other.Controls.Get("WGame_LShiftCount", "Caption"), "4");
    EXPECT_EQ(other.Controls.Get("WGame_LLevelCount", "Caption"), "1");
    EXPECT_EQ(other.Controls.Get("WGame_LPutsLeftCount", "Visible"), "<unset>");
    EXPECT_EQ(other.Effects.Clears, 0); // no level was loaded
    EXPECT_TRUE(other.Board->Level.Layers.empty());

    // The save lists name the level it goes on with.
    const std::optional<TSaveSummary> summary = ReadSaveSummary(path);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->Mode, gmStrategy);
    EXPECT_EQ(summary->LevelNumber, 2);
    EXPECT_EQ(summary->Score, 900);
}

TEST_F(SavedGameTest, MissingFilesLevelsAndElementlessDocuments) {
    Board->Game.Score = 5;
    const size_t settings = Controls.Log.size();
    EXPECT_FALSE(LoadGame(Folder / "none.sav", *Board, *Levels));
    EXPECT_FALSE(ReadSaveSummary(Folder / "none.sav"));
    EXPECT_EQ(Board->Game.Score, 5);
    EXPECT_EQ(Controls.Log.size(), settings);

    for (const std::vector<std::string>& lines :
         {std::vector<std::string>{"<!-- nothing here -->"}, std::vector<std::string>{"just text"},
          std::vector<std::string>{}}) {
        const fs::path path = Write(lines);
        EXPECT_FALSE(ReadSaveSummary(path));
        try {
            LoadGame(path, *Board, *Levels);
            ADD_FAILURE() << "no error for " << lines.size() << " lines";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), path.string() + "XML file does not has tags!");
        }
    }
}

// Whatever keeps a file from loading is refused with a message naming the file, and the game
// stays exactly as it was: the title behind the load window goes on working.
TEST_F(SavedGameTest, DamagedSavesAreRefusedBeforeAnythingChanges) {
    BuildThreeLayers();
    const fs::path whole = Folder / "whole.sav";
    SaveGame(whole, *Board);
    const std::string bytes = ReadBytes(whole);

    GameFixture other;
    TBoard& b = *other.Board;
    b.Game.GameState = gsTitle;
    b.Game.Mode = gmNoLose;
    b.Game.LevelNumber = 4;
    b.Game.Score = 77;
    const size_t settings = other.Controls.Log.size();
    const auto refused = [&](const fs::path& path, const std::string& message) {
        SCOPED_TRACE(message);
        try {
            LoadGame(path, b, *Levels);
            ADD_FAILURE() << "loaded";
        } catch (const Error& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.rfind(path.string(), 0), 0u) << text;
            EXPECT_NE(text.find(message), std::string::npos) << text;
        }
        EXPECT_EQ(b.Game.GameState, gsTitle);
        EXPECT_EQ(b.Game.Mode, gmNoLose);
        EXPECT_EQ(b.Game.LevelNumber, 4);
        EXPECT_EQ(b.Game.Score, 77);
        EXPECT_TRUE(b.Level.Layers.empty());
        EXPECT_EQ(other.Controls.Log.size(), settings);
        EXPECT_TRUE(other.Controls.Windows.empty());
        EXPECT_EQ(other.Effects.Clears, 0);
    };
    const auto file = [&](const std::string& name, const std::string& content) {
        const fs::path path = Folder / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    };

    // Cut short anywhere after its first line (cut inside the first, it has no element).
    const size_t firstLine = bytes.find("\r\n") + 2;
    for (size_t cut = firstLine; cut < bytes.size() - 2; cut += 7)
        refused(file("cut.sav", bytes.substr(0, cut)), "damaged");
    refused(file("cut.sav", bytes.substr(0, firstLine - 5)), "XML file does not has tags!");
    ASSERT_TRUE(LoadGame(file("cut.sav", bytes.substr(0, bytes.size() - 2)), *Board, *Levels));

    Random().Seed(5);
    for (int round = 0; round < 20; ++round) {
        std::string junk(600, '\0');
        for (char& c : junk)
            c = static_cast<char>(Random().Next(256));
        const fs::path path = file("junk.sav", junk);
        try {
            LoadGame(path, b, *Levels);
            ADD_FAILURE() << "random bytes loaded in round " << round;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path.string(), 0), 0u) << e.what();
        }
        EXPECT_EQ(b.Game.GameState, gsTitle);
        EXPECT_TRUE(b.Level.Layers.empty());
    }

    refused(Write({"<Level Mode=\"2\" State=\"gsGamePlay\" Level=\"1\"/>"}),
            "this is no saved game (its first element is <Level>, not <GameSave>)");
    refused(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Score=\"5\"/>"}), "names no level");
    refused(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"0\"/>"}),
            "has Level=\"0\" (1..1000000)");
    refused(Write({"<GameSave Mode=\"2\" State=\"gsBetweenLevels\" Level=\"-1\"/>"}),
            "has Level=\"-1\" (0..1000000)");
    refused(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"1\" "
                   "Score=\"2147483647\"/>"}),
            "has Score=\"2147483647\" (0..1000000000)");
    refused(
        Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"1\">",
               "<Layers><Layer><Fishka x=\"1\" y=\"-2147483648\" FType=\"0\"/></Layer></Layers>",
               "</GameSave>"}),
        ": layer 1 crystal 1 has y=\"-2147483648\" (-1000000..1000000)");
    refused(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"1\">",
                   "<Bosses><Boss x=\"2147483647\" y=\"1\" Type=\"0\"/></Bosses>", "</GameSave>"}),
            ": boss 1 has x=\"2147483647\" (-1000000..1000000)");
    // A level missing from the archive, or not text.
    refused(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"7\"/>"}),
            ": the saved game plays level 7, but the levels have no \"Level7.xml\"");
    refused(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"3\"/>"}),
            ": the saved game plays level 3, whose file \"Level3.xml\" is damaged");

    // The same save whole loads.
    ASSERT_TRUE(LoadGame(whole, b, *Levels));
    EXPECT_EQ(b.Game.GameState, gsGamePlay);
    EXPECT_EQ(b.Game.Score, 120);
}

TEST_F(SavedGameTest, DamagedNumbersKeepTheirDefaults) {
    TGame& g = Board->Game;
    g.Score = 11;
    g.Shifts = 2;
    g.Shuffles = 1;
    g.Mode = gmNoLose;
    const fs::path path = Write({
        "<GameSave Mode=\"9\" State=\"anything\" Level=\"1\" Score=\"12x\" PrevScore=\"\" "
        "Shifts=\"two\" CurrentY=\"low\">",
        "<Layers><Layer>",
        "<Fishka x=\"a\" y=\"300\" FType=\"0\" N=\"1\" BType=\"-1\"/>",
        "<Fishka x=\"160\" y=\"238\" FType=\"6\" N=\"q\" BType=\"?\"/>",
        "<Fishka x=\"407\" y=\"944\" FType=\"0\" N=\"1\" BType=\"-1\"/>",
        "<Rock x=\"1\" y=\"1\" FType=\"0\"/>",
        "</Layer></Layers>",
        "<Bosses><Boss x=\"1\" y=\"2\" Type=\"z\"/><Boss x=\"3\" y=\"4\" Type=\"1\"/></Bosses>",
        "</GameSave>",
    });
    ASSERT_TRUE(LoadGame(path, *Board, *Levels));
    EXPECT_EQ(g.GameState, gsGamePlay); // an unknown state reads as play
    EXPECT_EQ(g.Mode, gmNoLose);
    EXPECT_EQ(g.Score, 11);
    EXPECT_EQ(g.Shifts, 2);
    EXPECT_EQ(g.Shuffles, 1);
    ASSERT_EQ(Board->Level.Layers.size(), 1u);
    const TFishka& f = Board->Level.Layers[0].Fishkas[0];
    EXPECT_EQ(f.Count, 1);
    EXPECT_EQ(f.BType, -1);
    // The crystal far above the lattice has no place to stand on and is left out.
    EXPECT_EQ(Board->Level.Layers[0].Fishkas.size(), 1u + 3u);
    ASSERT_EQ(Board->Level.Bosses.size(), 1u);
    EXPECT_EQ(Board->Level.Bosses[0].x, 3);
    EXPECT_EQ(Board->Level.Bosses[0].Main, 0); // no Main attribute
    EXPECT_EQ(Controls.Get("WGame_LPutsLeftCount", "Visible"), "false");
}

TEST_F(SavedGameTest, IndexesOutOfRangeAreRefusedBeforeTheBoardChanges) {
    Place(Type("Tri", 0), Frag(5, 1, 2));
    Board->Game.Score = 3;
    const auto refused = [this](const std::string& item, const std::string& message) {
        const fs::path path =
            Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"1\" Score=\"99\">",
                   "<Layers><Layer><Fishka x=\"0\" y=\"0\" FType=\"1\"/></Layer><Layer>", item,
                   "</Layer></Layers><Bosses>", item, "</Bosses></GameSave>"});
        try {
            LoadGame(path, *Board, *Levels);
            ADD_FAILURE() << "accepted " << item;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), path.string() + message);
        }
    };
    refused("<Fishka x=\"1\" y=\"2\" FType=\"12\" N=\"1\" BType=\"-1\"/>",
            ": layer 2 crystal 1 has the crystal type 12, which does not exist (12 crystal types)");
    refused("<Fishka x=\"1\" y=\"2\" FType=\"-1\"/>",
            ": layer 2 crystal 1 has the crystal type -1, which does not exist (12 crystal types)");
    refused("<Fishka x=\"1\" y=\"2\" FType=\"0\" BType=\"256\"/>",
            ": layer 2 crystal 1 has the bonus kind 256 (-1..255)");
    refused("<Fishka x=\"1\" y=\"2\" FType=\"0\" BType=\"-2\"/>",
            ": layer 2 crystal 1 has the bonus kind -2 (-1..255)");
    refused("<Fishka x=\"1\" y=\"2\" FType=\"0\" N=\"256\"/>",
            ": layer 2 crystal 1 has the count 256 (0..255)");
    refused("<Boss x=\"1\" y=\"2\" Type=\"3\"/>",
            ": boss 1 has the boss type 3, which does not exist (3 boss types)");
    EXPECT_EQ(Board->Game.Score, 3);
    ASSERT_EQ(Board->Level.Layers.size(), 1u);
    EXPECT_EQ(Board->Level.Layers[0].Fishkas.size(), 1u);
    EXPECT_EQ(Effects.Clears, 0);

    // A kind above 15 is what a level with all bonus weights 0 deals: kept, without a mark.
    const fs::path path = Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"1\">",
                                 "<Layers><Layer><Fishka x=\"160\" y=\"238\" FType=\"6\" "
                                 "BType=\"20\"/></Layer></Layers>",
                                 "</GameSave>"});
    ASSERT_TRUE(LoadGame(path, *Board, *Levels));
    EXPECT_EQ(Board->Fishka(0).BType, 20);
    EXPECT_FALSE(Board->Fishka(0).BonusEffect.Active);
}

TEST_F(SavedGameTest, PlaySaveWithoutLayersOrBossesIsAnEmptyBoard) {
    Place(Type("Tri", 0), Frag(5, 1, 2));
    Board->Level.Bosses.push_back({1, 1, 0, 1});
    ASSERT_TRUE(LoadGame(Write({"<GameSave Mode=\"2\" State=\"gsGamePlay\" Level=\"2\" />"}),
                         *Board, *Levels));
    ASSERT_EQ(Board->Level.Layers.size(), 1u);
    EXPECT_EQ(Board->Level.LayerIndex, 0);
    EXPECT_TRUE(Board->Level.Bosses.empty());
    EXPECT_TRUE(Board->DrawOrder.empty());
    EXPECT_TRUE(Board->Layer().Frags.empty());
    EXPECT_EQ(Board->Game.Queue, (TIntegers{0, 1, 2}));
    EXPECT_EQ(Board->Game.LevelNumber, 2);
    Board->CheckIndexes();
}

TEST_F(SavedGameTest, ASaveThatFailsPartWayLeavesTheOldSaveWhole) {
    BuildThreeLayers();
    const fs::path path = Folder / "game.sav";
    SaveGame(path, *Board);
    const std::string before = ReadBytes(path);
    ASSERT_GT(before.size(), 100u);

    Board->Game.Score = 999;
    try {
        SaveGame(path, *Board, DiskFullAfter(100)); // the disk fills up inside the layers
        ADD_FAILURE() << "no error";
    } catch (const IOError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("Cannot write file \"" + path.string() + ".", 0), 0u) << message;
        EXPECT_TRUE(message.ends_with("\": No space left on device")) << message;
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), {}), 1);
}

} // namespace
} // namespace qz::test
