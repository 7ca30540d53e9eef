#pragma once
// A small game data folder for the application tests: the two archives with a cursor strip,
// the intro pictures, a font, a 200 x 100 green window picture "WindowBack.png", the
// fifteen effect descriptions and the smallest definitions (one colour, one shape, one
// boss); a message box that records what it shows; the log lines of a whole run.

#include "platform/MessageBox.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace qz::test {

struct AppDataOptions {
    std::set<std::string> LeaveOut; // entry names not to put into the game archive
    std::string Interface = {};     // non-empty: stored as the description "Slider.li"
};

// A message box that keeps every message it was asked to show.
class TRecordingBox final : public IMessageBox {
public:
    void ShowError(const std::string& message) override { Messages.push_back(message); }
    std::vector<std::string> Messages;
};

// The beginnings of the log lines of a run from start-up to shutdown, in order.
const std::vector<std::string>& RunLogLines();

// Writes folder/game/game.zxc and folder/levels/levels.zxc.
void MakeAppData(const std::filesystem::path& folder, const AppDataOptions& options = {});

} // namespace qz::test
