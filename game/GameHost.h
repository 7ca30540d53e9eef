#pragma once
// The narrow doors through which the rules reach the rest of the game: controls set by
// object name, property name and text; hints and windows; sounds and music; effects added
// to the board's or the game's animation list; the tick counter; picture sizes.

#include "archive/Helpers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class IGameControls {
public:
    virtual ~IGameControls() = default;
    virtual void SetProperty(std::string_view object, std::string_view property,
                             std::string_view value) = 0;
    // A hint window of the game screen; at is given only where the rules place it.
    virtual void ShowHint(std::string_view hint, std::optional<TPoint> at) = 0;
    virtual void ShowWindow(std::string_view window) = 0;
};

class IGameSounds {
public:
    virtual ~IGameSounds() = default;
    virtual void PlaySound(std::string_view name) = 0;
    virtual void PlayMusic(std::string_view name) = 0;
    virtual void StopMusic() = 0;
    // The music now playing, empty when none.
    virtual std::string CurrentMusic() const = 0;
};

// Which animation list an effect joins: the level's board effects or the game's own
// free-standing list (crystal flights between the queue slots and the pointer).
enum class TEffectList : uint8_t { Level, Game };

// One effect to run: a template effect file animating an image or a text at a position,
// clipped, from a start tick, optionally along a path script.
struct TEffectRequest {
    TEffectList List = TEffectList::Level;
    std::string Name;   // the entry's own name ("ToMouseMove2"), empty for most
    std::string Effect; // the template ("contour.xml", "SwapEffect.xml" ...)
    std::string Image;  // the picture it animates, empty for a text effect
    std::string Text;
    TPoint Position;
    TRect Clip{0, 0, 800, 600};
    int32_t StartTick = 0;
    std::string Path; // the path script text for its "FContour" function
};

class IGameEffects {
public:
    virtual ~IGameEffects() = default;
    // Returns the effect's running time in ms (0 when unknown).
    virtual int32_t AddEffect(const TEffectRequest& request) = 0;
    // Ends and frees every effect of the level's list.
    virtual void ClearLevelEffects() = 0;
};

class IGameClock {
public:
    virtual ~IGameClock() = default;
    virtual int32_t Now() const = 0;
};

struct TPictureSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

class IGamePictures {
public:
    virtual ~IGamePictures() = default;
    // The size of a named picture; one not yet present is loaded from the levels archive
    // first. Nothing when it exists nowhere.
    virtual std::optional<TPictureSize> Find(std::string_view name) = 0;
};

// Controls, sounds and effects that go nowhere, for the rules run without a screen (the
// data tools, a bot's trial puts). The music is remembered, so that a level starts its own
// once.
class TQuietServices final : public IGameControls, public IGameSounds, public IGameEffects {
public:
    void SetProperty(std::string_view, std::string_view, std::string_view) override {}
    void ShowHint(std::string_view, std::optional<TPoint>) override {}
    void ShowWindow(std::string_view) override {}
    void PlaySound(std::string_view) override {}
    void PlayMusic(std::string_view name) override { music_ = name; }
    void StopMusic() override { music_.clear(); }
    std::string CurrentMusic() const override { return music_; }
    int32_t AddEffect(const TEffectRequest&) override { return 0; }
    void ClearLevelEffects() override {}

private:
    std::string music_;
};

// The five doors together, as the rules receive them.
struct TGameServices {
    IGameControls& Controls;
    IGameSounds& Sounds;
    IGameEffects& Effects;
    IGameClock& Clock;
    IGamePictures& Pictures;
};

} // namespace qz
