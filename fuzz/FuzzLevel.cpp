// Reads any bytes as a level file against the game's own definitions (the definition files of
// the data folder), as a fresh start and as the level under a saved game; a level that loads
// is then played: the pointer sweeps the board and the crystal in hand is put where it fits.

#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "game/Board.h"
#include "game/Definitions.h"
#include "game/GameHost.h"
#include "game/LevelLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

class FixedPictures final : public qz::IGamePictures {
public:
    std::optional<qz::TPictureSize> Find(std::string_view name) override {
        if (name.empty()) {
            return std::nullopt;
        }
        return qz::TPictureSize{static_cast<int32_t>(20 + name.size() % 40), 30};
    }
};

class FixedClock final : public qz::IGameClock {
public:
    int32_t Now() const override { return Tick; }
    int32_t Tick = 100000;
};

struct TWorld {
    TWorld() {
        std::unique_ptr<qz::TFileFolder> game = qz::TFileFolder::CreateNew("game.zxc");
        for (const char* name : {"MetaColors.xml", "fishkaShapes.xml", "BossTypes.xml"}) {
            qz::TMemoryStream file;
            file.LoadFromFile(std::string(QUARZEL_DEFINITIONS_DIR) + "/" + name);
            game->AddFile(name, 0, file);
        }
        qz::LoadDefinitions(Defs, *game, Pictures, Quiet);
    }
    qz::TDefinitions Defs;
    FixedPictures Pictures;
    qz::TQuietServices Quiet;
    FixedClock Clock;
};

void Play(qz::TBoard& board, FixedClock& clock) {
    int puts = 0;
    for (int32_t y = 100; y < 560 && puts < 3; y += 23) {
        for (int32_t x = 20; x < 580 && puts < 3; x += 29) {
            if (!board.HasLayer() || board.Game.InHand < 0 || board.Level.LevelDone) {
                return;
            }
            board.MovePointer(x, y);
            if (!board.Level.HoverFrags.empty() && board.PlayerPut()) {
                ++puts;
                clock.Tick += 700;
                board.FrameTick(clock.Tick);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TWorld world;
    qz::Random().Seed(size);
    std::unique_ptr<qz::TFileFolder> levels = qz::TFileFolder::CreateNew("levels.zxc");
    levels->AddFile("Level.xml", 0,
                    qz::TMemoryStream(std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const bool freshStart : {false, true}) {
        qz::TBoard board(world.Defs, qz::TGameServices{world.Quiet, world.Quiet, world.Quiet,
                                                       world.Clock, world.Pictures});
        try {
            if (qz::LoadLevel(board, *levels, "Level.xml", freshStart) && freshStart) {
                Play(board, world.Clock);
            }
        } catch (const qz::Error&) {
        }
    }
    return 0;
}
