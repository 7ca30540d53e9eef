// Frames per second of whole frames of the game: an idle title screen composed and presented,
// headless and in a real window when an X display is there (scripts/bench-frame.sh runs it
// under Xvfb); and a busy frame of a level in play composed at 32 and 16 bits, with the
// fastest blending kernels and with the scalar formulas, their ratio printed at the end.
// The game's own data is used when the build made it; the title falls back to a small
// stand-in with the intro pictures only, and the busy frame needs the real data.
#include "app/Form1.h"
#include "app/InputScript.h"
#include "archive/FileFolder.h"
#include "archive/Random.h"
#include "audio/NullAudioDevice.h"
#include "fx/NyxFXParticles.h"
#include "game/Board.h"
#include "game/LevelLoader.h"
#include "gfx/JpegPNG.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/InputEvent.h"
#include "platform/MessageBox.h"
#include "platform/SdlDisplay.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace {

using namespace qz;

const std::filesystem::path WorkFolder =
    std::filesystem::temp_directory_path() / "quarzel-bench-frame";
const bool ShippedData = std::filesystem::exists(QUARZEL_BIN_DIR "/game/game.zxc");
// --busy-frame-png=FOLDER: where the busy frames are written as pictures, to see what is
// measured.
std::filesystem::path BusyFramePictures;

// The program folder: the build's game data, or a stand-in with the cursor strip and the
// intro pictures.
std::filesystem::path MakeData() {
    std::filesystem::create_directories(WorkFolder);
    if (ShippedData)
        return QUARZEL_BIN_DIR;
    const std::filesystem::path folder = WorkFolder / "data";
    std::filesystem::create_directories(folder / "game");
    std::filesystem::create_directories(folder / "levels");
    auto game = TFileFolder::CreateNew((folder / "game" / "game.zxc").string());
    game->AddFile("cursor_line.png", 0, EncodePNG(TRGBImage::Blank(720, 40, 200)));
    game->AddFile("Title.jpg", 0, EncodeJPEG(TRGBImage::Blank(800, 600), 90));
    game->AddFile("TitleSketch.jpg", 0, EncodeJPEG(TRGBImage::Blank(800, 600), 90));
    game->Save();
    TFileFolder::CreateNew((folder / "levels" / "levels.zxc").string())->Save();
    return folder;
}

// The game's main window with its own headless services, started and taken through the
// intro to the title window. Each has a user folder of its own.
struct TGameWindow {
    TManualClock Clock{0};
    TNullAudioDevice Audio;
    THeadlessMessageBox Box;
    std::unique_ptr<TForm1> Form;

    TGameWindow(const std::string& name, IDisplay& display, int bitsPerPixel) {
        const std::filesystem::path program = MakeData();
        const std::filesystem::path user = WorkFolder / name;
        std::filesystem::remove_all(user);
        std::filesystem::create_directories(user);
        std::ofstream(user / "options.cfg")
            << "[Options]\r\nBitsPerPixel=" << bitsPerPixel << "\r\n";
        Form = std::make_unique<TForm1>(TFolders{program, user, false},
                                        TFormServices{Clock, Audio, Box, &display, nullptr});
        Form->FixedSeed = 5;
        Form->FormCreate();
        Form->FormActivate();
        for (uint32_t tick : {1000u, 2001u, 2500u, 3002u, 3100u})
            RunTo(tick);
        Form->HandleInput(TInputEvent::MouseMove(400, 300));
    }
    ~TGameWindow() { Form->FormDestroy(); }

    void RunTo(uint32_t tick) {
        while (Clock.Ticks() < tick) {
            Clock.Advance(std::min(10u, tick - Clock.Ticks()));
            Form->IdlePass();
        }
    }
    void Click(const std::string& control) {
        TScriptInput input(
            [&](const std::string& name) { return Form->Interface->ControlBounds(name); });
        for (const TInputEvent& event :
             input.Translate(ParseInputScriptLine("0 click " + control, 1)))
            Form->HandleInput(event);
        Form->IdlePass();
    }
};

