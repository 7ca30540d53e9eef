#pragma once
// The display of headless runs and tests: no window; it keeps the last presented picture
// in the 32-bit texture layout so that it can be looked at.

#include "platform/Display.h"

#include <vector>

namespace qz {

class THeadlessDisplay final : public IDisplay {
public:
    explicit THeadlessDisplay(const TDisplayOptions& options = {});

    void Present(const void* pixels, int32_t pitch, int32_t bitsPerPixel) override;
    bool FullScreen() const override { return fullScreen_; }
    void SetFullScreen(bool fullScreen) override {
        fullScreen_ = fullScreen && !refusesFullScreen_;
    }
    void SetSystemCursorVisible(bool visible) override { cursorVisible_ = visible; }
    void SetTitle(const std::string& title) override { title_ = title; }
    TPoint WindowPosition() const override { return position_; }
    uint64_t PresentCount() const override { return presents_; }

    bool SystemCursorVisible() const { return cursorVisible_; }
    const std::string& Title() const { return title_; }
    // PictureWidth * PictureHeight pixels as 0x00RRGGBB, row by row; empty before a present.
    const std::vector<uint32_t>& Frame() const { return frame_; }

private:
    bool refusesFullScreen_;
    bool fullScreen_;
    bool cursorVisible_ = true;
    TPoint position_;
    std::string title_;
    uint64_t presents_ = 0;
    std::vector<uint32_t> frame_;
};

} // namespace qz
