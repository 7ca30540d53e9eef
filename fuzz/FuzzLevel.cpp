// Reads any bytes as a level file against the game's own definitions (the definition files of
// the data folder), as a fresh start and as the level under a saved game; a level that loads
// is then played: the pointer sweeps the board and the crystal in hand is put where it fits.

#include "GameWorld.h"
#include "archive/Error.h"
#include "archive/Random.h"
#include "game/LevelLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qz::fuzz::TWorld world;
    qz::Random().Seed(size);
    std::unique_ptr<qz::TFileFolder> levels = qz::TFileFolder::CreateNew("levels.zxc");
    levels->AddFile("Level.xml", 0,
                    qz::TMemoryStream(std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const bool freshStart : {false, true}) {
        qz::TBoard board(world.Defs, qz::TGameServices{world.Quiet, world.Quiet, world.Quiet,
                                                       world.Clock, world.Pictures});
        try {
            if (qz::LoadLevel(board, *levels, "Level.xml", freshStart) && freshStart) {
                qz::fuzz::Play(board, world.Clock);
            }
        } catch (const qz::Error&) {
        }
    }
    return 0;
}