void ComposeAndPresentTitle(benchmark::State& state, IDisplay& display) {
    TGameWindow window("title", display, 32);
    TForm1& form = *window.Form;
    state.SetLabel(form.Interface->TopWindow().empty() ? "no title window" : "title window");
    for (auto _ : state) {
        form.ComposeFrame();
        form.Present();
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ComposeAndPresentTitle(benchmark::State& state) {
    THeadlessDisplay display;
    ComposeAndPresentTitle(state, display);
}
BENCHMARK(BM_ComposeAndPresentTitle)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same into an SDL window without waiting for vertical sync.
void BM_ComposeAndPresentTitleWindow(benchmark::State& state) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!std::getenv("DISPLAY") || (driver && std::string(driver) != "x11")) {
        state.SkipWithError("needs an X display and SDL_VIDEODRIVER=x11 (scripts/bench-frame.sh)");
        return;
    }
    TDisplayOptions options;
    options.VSync = false;
    TSdlDisplay::TOpenResult opened = TSdlDisplay::Open(options);
    if (!opened.Display) {
        state.SkipWithError(opened.Error.c_str());
        return;
    }
    ComposeAndPresentTitle(state, *opened.Display);
}
BENCHMARK(BM_ComposeAndPresentTitleWindow)->Unit(benchmark::kMicrosecond)->UseRealTime();

// ---- The busy frame ----

int32_t CrystalsOnBoard(const TBoard& board) {
    return static_cast<int32_t>(
        std::count_if(board.Layer().Fishkas.begin(), board.Layer().Fishkas.end(),
                      [](const TFishka& f) { return f.State == fsOnBoard; }));
}

int32_t LiveParticles(const fx::TNyxParticleEffect& effect) {
    int32_t live = 0;
    for (int32_t s = 0; s < effect.SystemCount(); ++s)
        if (const fx::TNyxParticleSystem* system = effect.System(s))
            for (int32_t p = 0; p < system->ParticleCount(); ++p)
                live += system->Particle(p).Dead ? 0 : 1;
    return live;
}

struct TBusyCounts {
    int32_t Crystals = 0;
    int32_t Copies = 0; // crystals drawn more than once
    int32_t Marks = 0;  // bonus marks
    int32_t Bosses = 0;
    int32_t Particles = 0;
};

TBusyCounts CountBusyFrame(const TForm1& form) {
    const TBoard& board = *form.Board;
    TBusyCounts counts;
    counts.Crystals = CrystalsOnBoard(board);
    for (const TFishka& f : board.Layer().Fishkas) {
        if (f.State != fsOnBoard)
            continue;
        counts.Copies += f.Count > 1 ? 1 : 0;
        counts.Marks += f.BonusEffect.Active ? 1 : 0;
        if (f.BonusEffect.Running)
            counts.Particles += LiveParticles(*f.BonusEffect.Running);
    }
    // Bosses with some of their picture on the screen.
    for (const TBoss& boss : board.Level.Bosses) {
        const TSurface* picture = form.SurfEngine->FindSurface(
            board.Defs.BossTypes[static_cast<size_t>(boss.Type)].Image);
        const int32_t x = boss.x - board.Game.ViewX;
        const int32_t y = board.Game.ViewY - boss.y + 590;
        counts.Bosses +=
            picture && x < 800 && y < 600 && x + picture->Width > 0 && y + picture->Height > 0 ? 1
                                                                                               : 0;
    }
    for (const TPartEffects* list : {&form.PartEffects, &form.LevelEffects})
        for (const TPartEffect& entry : *list)
            if (entry.Effect)
                counts.Particles += LiveParticles(*entry.Effect);
    return counts;
}

