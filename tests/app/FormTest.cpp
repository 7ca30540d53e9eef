// The main window on a small archive pair, headless: the start-up and preparation log, the
// frame loop, the intro, pause and resume, the host drawing and shutdown.
#include "AppData.h"
#include "TempDir.h"
#include "app/Form1.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/KeyCodes.h"
#include "audio/AudioDevice.h"
#include "fonts/NyxFontEngine.h"
#include "fx/NyxFXParticles.h"
#include "gfx/JpegPNG.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/InputEvent.h"
#include "platform/MessageBox.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace qz {
namespace {

class RecordingAudio final : public IAudioDevice {
public:
    uint32_t GetVersion() const override { return AudioVersion; }
    bool Init() override { return true; }
    void Start() override { ++Starts; }
    void Pause() override { ++Pauses; }
    void Stop() override { ++Stops; }
    void SetGlobalVolumes(int music, int sample) override {
        MusicVolume = music;
        SampleVolume = sample;
    }
    TAudioHandle SampleLoad(const void*, size_t, int) override { return ++last; }
    TAudioHandle MusicLoad(const void*, size_t) override { return ++last; }
    bool SamplePlay(TAudioHandle, int) override { return true; }
    bool MusicPlay(TAudioHandle, int) override { return true; }
    void SampleStop(TAudioHandle) override {}
    void MusicStop(TAudioHandle) override {}
    void SampleFree(TAudioHandle) override {}
    void MusicFree(TAudioHandle) override {}

    int Starts = 0, Pauses = 0, Stops = 0, MusicVolume = -1, SampleVolume = -1;
    TAudioHandle last = 0;
};

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    const std::string all = text.str();
    size_t start = 0;
    for (size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(all.substr(start, end - start));
    EXPECT_EQ(start, all.size()) << "every line ends in CR LF";
    return lines;
}

// The message of a log line, without its time.
std::string Message(const std::string& line) {
    const size_t blank = line.find("} ");
    return blank == std::string::npos ? line : line.substr(blank + 2);
}

class AppForm : public ::testing::Test {
protected:
    void Start(const test::AppDataOptions& data = {}) {
        test::MakeAppData(dir.Path(), data);
        TFolders folders{dir.Path(), dir.Path(), true};
        form =
            std::make_unique<TForm1>(folders, TFormServices{clock, audio, box, &display, nullptr});
        form->FormCreate();
        // The loading window showed the archive conversion, then gave the title back.
        loadingPresents = display.PresentCount();
        EXPECT_EQ(display.Title(), "Quarzel");
        form->FormActivate();
    }
    // Frames presented since the loading window.
    uint64_t FramePresents() const { return display.PresentCount() - loadingPresents; }
    void Frames(int count, uint32_t step = 10) {
        for (int i = 0; i < count; ++i) {
            form->IdlePass();
            clock.Advance(step);
        }
    }

    test::TempDir dir;
    TManualClock clock{0};
    RecordingAudio audio;
    test::TRecordingBox box;
    THeadlessDisplay display;
    uint64_t loadingPresents = 0;
    std::unique_ptr<TForm1> form;
};

TEST_F(AppForm, StartUpPreparationAndShutdownLogInOrder) {
    std::ofstream(dir.Path() / "Quarzel.log") << "from an earlier run\r\n";
    Start();
    Frames(5);
    EXPECT_EQ(form->EffectTypes.size(), 16u);
    form->FormDestroy();
    const std::vector<std::string> lines = ReadLines(dir.Path() / "Quarzel.log");
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[0], "{0:0:0} Quarzel Version: 1.16");
    const std::vector<std::string>& expected = test::RunLogLines();
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(Message(lines[i]).starts_with(expected[i])) << i << ": " << lines[i];
    EXPECT_TRUE(Message(lines[4]).ends_with(" Mb"));
    EXPECT_EQ(lines.back(), "{0:0:50} Everage FPS: 0");
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();

