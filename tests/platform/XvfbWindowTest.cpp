// The real window on a virtual X server: xdotool moves and clicks the pointer and presses
// keys, the events arrive in picture coordinates, and a screenshot of the window shows the
// presented picture pixel for pixel. Skipped when Xvfb, xdotool or import is missing.

#include "TempDir.h"
#include "platform/KeyMap.h"
#include "platform/PixelConvert.h"
#include "platform/SdlDisplay.h"
#include "platform/SdlEventSource.h"

#include <SDL.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Last: the X headers behind it define macros (None, Bool) that other headers use as names.
#include <SDL_syswm.h>

extern char** environ;

// Xlib, loaded and unloaded again by SDL, keeps a few allocations to the end of the
// process; they cannot be named for a suppression once the library is gone.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

using namespace qz;
namespace fs = std::filesystem;

namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return false;
    }
    for (const std::string& dir : SplitString(path, ':')) {
        if (!dir.empty() && access((fs::path(dir) / program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

pid_t Spawn(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

int RunProgram(std::vector<std::string> arguments) {
    const pid_t pid = Spawn(std::move(arguments));
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// The binary PPM that import writes: "P6", width, height, 255, then RGB bytes.
std::vector<uint32_t> ReadPpm(const fs::path& file, int& width, int& height) {
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    std::vector<uint32_t> pixels;
    if (magic != "P6" || maxValue != 255) {
        return pixels;
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        pixels.push_back((uint32_t{rgb[i]} << 16) | (uint32_t{rgb[i + 1]} << 8) | rgb[i + 2]);
    }
    return pixels;
}

class XvfbWindow : public testing::Test {
protected:
    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool", "import"}) {
            if (!OnPath(program)) {
                GTEST_SKIP() << program << " is not installed";
            }
        }
        // Xvfb picks a free display number itself and writes it to the pipe.
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        server_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                         "1024x768x24", "-nolisten", "tcp"});
        close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, 5000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') {
            number.push_back(c);
        }
        close(fds[0]);
        ASSERT_GT(server_, 0);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        display_ = ":" + number;
        setenv("DISPLAY", display_.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);

        TDisplayOptions options;
        options.VSync = false;
        options.HasPosition = true;
        options.WindowX = 0;
        options.WindowY = 0;
        auto opened = TSdlDisplay::Open(options);
        ASSERT_TRUE(opened.Display) << opened.Error;
        window = std::move(opened.Display);
        events = std::make_unique<TSdlEventSource>(window.get());

        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(window->Window(), &info));
        windowId = std::to_string(info.info.x11.window);
    }

    void TearDown() override {
        events.reset();
        window.reset();
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
    }

    // Events that arrive within a second, until one of kind shows up.
    std::vector<TInputEvent> Collect(TInputKind until) {
        std::vector<TInputEvent> seen;
        for (int i = 0; i < 200; ++i) {
            while (auto e = events->Poll()) {
                seen.push_back(*e);
                if (e->Kind == until) {
                    return seen;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return seen;
    }

    std::unique_ptr<TSdlDisplay> window;
    std::unique_ptr<TSdlEventSource> events;
    std::string windowId;

private:
    std::string display_;
    pid_t server_ = -1;
};

} // namespace

TEST_F(XvfbWindow, PointerAndKeysArriveInPictureCoordinates) {
    std::vector<uint32_t> picture(800 * 600, 0x00204060);
    window->Present(picture.data(), 800 * 4, 32);
    Collect(TInputKind::Quit); // let the window map

    ASSERT_EQ(RunProgram({"xdotool", "mousemove", "--window", windowId, "123", "234"}), 0);
    auto seen = Collect(TInputKind::MouseMove);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ((TPoint{seen.back().X, seen.back().Y}), (TPoint{123, 234}));

    ASSERT_EQ(RunProgram({"xdotool", "click", "1"}), 0);
    seen = Collect(TInputKind::MouseUp);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2].Kind, TInputKind::MouseDown);
    EXPECT_EQ(seen.back(), TInputEvent::MouseUp(TMouseButton::mbLeft, 123, 234, seen.back().Shift));

    ASSERT_EQ(RunProgram({"xdotool", "click", "3"}), 0);
    seen = Collect(TInputKind::MouseUp);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().Button, TMouseButton::mbRight);

    ASSERT_EQ(RunProgram({"xdotool", "key", "--window", windowId, "F2"}), 0);
    seen = Collect(TInputKind::KeyUp);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().Key, vkF1 + 1);
}

TEST_F(XvfbWindow, ScreenshotShowsThePresentedPicture) {
    test::TempDir dir;
    std::vector<uint16_t> picture(800 * 600);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            picture[y * 800 + x] =
                static_cast<uint16_t>(((x / 25) << 11) | ((y / 10) << 5) | ((x + y) & 0x1F));
        }
    }
    window->Present(picture.data(), 800 * 2, 16);
    Collect(TInputKind::Quit);
    window->Present(picture.data(), 800 * 2, 16);

    const fs::path shot = dir.Path() / "shot.ppm";
    ASSERT_EQ(RunProgram({"import", "-window", windowId, "-depth", "8", "ppm:" + shot.string()}),
              0);
    int w = 0;
    int h = 0;
    const std::vector<uint32_t> pixels = ReadPpm(shot, w, h);
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    ASSERT_EQ(pixels.size(), size_t{800} * 600);
    size_t wrong = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        wrong += pixels[i] != Rgb565ToXrgb(picture[i]);
    }
    EXPECT_EQ(wrong, 0u);
}
