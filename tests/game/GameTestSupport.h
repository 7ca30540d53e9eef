#pragma once
// Recording stand-ins for the game's controls, sounds, effects, clock and pictures, and a
// board loaded with the small definition set of tests/game/data.

#include "archive/FileFolder.h"
#include "game/Board.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qz::test {

std::string GameDataFile(const std::string& name);
// An in-memory archive holding the named files of the test data folder (and extra entries).
std::unique_ptr<TFileFolder> DataArchive(const std::vector<std::string>& files);
void AddEntry(TFileFolder& folder, const std::string& name, const std::string& bytes);

class RecordingControls : public IGameControls {
public:
    void SetProperty(std::string_view object, std::string_view property,
                     std::string_view value) override;
    void ShowHint(std::string_view hint, std::optional<TPoint> at) override;
    void ShowWindow(std::string_view window) override { Windows.emplace_back(window); }
    // The last value set, or "<unset>".
    std::string Get(const std::string& object, const std::string& property) const;

    std::vector<std::string> Log; // "object.property=value"
    std::vector<std::string> Hints;
    std::vector<std::string> Windows;
};

class RecordingSounds : public IGameSounds {
public:
    void PlaySound(std::string_view name) override { Played.emplace_back(name); }
    void PlayMusic(std::string_view name) override { Music = name; }
    void StopMusic() override {
        Music.clear();
        ++Stops;
    }
    std::string CurrentMusic() const override { return Music; }
    int Count(const std::string& name) const;
    // The last sound played, or "<none>".
    std::string Last() const { return Played.empty() ? "<none>" : Played.back(); }

    std::vector<std::string> Played;
    std::string Music;
    int Stops = 0;
};

class RecordingEffects : public IGameEffects {
public:
    int32_t AddEffect(const TEffectRequest& request) override {
        Added.push_back(request);
        return Duration;
    }
    void ClearLevelEffects() override { ++Clears; }
    std::vector<TEffectRequest> With(const std::string& effect) const;

    std::vector<TEffectRequest> Added;
    int32_t Duration = 700;
    int Clears = 0;
};

class ManualClock : public IGameClock {
public:
    int32_t Now() const override { return Tick; }
    int32_t Tick = 10000;
};

class SizedPictures : public IGamePictures {
public:
    std::optional<TPictureSize> Find(std::string_view name) override;
    std::map<std::string, TPictureSize, std::less<>> Sizes;
    std::vector<std::string> Asked;
};

// Definitions from the data folder: shapes Tri, TriDown, Cell, Big; three colours; the
// boss types "boss.png" (power 2), "smallboss.png" (power 1), "missing.png" (power 3).
struct GameFixture {
    GameFixture();

    // Crystal type of shape name in colour (0-based).
    int32_t Type(const std::string& shape, int32_t colour) const;
    // The window position at which a crystal of type snaps with its first fish on frag.
    TPoint WindowFor(int32_t type, int32_t frag) const;
    static int32_t Frag(int32_t row, int32_t cell, int32_t kind) {
        return (row * 10 + cell) * 4 + kind;
    }
    // A layer with the given crystals placed as a level places them; returns their indexes.
    int32_t Place(int32_t type, int32_t frag, uint8_t count = 1);
    void NewLayer();
    // Deals a queue of three and moves the hand so that it would snap on frag; false when
    // there is no crystal in hand to move.
    [[nodiscard]] bool HandTo(int32_t frag);
    void StartPlay(int32_t mode);

    RecordingControls Controls;
    RecordingSounds Sounds;
    RecordingEffects Effects;
    ManualClock Clock;
    SizedPictures Pictures;
    TDefinitions Defs;
    std::unique_ptr<TBoard> Board;
};

} // namespace qz::test
