#pragma once
// The rules over the shipped archives without a screen, for the data tools: the archives
// converted as the game converts them at start-up (into a scratch folder that is removed
// afterwards), the crystal pictures composed in memory, the definitions loaded, and the
// picture sizes read from the pictures themselves. Sounds, effects and controls go nowhere.

#include "archive/FileFolder.h"
#include "game/Board.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qz {

class THeadlessGame {
public:
    THeadlessGame(const std::string& levelsArchive, const std::string& gameArchive);
    ~THeadlessGame();
    THeadlessGame(const THeadlessGame&) = delete;
    THeadlessGame& operator=(const THeadlessGame&) = delete;

    class TClock : public IGameClock {
    public:
        int32_t Now() const override { return Tick; }
        int32_t Tick = 100000;
    };

    std::vector<std::string> Problems; // pictures that could not be composed or read
    std::unique_ptr<TFileFolder> Levels;
    std::unique_ptr<TFileFolder> Game;
    TDefinitions Defs;
    TClock Clock;
    std::unique_ptr<TBoard> Board;

private:
    class TArchivePictures : public IGamePictures {
    public:
        explicit TArchivePictures(THeadlessGame& owner) : owner_(owner) {}
        std::optional<TPictureSize> Find(std::string_view name) override;

    private:
        THeadlessGame& owner_;
        std::map<std::string, std::optional<TPictureSize>, std::less<>> sizes_;
    };

    void ComposeCrystals();

    std::filesystem::path scratch_;
    TQuietServices quiet_;
    TArchivePictures pictures_{*this};
};

} // namespace qz
