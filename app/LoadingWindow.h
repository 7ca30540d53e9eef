#pragma once
// The loading window of start-up, `TForm3`: shown while the archives are converted, before
// any font or picture exists. It draws a centred panel with a progress bar straight onto
// the display and writes its texts ("Preparing game graphics ..." and the current step)
// into the window's title bar.

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

class IDisplay;

class TForm3 {
public:
    explicit TForm3(IDisplay* display);

    void Show();
    // percent 0..100 of the current step.
    void SetProgress(const std::string& stepText, int32_t percent);
    void Hide();

    bool Visible() const { return visible_; }
    int32_t Position() const { return position_; }
    const std::string& StepText() const { return stepText_; }
    // The picture last shown: 800 x 600 pixels as 0x00RRGGBB.
    const std::vector<uint32_t>& Picture() const { return picture_; }

private:
    void Repaint();

    IDisplay* display_;
    bool visible_ = false;
    int32_t position_ = 0;
    std::string stepText_;
    std::vector<uint32_t> picture_;
};

} // namespace qz