// Puts the crystal in hand where it fits against the structure, as a player would. Without
// breaking: at the place nearest the middle of the playing field where nothing breaks. With
// breaking: where a group breaks, leaving every boss and as many crystals as possible. False
// when there is no such place.
bool PutCrystal(TForm1& form, bool breaking) {
    TBoard& board = *form.Board;
    const int32_t hand = board.Game.InHand;
    if (!board.HasLayer() || hand < 0)
        return false;
    int32_t low = BoardRowCount;
    int32_t high = 0;
    for (const int32_t f : board.Layer().Frags) {
        low = std::min(low, f / FragsPerRow);
        high = std::max(high, f / FragsPerRow);
    }
    const int32_t kind = board.Defs.ShapeOf(board.Fishka(hand).FType).Fishes.front().Type;
    std::vector<std::pair<int32_t, int32_t>> places; // distance from the middle, fragment
    for (int32_t row = std::max(0, low - 3); row <= std::min(BoardRowCount - 1, high + 3); ++row) {
        for (int32_t cell = 0; cell < 10; ++cell) {
            const int32_t frag = (row * 10 + cell) * 4 + kind;
            board.AimHand(frag);
            const TFit fit = board.CanPut(board.Fishka(hand));
            const int32_t x = board.Game.PointerX;
            const int32_t y = board.Game.PointerY;
            const int32_t margin = breaking ? 60 : 140;
            if (fit.Fits && fit.Frags.front() == frag && x > margin && x < 540 && y > margin &&
                y < 600 - margin)
                places.emplace_back((x - 340) * (x - 340) + (y - 330) * (y - 330), frag);
        }
    }
    std::sort(places.begin(), places.end());
    const TLevel level = board.Level;
    const TGame game = board.Game;
    const TIntegers drawOrder = board.DrawOrder;
    const TRandom random = Random();
    const size_t effects = form.PartEffects.size();
    const size_t levelEffects = form.LevelEffects.size();
    const int32_t before = CrystalsOnBoard(board);
    std::optional<int32_t> best;
    int32_t bestLeft = 0;
    for (const auto& [distance, frag] : places) {
        board.AimHand(frag);
        const bool putOk = board.PlayerPut();
        if (putOk && board.Level.LayerIndex == level.LayerIndex && !board.Level.LevelDone &&
            board.Level.Bosses.size() == level.Bosses.size()) {
            const int32_t left = CrystalsOnBoard(board);
            if (!breaking && left == before + 1)
                return true;
            if (breaking && left <= before && (!best || left > bestLeft)) {
                best = frag;
                bestLeft = left;
            }
        }
        board.Level = level;
        board.Game = game;
        board.DrawOrder = drawOrder;
        Random() = random;
        form.PartEffects.resize(effects);
        form.LevelEffects.resize(levelEffects);
    }
    if (!best)
        return false;
    board.AimHand(*best);
    return board.PlayerPut();
}

// A level in play, seen from the frame loop: about sixty crystals on the board (some stacked,
// some with bonus marks), two bosses, the effects of broken groups, flights and marks with
// about two hundred live particles, the panel with its counters, a hint, the queue, the
// crystal in hand and the cursor. Time stands still, so every frame is the same.
struct TBusyFrame {
    THeadlessDisplay Display;
    TGameWindow Window;
    TBusyCounts Counts;

    explicit TBusyFrame(int bitsPerPixel)
        : Window("busy" + std::to_string(bitsPerPixel), Display, bitsPerPixel) {
        TForm1& form = *Window.Form;
        Window.Click("WTitle_BNewGame");
        Window.Click("WStartGame_RBNoLose");
        Window.Click("WStartGame_BPlay");
        // A later level: two bosses on the first layer, stacked crystals and bonus marks.
        LoadLevel(*form.Board, *form.LevelArchive, "Level12.xml", true);
        form.Interface->SetProperty("WGame_LLevelCount", "Caption", "12");
        form.PrepareBackground();
        Window.RunTo(Window.Clock.Ticks() + 2500);
        for (int put = 0; put < 100 && CrystalsOnBoard(*form.Board) < 64; ++put) {
            if (!PutCrystal(form, false))
                form.Board->Swap();
            Window.RunTo(Window.Clock.Ticks() + 30);
        }
        // A group or two broken within the last second, their outlines running.
        for (int put = 0, breaks = 0; put < 15 && breaks < 2; ++put) {
            if (PutCrystal(form, true))
                ++breaks;
            else if (put % 3 == 2)
                form.Board->Swap();
            else
                form.Board->RotateNext();
            Window.RunTo(Window.Clock.Ticks() + 40);
        }
        form.Board->Shuffle();
        // More outlines, as a chain of breaks would leave, to about two hundred particles.
        const TIntegers order = form.Board->DrawOrder;
        for (size_t i = 0; i < order.size() && CountBusyFrame(form).Particles < 200; i += 5) {
            if (form.Board->Fishka(order[i]).State == fsOnBoard)
                form.Board->OutlineEffect({order[i]}, static_cast<int32_t>(Window.Clock.Ticks()));
            Window.RunTo(Window.Clock.Ticks() + 20);
        }
        form.HandleInput(TInputEvent::MouseMove(330, 200));
        Counts = CountBusyFrame(form);
        if (!BusyFramePictures.empty()) {
            form.ComposeFrame();
            form.SaveScreenshot(
                (BusyFramePictures / ("busy-frame-" + std::to_string(bitsPerPixel) + ".png"))
                    .string());
        }
    }
};

