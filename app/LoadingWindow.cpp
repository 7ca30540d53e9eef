#include "app/LoadingWindow.h"

#include "platform/Display.h"

#include <algorithm>

namespace qz {

namespace {

constexpr int32_t Width = 800;
constexpr int32_t Height = 600;
constexpr uint32_t Backdrop = 0x000A0C18;
constexpr uint32_t Panel = 0x001C2140;
constexpr uint32_t PanelEdge = 0x005A68B0;
constexpr uint32_t BarBack = 0x00101328;
constexpr uint32_t Bar = 0x0050C8F0;

void FillBox(std::vector<uint32_t>& picture, int32_t left, int32_t top, int32_t right,
             int32_t bottom, uint32_t colour) {
    for (int32_t y = std::max(0, top); y <= std::min(Height - 1, bottom); ++y)
        std::fill(picture.begin() + y * Width + std::max(0, left),
                  picture.begin() + y * Width + std::min(Width - 1, right) + 1, colour);
}

} // namespace

TForm3::TForm3(IDisplay* display) : display_(display) {}

void TForm3::Show() {
    visible_ = true;
    Repaint();
}

void TForm3::SetProgress(const std::string& stepText, int32_t percent) {
    position_ = std::clamp(percent, 0, 100);
    stepText_ = stepText;
    if (visible_)
        Repaint();
}

void TForm3::Hide() {
    visible_ = false;
    if (display_)
        display_->SetTitle("Quarzel");
}

void TForm3::Repaint() {
    picture_.assign(size_t(Width) * Height, Backdrop);
    const int32_t left = Width / 2 - 180, top = Height / 2 - 50;
    const int32_t right = Width / 2 + 179, bottom = Height / 2 + 49;
    FillBox(picture_, left, top, right, bottom, PanelEdge);
    FillBox(picture_, left + 2, top + 2, right - 2, bottom - 2, Panel);
    const int32_t barLeft = left + 30, barRight = right - 30;
    const int32_t barTop = Height / 2 - 8, barBottom = Height / 2 + 8;
    FillBox(picture_, barLeft, barTop, barRight, barBottom, BarBack);
    const int32_t filled = (barRight - barLeft - 3) * position_ / 100;
    if (filled > 0)
        FillBox(picture_, barLeft + 2, barTop + 2, barLeft + 1 + filled, barBottom - 2, Bar);
    if (!display_)
        return;
    std::string title = "Quarzel - Preparing game graphics ...";
    if (!stepText_.empty())
        title += " " + stepText_ + " " + std::to_string(position_) + "%";
    display_->SetTitle(title);
    display_->Present(picture_.data(), Width * 4, 32);
}

} // namespace qz
