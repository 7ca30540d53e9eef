// Frames per second of composing and presenting an idle title screen: headless, and in a
// real window when an X display is there (scripts/bench-frame.sh runs it under Xvfb). The
// game's own data is used when the build made it (the title window and its pictures),
// else a small stand-in with the intro pictures only.
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

const std::filesystem::path WorkFolder =
    std::filesystem::temp_directory_path() / "quarzel-bench-frame";

// The program folder: the build's game data, or a stand-in with the cursor strip and the
// intro pictures.
std::filesystem::path MakeData() {
    std::filesystem::remove_all(WorkFolder);
    std::filesystem::create_directories(WorkFolder);
    if (std::filesystem::exists(QUARZEL_BIN_DIR "/game/game.zxc"))
        return QUARZEL_BIN_DIR;
    const std::filesystem::path folder = WorkFolder / "data";
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
    qz::TForm1 form(qz::TFolders{folder, WorkFolder, false},
                    qz::TFormServices{clock, audio, box, &display, nullptr});
    form.FormCreate();
    form.FormActivate();
    // Through the intro to the title window.
    for (uint32_t tick : {1000u, 2001u, 2500u, 3002u, 3100u}) {
        clock.Set(tick);
        form.IdlePass();
    }
    form.HandleInput(qz::TInputEvent::MouseMove(400, 300));
    state.SetLabel(form.Interface->TopWindow().empty() ? "no title window" : "title window");
    for (auto _ : state) {
        form.ComposeFrame();
        form.Present();
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    form.FormDestroy();
    std::filesystem::remove_all(WorkFolder);
}

void BM_ComposeAndPresentTitle(benchmark::State& state) {
    qz::THeadlessDisplay display;
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
    qz::TDisplayOptions options;
    options.VSync = false;
    qz::TSdlDisplay::TOpenResult opened = qz::TSdlDisplay::Open(options);
    if (!opened.Display) {
        state.SkipWithError(opened.Error.c_str());
        return;
    }
    ComposeAndPresentTitle(state, *opened.Display);
}
BENCHMARK(BM_ComposeAndPresentTitleWindow)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
