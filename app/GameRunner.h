#pragma once
// The program's command line and its two ways to run: in a window with sound, or headless
// with a manual clock, scripted input, screenshots at given ticks and a fixed end.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace qz {

struct TScreenshotRequest {
    uint32_t Tick = 0;
    std::string FileName;
};

// Headless: the moment after which the run ends by itself.
enum class TQuitWhen : uint8_t {
    Never,
    Intro, // the first frame of the intro has been composed and presented
    Title, // the first frame with the title window has been composed and presented
};

struct TRunOptions {
    bool Headless = false;
    std::optional<std::filesystem::path> InputFile;
    std::vector<TScreenshotRequest> Screenshots;
    std::optional<uint32_t> QuitAt;
    TQuitWhen QuitWhen = TQuitWhen::Never;
    // Windowed: the frame cap, then once a second the real tick and the frames presented so
    // far, on stdout.
    bool PrintFrames = false;
    std::optional<uint64_t> Seed;
    uint32_t FrameMs = 10;
    std::optional<std::filesystem::path> DataDir;
    std::string Language; // headless: the language the run starts in (its three-letter code)
    // headless: the settings file that keeps the language, instead of none at all
    std::optional<std::filesystem::path> SettingsFile;
    std::string LevelFile;         // the optional first free argument (debug mode only)
    bool RefuseFullScreen = false; // headless: the display cannot go full screen
};

class TCommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program name.
TRunOptions ParseCommandLine(const std::vector<std::string>& args);

// Exit codes: 0 a normal end, 1 no display or a failed start, 2 a bad command line or a
// bad input script, 3 an expectation of the input script that did not hold.
inline constexpr int ExitBadInput = 2;
inline constexpr int ExitNoDisplay = 1;
inline constexpr int ExitStartFailed = 1;
inline constexpr int ExitExpectationFailed = 3;

int RunGame(const TRunOptions& options, std::ostream& errors);
int RunHeadless(const TRunOptions& options, std::ostream& errors);
int RunWindowed(const TRunOptions& options, std::ostream& errors);

} // namespace qz
