#pragma once
// A small game data folder for the application tests: the two archives with a cursor strip,
// the intro pictures, a font, a 200 x 100 green window picture "WindowBack.png" and the
// fifteen effect descriptions.

#include <filesystem>
#include <set>
#include <string>

namespace qz::test {

struct AppDataOptions {
    std::set<std::string> LeaveOut; // entry names not to put into the game archive
    std::string Interface = {};     // non-empty: stored as the description "Slider.li"
};

// Writes folder/game/game.zxc and folder/levels/levels.zxc.
void MakeAppData(const std::filesystem::path& folder, const AppDataOptions& options = {});

} // namespace qz::test