    // What the preparation did: the working archives, the font, the effects, the pictures.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "temp" / "game.zxc"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "temp" / "levels.zxc"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "saves"));
    EXPECT_EQ(form->RiseDistance, 36);
    EXPECT_EQ(form->CursorWidth, 720);
    EXPECT_EQ(form->CursorHeight, 20);
    EXPECT_GE(loadingPresents, 2u);
    EXPECT_EQ(FramePresents(), 5u);
    EXPECT_EQ(audio.Stops, 1);
    // The options were saved at shutdown with the keys the game owns.
    const std::string options = [&] {
        std::ifstream in(dir.Path() / "options.cfg");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }();
    EXPECT_NE(options.find("Build=116"), std::string::npos);
    EXPECT_NE(options.find("PlayerName=Player"), std::string::npos);
    EXPECT_NE(options.find("BitsPerPixel=32"), std::string::npos);
}

TEST_F(AppForm, MissingEntriesGiveTheGamesErrorsAndStartGoesOn) {
    Start({{"SwapEffect.xml"}});
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_EQ(box.Messages[0], "Can not find SwapEffect.xmlin file folder");
    EXPECT_TRUE(form->DisplayReady());
    EXPECT_TRUE(form->StartFailure().empty());
    Frames(3);
    EXPECT_EQ(FramePresents(), 3u);
}

TEST_F(AppForm, MissingArchivesAreOneMessageAndNoGame) {
    TFolders folders{dir.Path(), dir.Path(), true};
    form = std::make_unique<TForm1>(folders, TFormServices{clock, audio, box, &display, nullptr});
    form->FormCreate();
    loadingPresents = display.PresentCount();
    form->FormActivate();
    const std::string game = (dir.Path() / "game" / "game.zxc").string();
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_EQ(box.Messages[0], "Quarzel cannot start: the game file \"" + game +
                                   "\" is missing or damaged (Can not find file " + game +
                                   "!). Please reinstall the game.");
    EXPECT_EQ(form->StartFailure(), box.Messages[0]);
    EXPECT_FALSE(form->DisplayReady());
    Frames(2);
    EXPECT_EQ(FramePresents(), 0u);
    EXPECT_EQ(box.Messages.size(), 1u);
}

TEST_F(AppForm, AStartClearsTheLeftoversOfRewritesCutShort) {
    std::filesystem::create_directories(dir.Path() / "saves");
    std::ofstream(dir.Path() / "saves" / "QuickSave.sav.a1B2c3.saving") << "half a save";
    std::ofstream(dir.Path() / "saves" / "QuickSave.sav") << "the save";
    std::ofstream(dir.Path() / "options.cfg.Zz09yY.saving") << "half the options";
    std::ofstream(dir.Path() / "HighScoresRTP.dat.000000.saving") << "";
    Start();
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "saves" / "QuickSave.sav.a1B2c3.saving"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "options.cfg.Zz09yY.saving"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "HighScoresRTP.dat.000000.saving"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "saves" / "QuickSave.sav"));
}

TEST_F(AppForm, SecondActivationDoesNotPrepareAgain) {
    Start();
    const auto before = ReadLines(dir.Path() / "Quarzel.log").size();
    form->FormActivate();
    EXPECT_EQ(ReadLines(dir.Path() / "Quarzel.log").size(), before);
}

