// Frames per second of composing and presenting an idle title screen: headless, and in a
// real window when an X display is there (scripts/bench-frame.sh runs it under Xvfb).
#include "app/Form1.h"
#include "archive/FileFolder.h"
#include "audio/NullAudioDevice.h"
#include "gfx/JpegPNG.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/MessageBox.h"
#include "platform/SdlDisplay.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace {

// A data folder with the cursor strip and the intro pictures.
std::filesystem::path MakeData() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "quarzel-bench-frame";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "game");
    std::filesystem::create_directories(folder / "levels");
    auto game = qz::TFileFolder::CreateNew((folder / "game" / "game.zxc").string());
    game->AddFile("cursor_line.png", 0, qz::EncodePNG(qz::TRGBImage::Blank(720, 40, 200)));
    game->AddFile("Title.jpg", 0, qz::EncodeJPEG(qz::TRGBImage::Blank(800, 600), 90));
    game->AddFile("TitleSketch.jpg", 0, qz::EncodeJPEG(qz::TRGBImage::Blank(800, 600), 90));
    game->Save();
    qz::TFileFolder::CreateNew((folder / "levels" / "levels.zxc").string())->Save();
    return folder;
}

void ComposeAndPresentTitle(benchmark::State& state, qz::IDisplay& display) {
    const std::filesystem::path folder = MakeData();
    qz::TManualClock clock(0);
    qz::TNullAudioDevice audio;
    qz::THeadlessMessageBox box;
    qz::TForm1 form(qz::TFolders{folder, folder, true},
                    qz::TFormServices{clock, audio, box, &display, nullptr});
    form.FormCreate();
    form.FormActivate();
    form.Game.GameState = qz::gsTitle;
    form.HandleInput(qz::TInputEvent::MouseMove(400, 300));
    for (auto _ : state) {
        form.ComposeFrame();
        form.Present();
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    form.FormDestroy();
    std::filesystem::remove_all(folder);
}

void BM_ComposeAndPresentTitle(benchmark::State& state) {
    qz::THeadlessDisplay display;
    ComposeAndPresentTitle(state, display);
}
BENCHMARK(BM_ComposeAndPresentTitle)->Unit(benchmark::kMicrosecond);

// The same into an SDL window without waiting for vertical sync.
void BM_ComposeAndPresentTitleWindow(benchmark::State& state) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!std::getenv("DISPLAY") || (driver && std::string(driver) != "x11")) {
        state.SkipWithError("needs an X display and SDL_VIDEODRIVER=x11 (scripts/bench-frame.sh)");
        return;
    }
    qz::TDisplayOptions options;
    options.VSync = false;
    qz::TSdlDisplay::TOpenResult opened = qz::TSdlDisplay::Open(options);
    if (!opened.Display) {
        state.SkipWithError(opened.Error.c_str());
        return;
    }
    ComposeAndPresentTitle(state, *opened.Display);
}
BENCHMARK(BM_ComposeAndPresentTitleWindow)->Unit(benchmark::kMicrosecond);

} // namespace
