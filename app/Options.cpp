#include "app/Options.h"

#include "platform/IniFile.h"

namespace qz {

namespace {
constexpr const char* OptionsSection = "Options";
} // namespace

TOptions ReadOptions(const std::filesystem::path& fileName) {
    const TIniFile ini(fileName);
    const TOptions defaults;
    TOptions options;
    auto read = [&](const char* key, int32_t fallback) {
        return ini.ReadInteger(OptionsSection, key, fallback);
    };
    options.ScreenWidth = read("ScreenWidth", defaults.ScreenWidth);
    options.ScreenHeight = read("ScreenHeight", defaults.ScreenHeight);
    options.BitsPerPixel = read("BitsPerPixel", defaults.BitsPerPixel);
    options.SoundVolume = read("SoundVolume", defaults.SoundVolume);
    options.MusicVolume = read("MusicVolume", defaults.MusicVolume);
    options.DebugMode = read("DebugMode", defaults.DebugMode);
    options.FullScreenMode = read("FullScreenMode", defaults.FullScreenMode);
    options.WindowModeX = read("WindowModeX", defaults.WindowModeX);
    options.WindowModeY = read("WindowModeY", defaults.WindowModeY);
    options.TurnOffHint = read("TurnOffHint", defaults.TurnOffHint);
    options.ShowPutOutcome = read("ShowPutOutcome", defaults.ShowPutOutcome);
    options.PlayerName = ini.ReadString(OptionsSection, "PlayerName", defaults.PlayerName);
    // A negative or unreadable cap means the default.
    if (const int32_t cap = read("FrameCap", -1); cap >= 0)
        options.FrameCap = cap;
    return options;
}

void SaveOptions(const std::filesystem::path& fileName, const TOptions& options) {
    TIniFile ini(fileName);
    ini.WriteString("Version", "Build", "116");
    ini.WriteString(OptionsSection, "PlayerName", options.PlayerName);
    ini.WriteInteger(OptionsSection, "SoundVolume", options.SoundVolume);
    ini.WriteInteger(OptionsSection, "MusicVolume", options.MusicVolume);
    ini.WriteInteger(OptionsSection, "FullScreenMode", options.FullScreenMode);
    ini.WriteInteger(OptionsSection, "TurnOffHint", options.TurnOffHint);
    ini.WriteInteger(OptionsSection, "ShowPutOutcome", options.ShowPutOutcome);
    ini.WriteInteger(OptionsSection, "BitsPerPixel", options.BitsPerPixel);
    ini.Save();
}

} // namespace qz
