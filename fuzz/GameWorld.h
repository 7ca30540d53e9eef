#pragma once
// The game world of the fuzz targets that play: the shipped definitions, pictures of made-up
// sizes, a clock the target moves, and a short play of the board that sweeps the pointer and
// puts the crystal in hand where it fits.

#include "archive/FileFolder.h"
#include "archive/MemoryStream.h"
#include "game/Board.h"
#include "game/Definitions.h"
#include "game/GameHost.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qz::fuzz {

class FixedPictures final : public IGamePictures {
public:
    std::optional<TPictureSize> Find(std::string_view name) override {
        if (name.empty()) {
            return std::nullopt;
        }
        return TPictureSize{static_cast<int32_t>(20 + name.size() % 40), 30};
    }
};

class FixedClock final : public IGameClock {
public:
    int32_t Now() const override { return Tick; }
    int32_t Tick = 100000;
};

struct TWorld {
    TWorld() {
        std::unique_ptr<TFileFolder> game = TFileFolder::CreateNew("game.zxc");
        for (const char* name : {"MetaColors.xml", "fishkaShapes.xml", "BossTypes.xml"}) {
            TMemoryStream file;
            file.LoadFromFile(std::string(QUARZEL_DEFINITIONS_DIR) + "/" + name);
            game->AddFile(name, 0, file);
        }
        LoadDefinitions(Defs, *game, Pictures, Quiet);
    }
    TDefinitions Defs;
    FixedPictures Pictures;
    TQuietServices Quiet;
    FixedClock Clock;
};

inline void Play(TBoard& board, FixedClock& clock) {
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

} // namespace qz::fuzz
