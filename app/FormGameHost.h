#pragma once
// The main window as the rules see it: controls and windows by name through the interface
// (the loading bar's moves are shown at once), sounds and music through the sound list,
// effects into the game's two animation lists, the frame clock, and picture sizes from the
// surface engine, a picture the engine lacks being loaded from the levels archive first.

#include "game/GameHost.h"

#include <set>
#include <string>

namespace qz {

class TForm1;

class TFormControls final : public IGameControls {
public:
    explicit TFormControls(TForm1& form) : form_(form) {}
    void SetProperty(std::string_view object, std::string_view property,
                     std::string_view value) override;
    void ShowHint(std::string_view hint, std::optional<TPoint> at) override;
    void ShowWindow(std::string_view window) override;

private:
    TForm1& form_;
};

class TFormSounds final : public IGameSounds {
public:
    explicit TFormSounds(TForm1& form) : form_(form) {}
    void PlaySound(std::string_view name) override;
    void PlayMusic(std::string_view name) override;
    void StopMusic() override;
    std::string CurrentMusic() const override;

private:
    TForm1& form_;
};

class TFormEffects final : public IGameEffects {
public:
    explicit TFormEffects(TForm1& form) : form_(form) {}
    int32_t AddEffect(const TEffectRequest& request) override;
    void ClearLevelEffects() override;

private:
    TForm1& form_;
};

class TFormClock final : public IGameClock {
public:
    explicit TFormClock(TForm1& form) : form_(form) {}
    int32_t Now() const override;

private:
    TForm1& form_;
};

class TFormPictures final : public IGamePictures {
public:
    explicit TFormPictures(TForm1& form) : form_(form) {}
    // A level picture that does not decode stays missing and the level plays without it;
    // the first such picture is told, later ones go to the log.
    std::optional<TPictureSize> Find(std::string_view name) override;

private:
    TForm1& form_;
    std::set<std::string> damaged_;
};

} // namespace qz
