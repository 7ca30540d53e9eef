#pragma once
// The real screen: one SDL window with a renderer and a streaming texture of the picture's
// size. The picture is drawn letterboxed into whatever size the window or the monitor has.

#include "platform/Display.h"
#include "platform/Letterbox.h"

#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace qz {

class TSdlDisplay final : public IDisplay {
public:
    static constexpr int32_t DefaultRefreshRate = 60;

    struct TOpenResult {
        std::unique_ptr<TSdlDisplay> Display;
        std::string Error; // why the display could not be opened; empty on success
    };

    // Opens the window. On failure the reason has already been written to stderr and shown
    // in a message box where the desktop allows one; the program should then exit non-zero.
    static TOpenResult Open(const TDisplayOptions& options);

    ~TSdlDisplay() override;
    TSdlDisplay(const TSdlDisplay&) = delete;
    TSdlDisplay& operator=(const TSdlDisplay&) = delete;

    void Present(const void* pixels, int32_t pitch, int32_t bitsPerPixel) override;
    bool FullScreen() const override { return fullScreen_; }
    void SetFullScreen(bool fullScreen) override;
    void SetSystemCursorVisible(bool visible) override;
    void SetTitle(const std::string& title) override;
    TPoint WindowPosition() const override;
    uint64_t PresentCount() const override { return presents_; }

    // A window point (as SDL's pointer events give it) in picture coordinates.
    TPointerHit MapPointer(int32_t windowX, int32_t windowY) const;
    // Where the picture lands in the renderer's output now.
    TViewport Viewport() const;

    // Deals with the SDL events that concern the display itself: renderer resets re-create
    // the texture, an exposed or resized window is drawn again. True when the event
    // concerned nothing else.
    bool HandleEvent(const SDL_Event& event);
    // Drops the texture and makes a new one, as after a renderer reset.
    void RecreateTexture();
    // Draws the last picture again without a new upload.
    void Refresh();

    SDL_Window* Window() const { return window_; }
    uint32_t WindowId() const;
    uint32_t TextureGeneration() const { return textureGeneration_; }
    bool VSync() const { return vsync_; }
    // Pictures uploaded and drawn: presents of the picture the window shows already are not.
    uint64_t UploadCount() const { return uploads_; }
    // Refreshes per second of the monitor the window is on; 60 when SDL does not know.
    int32_t RefreshRate() const { return refreshRate_; }

private:
    TSdlDisplay() = default;
    bool CreateTexture();
    void Draw();
    // Keeps a copy of the picture unless the texture already holds the same; false then.
    bool KeepIfNew(const void* pixels, int32_t pitch, int32_t bitsPerPixel);
    void ReadRefreshRate();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool videoStarted_ = false;
    bool fullScreen_ = false;
    bool vsync_ = true;
    uint64_t presents_ = 0;
    uint64_t uploads_ = 0;
    uint32_t textureGeneration_ = 0;
    int32_t refreshRate_ = DefaultRefreshRate;
    // The picture the texture holds, rows packed, and the texture it went into.
    std::vector<uint8_t> shown_;
    int32_t shownBits_ = 0;
    uint32_t shownGeneration_ = 0;
};

// Writes message to stderr and shows it in an error box when the desktop allows one.
void ReportFatalDisplayError(const std::string& message);

} // namespace qz
