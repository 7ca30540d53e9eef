#pragma once
// The screen the composition picture is shown on: an 800 x 600 picture handed over as raw
// pixels (16-bit 5-6-5 or 32-bit B, G, R, unused byte), scaled to the window or the whole
// monitor with its aspect kept.

#include "archive/Helpers.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qz {

struct TDisplayOptions {
    bool FullScreen = false;
    bool VSync = true; // off for benchmarks: present then never waits for the monitor
    // Window position in windowed mode; centred when not given.
    bool HasPosition = false;
    int32_t WindowX = 0;
    int32_t WindowY = 0;
    std::string Title = "Quarzel";
    // Headless only: a display that cannot go full screen, as some drivers and setups are.
    bool RefusesFullScreen = false;
};

class IDisplay {
public:
    virtual ~IDisplay() = default;

    // Shows a PictureWidth x PictureHeight picture of bitsPerPixel 16 or 32 with pitch bytes
    // per row.
    virtual void Present(const void* pixels, int32_t pitch, int32_t bitsPerPixel) = 0;

    virtual bool FullScreen() const = 0;
    virtual void SetFullScreen(bool fullScreen) = 0;

    // The game draws its own cursor; the system one shows only while the game is paused.
    virtual void SetSystemCursorVisible(bool visible) = 0;

    // The window's title bar text.
    virtual void SetTitle(const std::string& title) = 0;

    // Left and top of the window on the desktop in windowed mode.
    virtual TPoint WindowPosition() const = 0;

    // Presents so far (tests and the frame-rate overlay use it).
    virtual uint64_t PresentCount() const = 0;
};

} // namespace qz