// Made on first use, kept for the other cases of the same depth, freed before the work
// folder goes.
std::map<int, std::unique_ptr<TBusyFrame>> BusyFrames;

TBusyFrame& BusyFrame(int bitsPerPixel) {
    auto& frame = BusyFrames[bitsPerPixel];
    if (!frame)
        frame = std::make_unique<TBusyFrame>(bitsPerPixel);
    return *frame;
}

void ComposeBusyFrame(benchmark::State& state, int bitsPerPixel, TCompositorPath path) {
    if (!ShippedData) {
        state.SkipWithError("needs the game data the build makes (target quarzel_content)");
        return;
    }
    TBusyFrame& frame = BusyFrame(bitsPerPixel);
    TForm1& form = *frame.Window.Form;
    form.SurfEngine->Path = path;
    for (auto _ : state)
        form.ComposeFrame();
    form.SurfEngine->Path = BestCompositorPath();
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["crystals"] = frame.Counts.Crystals;
    state.counters["stacked"] = frame.Counts.Copies;
    state.counters["marks"] = frame.Counts.Marks;
    state.counters["bosses"] = frame.Counts.Bosses;
    state.counters["particles"] = frame.Counts.Particles;
}

// Collects the least processor time per frame of every busy case for the ratios.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                Times[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

void RegisterBusyFrames() {
    for (const int bits : {32, 16})
        for (const auto& [path, name] : {std::pair{BestCompositorPath(), "fast"},
                                         std::pair{TCompositorPath::Scalar, "scalar"}})
            benchmark::RegisterBenchmark(
                ("BM_ComposeBusyFrame/" + std::to_string(bits) + "/" + name).c_str(),
                [bits, path = path](benchmark::State& state) {
                    ComposeBusyFrame(state, bits, path);
                })
                ->Unit(benchmark::kMicrosecond)
                ->Repetitions(3)
                ->ComputeStatistics("min",
                                    [](const std::vector<double>& v) {
                                        return *std::min_element(v.begin(), v.end());
                                    })
                ->ReportAggregatesOnly(true);
}

void PrintRatios(const std::map<std::string, double>& times) {
    bool header = false;
    for (const std::string bits : {"32", "16"}) {
        const auto fast = times.find("BM_ComposeBusyFrame/" + bits + "/fast");
        const auto scalar = times.find("BM_ComposeBusyFrame/" + bits + "/scalar");
        if (fast == times.end() || scalar == times.end())
            continue;
        if (!header)
            std::printf("\nBusy frame, least processor time of three runs each\n");
        header = true;
        std::printf("%s bits: %8.0f frames/s with the fastest kernels, %8.0f with the scalar "
                    "formulas: %.2fx\n",
                    bits.c_str(), 1e6 / fast->second, 1e6 / scalar->second,
                    scalar->second / fast->second);
    }
}

} // namespace

int main(int argc, char** argv) {
    RegisterBusyFrames();
    benchmark::Initialize(&argc, argv);
    const std::string pictures = "--busy-frame-png=";
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).starts_with(pictures)) {
            BusyFramePictures = argv[i] + pictures.size();
        } else {
            std::fprintf(stderr, "bench_frame: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter.Times);
    benchmark::Shutdown();
    BusyFrames.clear();
    std::filesystem::remove_all(WorkFolder);
    return 0;
}