TEST_F(AppForm, IntroFadesLoadsThenShowsTheTitle) {
    int prepared = 0;
    test::MakeAppData(dir.Path());
    form = std::make_unique<TForm1>(TFolders{dir.Path(), dir.Path(), true},
                                    TFormServices{clock, audio, box, &display, nullptr});
    form->OnPreparePieces = [&](TForm1&) { ++prepared; };
    form->FormCreate();
    form->FormActivate();
    EXPECT_EQ(form->IntroStart, 0);
    clock.Set(1000);
    form->IdlePass();
    EXPECT_EQ(form->SketchAlpha, 128);
    EXPECT_EQ(form->TitleAlpha, 0);
    clock.Set(2001);
    form->IdlePass();
    EXPECT_EQ(prepared, 1);
    EXPECT_EQ(form->SketchAlpha, 255);
    EXPECT_EQ(form->IntroStart, 1);
    // The sketch alone, opaque, over the background.
    const uint32_t pixel = display.Frame()[300 * 800 + 400];
    EXPECT_GT(pixel & 0xFF, 150u) << std::hex << pixel;
    EXPECT_LT(pixel >> 16, 50u) << std::hex << pixel;
    clock.Set(1 + 2500);
    form->IdlePass();
    EXPECT_EQ(form->TitleAlpha, 128);
    EXPECT_EQ(form->Game.GameState, gsIntro);
    clock.Set(1 + 3001);
    form->IdlePass();
    EXPECT_EQ(form->Game.GameState, gsTitle);
    EXPECT_EQ(prepared, 1);
}

TEST_F(AppForm, FocusLossStopsFramesAndAudioAndShiftsTimers) {
    Start();
    form->Game.GameState = gsTitle; // no intro steps in the way
    Frames(3);
    form->Level.NextMoveTime = 1000;
    form->Game.DangerStart = 2000;
    const auto presents = display.PresentCount();
    const int starts = audio.Starts;
    form->HandleInput(TInputEvent::FocusLost());
    EXPECT_TRUE(form->Paused());
    EXPECT_EQ(audio.Pauses, 1);
    EXPECT_TRUE(display.SystemCursorVisible());
    Frames(500); // 5 s in the background
    EXPECT_EQ(display.PresentCount(), presents);
    form->HandleInput(TInputEvent::FocusLost());
    EXPECT_EQ(audio.Pauses, 1) << "a second loss pauses nothing more";
    form->HandleInput(TInputEvent::FocusGained());
    EXPECT_FALSE(form->Paused());
    EXPECT_EQ(audio.Starts, starts + 1);
    EXPECT_FALSE(display.SystemCursorVisible());
    EXPECT_EQ(form->Level.NextMoveTime, 1000 + 5000);
    EXPECT_EQ(form->Game.DangerStart, 2000 + 5000);
    Frames(2);
    EXPECT_EQ(display.PresentCount(), presents + 2);
    form->HandleInput(TInputEvent::FocusGained());
    EXPECT_EQ(form->Level.NextMoveTime, 6000) << "a second return shifts nothing";
}

TEST_F(AppForm, HoldingSpaceSwapsOnceUntilItIsReleased) {
    Start();
    // One crystal type is enough for a queue on an empty layer.
    form->Defs.FishkaShapes.emplace_back();
    form->Defs.FishkaTypes.push_back({"One_0", "One_0", "One_0", 0, 0});
    form->Game.GameState = gsGamePlay;
    form->Level.Layers.emplace_back();
    form->Level.LayerIndex = 0;
    for (int i = 0; i < QueueLength; ++i)
        form->Board->DealFishka();
    ASSERT_EQ(form->Game.Queue, (TIntegers{0, 1, 2}));
    form->HandleInput(TInputEvent::KeyDown(vkSpace));
    form->HandleInput(TInputEvent::KeyDown(vkSpace, 0, true)); // the key repeats
    form->HandleInput(TInputEvent::KeyDown(vkSpace));
    EXPECT_EQ(form->Game.Queue, (TIntegers{1, 2, 0}));
    form->HandleInput(TInputEvent::KeyUp(vkSpace));
    form->HandleInput(TInputEvent::KeyDown(vkSpace));
    EXPECT_EQ(form->Game.Queue, (TIntegers{2, 0, 1}));
}

