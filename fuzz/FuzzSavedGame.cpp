// Reads any text as a saved game (each line passed through the save codec, as the game writes
// it) over three shipped levels; a save that loads is played a little, then saved and read
// back twice: each save must load, with as many crystals on the board as the one before.

#include "FuzzCheck.h"
#include "GameWorld.h"
#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/Random.h"
#include "game/SavedGame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

std::unique_ptr<qz::TFileFolder> ShippedLevels() {
    std::unique_ptr<qz::TFileFolder> levels = qz::TFileFolder::CreateNew("levels.zxc");
    for (const char* name : {"Level1.xml", "Level2.xml", "Level7.xml"}) {
        qz::TMemoryStream file;
        file.LoadFromFile(std::string(QUARZEL_LEVELS_DIR) + "/" + name);
        levels->AddFile(name, 0, file);
    }
    return levels;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Encoded(std::string_view text) {
    std::string bytes;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        bytes += qz::EncodeText(text.substr(start, end - start));
        bytes += "\r\n";
        start = end + 1;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qz::fuzz::TWorld world;
    static std::unique_ptr<qz::TFileFolder> levels = ShippedLevels();
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("fuzz_saved_game." + std::to_string(getpid()) + ".sav");
    qz::Random().Seed(size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    WriteFile(path, Encoded(text));
    const qz::TGameServices services{world.Quiet, world.Quiet, world.Quiet, world.Clock,
                                     world.Pictures};
    qz::TBoard board(world.Defs, services);
    try {
        if (!qz::LoadGame(path, board, *levels)) {
            return 0;
        }
    } catch (const qz::Error&) {
        return 0;
    }
    if (board.Game.GameState == qz::gsGamePlay) {
        qz::fuzz::Play(board, world.Clock);
    }
    // The game's own save of whatever board it loaded must load again, twice over, with as
    // many crystals on the board each time.
    qz::SaveGame(path, board);
    qz::TBoard again(world.Defs, services);
    qz::fuzz::Check(qz::LoadGame(path, again, *levels));
    qz::SaveGame(path, again);
    qz::TBoard third(world.Defs, services);
    qz::fuzz::Check(qz::LoadGame(path, third, *levels));
    qz::fuzz::Check(third.DrawOrder.size() == again.DrawOrder.size());
    return 0;
}
