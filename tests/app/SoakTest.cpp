// Seeded bot games through the real frame loop on the shipped data: each game starts from
// the title in one of the three modes at one of the levels, the bot puts, and the tools and
// turning are used at random; after every action the board's lists must still agree.
// QUARZEL_SOAK_GAMES sets how many games (20 by default), QUARZEL_SOAK_FIRST the first one.
#include "AppData.h"
#include "TempDir.h"
#include "app/Form1.h"
#include "app/InputScript.h"
#include "app/ScriptChecks.h"
#include "archive/Random.h"
#include "audio/NullAudioDevice.h"
#include "game/BoardLists.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/Launcher.h"
#include "platform/SettingsStore.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace qz {
namespace {

int EnvironmentNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

// The clock's step per frame: coarser than a real frame, so that a game takes fewer passes.
constexpr uint32_t FrameMs = 40;

struct TSoakCounts {
    int Puts = 0;
    int Tools = 0;
    int Won = 0;
    int Lost = 0;
    int Unfinished = 0;
};

class SoakGame {
public:
    SoakGame(const test::TempDir& user, int game)
        : game_(game), level_(1 + game * 17 % 40), mode_(1 + game % 3), random_(game + 1) {
        TFolders folders{QUARZEL_BIN_DIR, user.Path(), false};
        settings_.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "ENU");
        form_ = std::make_unique<TForm1>(folders,
                                         TFormServices{clock_, audio_, box_, &display_, nullptr,
                                                       &clipboard_, &settings_, &launcher_});
        form_->FixedSeed = static_cast<uint64_t>(game) + 1;
    }

    std::string Where() const {
        return "game " + std::to_string(game_) + " (level " + std::to_string(level_) + ", mode " +
               std::to_string(mode_) + ") at tick " + std::to_string(clock_.Ticks());
    }

    void Play(TSoakCounts& counts) {
        form_->FormCreate();
        form_->FormActivate();
        ASSERT_TRUE(form_->StartFailure().empty()) << form_->StartFailure();
        // Debug mode lets the new game start at the level under test.
        form_->Options.DebugMode = DebugAccessValue;
        form_->CommandLineLevel = "Level" + std::to_string(level_) + ".xml";
        RunFor(3600);
        ASSERT_EQ(form_->Game.GameState, gsTitle) << Where();
        Script("click WTitle_BNewGame");
        RunFor(100);
        const char* modes[] = {"", "WStartGame_RBNoLose", "WStartGame_RBPuzzle",
                               "WStartGame_RBStrategy"};
        Script(std::string("click ") + modes[mode_]);
        Script("click WStartGame_BPlay");
        RunFor(FrameMs);
        ASSERT_EQ(form_->Game.GameState, gsGamePlay) << Where();
        ASSERT_EQ(form_->Game.Mode, mode_) << Where();

        const char* tools[] = {"WGame_BSwap", "WGame_BUndo", "WGame_BShift", "WGame_BShuffle"};
        for (int action = 0; action < 120 && Playing(); ++action) {
            RunFor(FrameMs * static_cast<uint32_t>(1 + random_.Next(20)));
            if (!Playing())
                break;
            const int32_t choice = random_.Next(10);
            if (choice < 2) {
                Script(std::string("click ") + tools[random_.Next(4)]);
                ++counts.Tools;
            } else if (choice == 2) {
                Script("click right 400 300");
            } else {
                for (const TScriptEvent& line :
                     BotPutLines(*form_, ParseInputScriptLine("0 botput", 1)))
                    Send(line);
                ++counts.Puts;
            }
            RunFor(FrameMs);
            if (Playing()) {
                test::ExpectConsistentLists(*form_->Board, Where());
                if (::testing::Test::HasFatalFailure())
                    return;
            }
        }
        ASSERT_TRUE(box_.Messages.empty()) << Where() << ": " << box_.Messages.front();
        if (form_->Game.GameState == gsGamePlay && !form_->Board->Level.LevelDone)
            ++counts.Unfinished;
        else if (form_->Game.GameState == gsGameOver)
            ++counts.Lost;
        else
            ++counts.Won;
        form_->FormDestroy();
    }

private:
    bool Playing() const {
        return form_->Game.GameState == gsGamePlay && !form_->Board->Level.LevelDone;
    }
    void RunFor(uint32_t ms) {
        const uint32_t end = clock_.Ticks() + ms;
        while (clock_.Ticks() < end) {
            clock_.Advance(FrameMs);
            form_->IdlePass();
        }
    }
    void Send(const TScriptEvent& line) {
        TScriptInput input(
            [&](const std::string& name) { return form_->Interface->ControlBounds(name); });
        for (const TInputEvent& event : input.Translate(line))
            form_->HandleInput(event);
    }
    void Script(const std::string& line) {
        Send(ParseInputScriptLine("0 " + line, 1));
        form_->IdlePass();
    }

    int game_;
    int level_;
    int mode_;
    TRandom random_;
    TManualClock clock_{0};
    TNullAudioDevice audio_;
    test::TRecordingBox box_;
    THeadlessDisplay display_;
    TMemoryClipboard clipboard_;
    TMemorySettingsStore settings_;
    TRecordingLauncher launcher_;
    std::unique_ptr<TForm1> form_;
};

TEST(Soak, SeededBotGamesOverEveryLevelAndModeKeepTheBoardConsistent) {
    const int first = EnvironmentNumber("QUARZEL_SOAK_FIRST", 0);
    const int games = EnvironmentNumber("QUARZEL_SOAK_GAMES", 20);
    // One folder for every game, so that only the first start composes the crystals.
    test::TempDir user;
    TSoakCounts counts;
    for (int game = first; game < first + games; ++game) {
        SoakGame soak(user, game);
        soak.Play(counts);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    std::printf("soak: %d games, %d puts, %d tool clicks; %d won, %d lost, %d unfinished\n", games,
                counts.Puts, counts.Tools, counts.Won, counts.Lost, counts.Unfinished);
    EXPECT_GT(counts.Puts, games * 5);
    EXPECT_GT(counts.Won + counts.Lost, games / 4);
}

} // namespace
} // namespace qz