TEST_F(AppForm, ErrorHandlerShowsTheMessageAndTheLoopGoesOn) {
    Start();
    EXPECT_FALSE(form->Guarded([] { throw Error("broken"); }));
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_EQ(box.Messages[0], "broken");
    EXPECT_TRUE(form->IdleInstalled());
}

TEST_F(AppForm, FrameRateAverageCountsOnlyPlaySeconds) {
    Start();
    form->Game.GameState = gsGamePlay;
    form->SampleTick = clock.Ticks();
    form->FrameCounter = 0;
    // 60 frames within the second, then the sample: the rate is 60 and the average 30.
    const uint32_t t0 = clock.Ticks();
    for (int i = 0; i < 60; ++i) {
        form->IdlePass();
        clock.Advance(16);
    }
    clock.Set(t0 + 1001);
    form->IdlePass();
    EXPECT_EQ(form->LastFrameRate, 60);
    EXPECT_DOUBLE_EQ(form->AverageFrameRate, 30);
    form->Game.GameState = gsTitle;
    clock.Advance(1100);
    form->IdlePass();
    EXPECT_DOUBLE_EQ(form->AverageFrameRate, 30);
    EXPECT_EQ(FormatGeneral(30.5, 3), "30.5");
    EXPECT_EQ(FormatGeneral(30, 3), "30");
    EXPECT_EQ(FormatGeneral(2.0 / 3, 3), "0.667");
    EXPECT_EQ(FormatGeneral(1234.5, 3), "1.23E3");
}

TEST_F(AppForm, HostDrawsIntoTheCompositionPicture) {
    Start();
    int32_t w = -1, h = -1;
    form->GetPictureSize(w, h, "no such picture");
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    form->GetPictureSize(w, h, "cursor_line.png");
    EXPECT_EQ(w, 720);
    form->GetScreenSize(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    TSurface& memory = *form->SurfEngine->FindSurface("MemorySurface");
    auto pixel = [&](int x, int y) {
        return *reinterpret_cast<const uint32_t*>(memory.Surface->Row(y) + x * 4) & 0xFFFFFF;
    };
    form->SurfEngine->FillSurface("MemorySurface", 0);
    form->DrawRect("any", TRect{10, 10, 19, 19}, 0x0000FF, 255, 1);
    EXPECT_NE(pixel(15, 15), 0u);
    EXPECT_EQ(pixel(25, 25), 0u);
    form->Draw("cursor_line.png", "whatever", 100, 100, 255);
    EXPECT_EQ(pixel(100, 100), 0xFFFFFFu);
    form->DrawColoredAlpha("cursor_line.png", "x", 100, 200, 0x000000, 255);
    EXPECT_LT(pixel(100, 200), 0x101010u) << "tint weight 1 gives almost the flat colour";
}

TEST_F(AppForm, CursorIsCutAtTheScreenEdge) {
    Start();
    TSurface& memory = *form->SurfEngine->FindSurface("MemorySurface");
    auto pixel = [&](int x, int y) {
        return *reinterpret_cast<const uint32_t*>(memory.Surface->Row(y) + x * 4) & 0xFFFFFF;
    };
    form->Game.GameState = gsTitle; // nothing but the windows and the cursor
    form->SurfEngine->FillSurface("MemorySurface", 0);
    form->HandleInput(TInputEvent::MouseMove(790, 590));
    form->ComposeFrame();
    EXPECT_EQ(pixel(799, 599), 0xFFFFFFu);
    EXPECT_EQ(pixel(789, 589), 0u);
    EXPECT_EQ(pixel(790, 589), 0u);
}

TEST_F(AppForm, ScreenshotIsAValid800x600Png) {
    Start();
    Frames(2);
    const std::string file = (dir.Path() / "shot.png").string();
    ASSERT_TRUE(form->SaveScreenshot(file));
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    const TRGBImage image = DecodePNG(bytes.View());
    EXPECT_EQ(image.Width, 800);
    EXPECT_EQ(image.Height, 600);
}

} // namespace
} // namespace qz
