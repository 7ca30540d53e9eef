#pragma once
// The main window as the rules see it: controls and windows by name through the interface
// (the loading bar's moves are shown at once), and picture sizes from the surface engine,
// a picture the engine lacks being loaded from the levels archive on first use.

#include "game/GameHost.h"

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

class TFormPictures final : public IGamePictures {
public:
    explicit TFormPictures(TForm1& form) : form_(form) {}
    std::optional<TPictureSize> Find(std::string_view name) override;

private:
    TForm1& form_;
};

} // namespace qz
