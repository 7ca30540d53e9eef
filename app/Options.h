#pragma once
// The player's settings in "options.cfg": read with their defaults, and the keys the game
// writes back. Keys the game never writes stay in the file as they are.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qz {

// The DebugMode value that turns on the debug keys and the level file of the command line.
inline constexpr int32_t DebugAccessValue = 731;

struct TOptions {
    int32_t ScreenWidth = 800;
    int32_t ScreenHeight = 600;
    int32_t BitsPerPixel = 32;
    int32_t SoundVolume = 100;
    int32_t MusicVolume = 100;
    int32_t DebugMode = 0;
    int32_t FullScreenMode = 0;
    int32_t WindowModeX = 0;
    int32_t WindowModeY = 0;
    int32_t TurnOffHint = 0;
    int32_t ShowPutOutcome = 1; // the preview outlines what a put would break and drop
    std::string PlayerName = "Player";
    // Frames per second the window's loop holds to when presents do not wait for the
    // monitor; 0 no cap, nothing the monitor's refresh rate. Read only: never written back,
    // so that the default keeps following the monitor.
    std::optional<int32_t> FrameCap;
};

// A missing file or key gives the default; anything in the file's place that cannot be
// read as one raises IOError naming the file.
TOptions ReadOptions(const std::filesystem::path& fileName);
// Writes [Version] Build and the seven keys of [Options] the game owns; creates the file.
void SaveOptions(const std::filesystem::path& fileName, const TOptions& options);

} // namespace qz
