// The main window on the game's own data as the build made it: the intro loads the
// definitions and composes every crystal with the loading bar moving, the title window
// comes up in the stored language, and its menus open their windows.
#include "AppData.h"
#include "TempDir.h"
#include "app/Form1.h"
#include "app/InputScript.h"
#include "archive/FileFolder.h"
#include "archive/KeyCodes.h"
#include "audio/NullAudioDevice.h"
#include "fx/NyxFXParticles.h"
#include "game/LevelBot.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace qz {
namespace {

class ShippedGame : public ::testing::Test {
protected:
    void Start() {
        TFolders folders{QUARZEL_BIN_DIR, user.Path(), false};
        form = std::make_unique<TForm1>(folders, TFormServices{clock, audio, box, &display, nullptr,
                                                               &clipboard, &settings, &launcher});
        form->FormCreate();
        form->FormActivate();
    }
    void RunTo(uint32_t tick) {
        while (clock.Ticks() < tick) {
            clock.Advance(10);
            form->IdlePass();
        }
    }
    void Click(const std::string& control) {
        TScriptInput input(
            [&](const std::string& name) { return form->Interface->ControlBounds(name); });
        for (const TInputEvent& event :
             input.Translate(ParseInputScriptLine("0 click " + control, 1)))
            form->HandleInput(event);
        form->IdlePass();
    }

    test::TempDir user;
    TManualClock clock{0};
    TNullAudioDevice audio;
    test::TRecordingBox box;
    THeadlessDisplay display;
    TMemoryClipboard clipboard;
    TMemorySettingsStore settings;
    TRecordingLauncher launcher;
    std::unique_ptr<TForm1> form;
};

TEST_F(ShippedGame, IntroComposesTheCrystalsAndTheTitleMenusOpenTheirWindows) {
    settings.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "DEU");
    Start();
    ASSERT_TRUE(box.Messages.empty()) << box.Messages.front();
    const uint64_t beforeIntro = display.PresentCount();
    RunTo(2000);
    const uint64_t beforeLoading = display.PresentCount();
    RunTo(2020);
    // The preparation showed the loading bar at each of its steps within one pass.
    EXPECT_GE(display.PresentCount() - beforeLoading, 10u);
    EXPECT_EQ(form->Interface->GetProperty("WGameLoading_PBGameLoading", "Position"), "100");
    EXPECT_TRUE(form->PiecesPrepared);
    ASSERT_FALSE(form->Defs.FishkaTypes.empty());
    EXPECT_EQ(form->Defs.FishkaTypes.size(),
              form->Defs.FishkaShapes.size() * form->Defs.FishkaColors.size());
    for (const TFishkaType& type : form->Defs.FishkaTypes) {
        const TSurface* picture = form->SurfEngine->FindSurface(type.Image);
        ASSERT_NE(picture, nullptr) << type.Name;
        EXPECT_GT(picture->Width, 0) << type.Name;
    }
    // The composed crystals are kept in the working archive for the next start.
    const auto levels = TFileFolder::Open((user.Path() / "temp" / "levels.zxc").string());
    EXPECT_GE(levels->IndexOf(form->Defs.FishkaTypes.front().Name + ".pNg"), 0);

    RunTo(3500);
    EXPECT_GT(display.PresentCount(), beforeIntro);
    ASSERT_EQ(form->Game.GameState, gsTitle);
    EXPECT_EQ(form->Interface->TopWindow(), "WTitle");
    EXPECT_EQ(form->Interface->GetProperty("WTitle_BNewGame", "Caption"), "Neues Spiel");

    // The pointing effect circles the play button of the start window.
    Click("WTitle_BNewGame");
    ASSERT_EQ(form->Interface->TopWindow(), "WStartGame");
    const std::optional<TPoint> play = form->ControlCentre("WStartGame_BPlay");
    ASSERT_TRUE(play);
    form->HandleInput(TInputEvent::MouseMove(790, 5));
    RunTo(clock.Ticks() + 300);
    const std::vector<uint32_t> with = display.Frame();
    form->PartEffects.clear();
    RunTo(clock.Ticks() + 10);
    const std::vector<uint32_t>& without = display.Frame();
    int near = 0, far = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 760; ++x) {
            if (with[size_t(y) * 800 + x] == without[size_t(y) * 800 + x])
                continue;
            (std::abs(x - play->X) < 140 && std::abs(y - play->Y) < 80 ? near : far) += 1;
        }
    }
    EXPECT_GT(near, 50);
    EXPECT_EQ(far, 0);
    Click("WStartGame_BBack");
    EXPECT_EQ(form->Interface->TopWindow(), "WTitle");

    Click("WTitle_BOptions");
    EXPECT_EQ(form->Interface->TopWindow(), "WOptions");
    Click("WOptions_BCancel");
    EXPECT_EQ(form->Interface->TopWindow(), "WTitle");
    Click("WTitle_BHighScores");
    EXPECT_EQ(form->Interface->TopWindow(), "WHighScores");
    Click("WHighScores_BBack");
    Click("WTitle_BQuit");
    EXPECT_TRUE(form->CloseRequested);
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();
}

// A level played through the windows: the start window's play button, the hand following
// the pointer and a put by a click, the game menu on Esc, the rest of the level by the bot,
// then the level-complete and between-level windows, the autosave and the next level.
TEST_F(ShippedGame, FirstLevelIsPlayedThroughItsWindows) {
    Start();
    RunTo(3500);
    ASSERT_EQ(form->Game.GameState, gsTitle);
    Click("WTitle_BNewGame");
    Click("WStartGame_RBNoLose");
    EXPECT_EQ(form->Game.Mode, gmNoLose);
    Click("WStartGame_BPlay");
    ASSERT_EQ(form->Game.GameState, gsGamePlay);
    EXPECT_EQ(form->Interface->TopWindow(), "WGame");
    ASSERT_TRUE(form->Board->HasLayer());
    ASSERT_GE(form->Game.InHand, 0);
    // No puts are counted in no-lose play: neither the number nor its caption shows.
    EXPECT_EQ(form->Interface->GetProperty("WGame_LPutsLeftCount", "Visible"), "False");
    EXPECT_EQ(form->Interface->GetProperty("WGame_LPutsLeft", "Visible"), "False");

    // Once the view has scrolled to the structure, sweep the pointer over the board,
    // clicking wherever the crystal in hand fits, until it is put.
    RunTo(clock.Ticks() + 2500);
    const int32_t handBefore = form->Game.InHand;
    bool put = false;
    for (int y = 120; y < 560 && !put; y += 4) {
        for (int x = 20; x < 580 && !put; x += 4) {
            form->HandleInput(TInputEvent::MouseMove(x, y));
            if (form->Level.HoverFrags.empty())
                continue;
            form->HandleInput(TInputEvent::MouseDown(TMouseButton::mbLeft, x, y));
            form->HandleInput(TInputEvent::MouseUp(TMouseButton::mbLeft, x, y));
            put = form->Game.InHand != handBefore;
        }
    }
    ASSERT_TRUE(put);
    RunTo(clock.Ticks() + 500);
    EXPECT_EQ(form->Interface->GetProperty("WGame_LLevelCount", "Caption"), "1");

    // F2 saves quickly; Alt+Enter switches to full screen and keeps the level running.
    form->HandleInput(TInputEvent::KeyDown(vkF1 + 1));
    EXPECT_TRUE(std::filesystem::exists(user.Path() / "saves" / "QuickSave.sav"));
    form->HandleInput(TInputEvent::KeyDown(vkReturn, ssAlt));
    EXPECT_TRUE(display.FullScreen());
    EXPECT_EQ(form->Options.FullScreenMode, 1);
    EXPECT_EQ(form->Game.GameState, gsGamePlay);

    form->HandleInput(TInputEvent::KeyDown(vkEscape));
    EXPECT_EQ(form->Game.GameState, gsGameMenu);
    EXPECT_EQ(form->Interface->TopWindow(), "WGameMenu");
    RunTo(clock.Ticks() + 100);
    form->HandleInput(TInputEvent::KeyDown(vkEscape));
    EXPECT_EQ(form->Game.GameState, gsGamePlay);
    EXPECT_EQ(form->Interface->TopWindow(), "WGame");

    const TBotResult result = PlayLevel(
        *form->Board, [&](int32_t ms) { clock.Advance(static_cast<uint32_t>(ms)); }, 200,
        [](const std::string&) {});
    ASSERT_EQ(result.Outcome, "won");
    RunTo(clock.Ticks() + 3500);
    ASSERT_EQ(form->Game.GameState, gsBetweenLevels);
    EXPECT_EQ(form->Interface->TopWindow(), "WLevelComplete");
    Click("WLevelComplete_BOk");
    EXPECT_EQ(form->Interface->TopWindow(), "WBetweenLevel");
    EXPECT_EQ(form->Interface->GetProperty("WBetweenLevel_TLevel2", "Visible"), "True");
    EXPECT_TRUE(std::filesystem::exists(user.Path() / "saves" / "autosave.sav"));
    Click("WBetweenLevel_BNextLevel");
    EXPECT_EQ(form->Game.GameState, gsGamePlay);
    EXPECT_EQ(form->Game.LevelNumber, 2);
    EXPECT_EQ(form->Interface->GetProperty("WGame_LLevelCount", "Caption"), "2");
    RunTo(clock.Ticks() + 200);
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The built program on a copy of the shipped data, driven by an input script through its
// menus until its own quit button ends it.
TEST(ShippedProgram, StartsLogsInOrderAndQuitsFromTheTitle) {
    test::TempDir dir;
    for (const char* folder : {"game", "levels", "lng"})
        std::filesystem::copy(std::filesystem::path(QUARZEL_BIN_DIR) / folder, dir.Path() / folder,
                              std::filesystem::copy_options::recursive);
    std::ofstream(dir.Path() / "input.txt") << "4000 click WTitle_BOptions\n"
                                               "4300 screenshot "
                                            << dir.File("options.png")
                                            << "\n"
                                               "4400 click WOptions_BOk\n"
                                               "4600 click WTitle_BQuit\n";
    const std::string command = std::string(QUARZEL_BINARY) + " --headless --data-dir " +
                                dir.Path().string() + " --language RUS --input " +
                                dir.File("input.txt") + " --quit-at 20000 > /dev/null 2> " +
                                dir.File("err.txt");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(dir.Path() / "err.txt");
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "options.png"));

    std::istringstream log(ReadText(dir.Path() / "Quarzel.log"));
    std::vector<std::string> messages;
    for (std::string line; std::getline(log, line);) {
        ASSERT_TRUE(line.ends_with("\r")) << line;
        messages.push_back(line.substr(line.find("} ") + 2, line.size() - line.find("} ") - 3));
    }
    const std::vector<std::string>& expected = test::RunLogLines();
    ASSERT_EQ(messages.size(), expected.size()) << ReadText(dir.Path() / "Quarzel.log");
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(messages[i].starts_with(expected[i])) << i << ": " << messages[i];
    // The quit button ended the run long before --quit-at.
    EXPECT_TRUE(ReadText(dir.Path() / "Quarzel.log").find("{0:4:") != std::string::npos);
}

} // namespace
} // namespace qz
