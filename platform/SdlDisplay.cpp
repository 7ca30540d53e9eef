#include "platform/SdlDisplay.h"

#include "platform/PixelConvert.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>

namespace qz {

namespace {

std::string SdlError(const char* what) {
    return std::string(what) + ": " + SDL_GetError();
}

} // namespace

void ReportFatalDisplayError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Quarzel", message.c_str(), nullptr);
}

TSdlDisplay::TOpenResult TSdlDisplay::Open(const TDisplayOptions& options) {
    std::unique_ptr<TSdlDisplay> display(new TSdlDisplay());
    TOpenResult result;
    const auto fail = [&](const std::string& reason) {
        result.Error = "Quarzel cannot open its display (" + reason + ").";
        display.reset();
        ReportFatalDisplayError(result.Error);
        return std::move(result);
    };

    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return fail(SdlError("SDL video"));
    }
    display->videoStarted_ = true;
    display->fullScreen_ = options.FullScreen;
    display->vsync_ = options.VSync;

    const int x = options.HasPosition ? options.WindowX : SDL_WINDOWPOS_CENTERED;
    const int y = options.HasPosition ? options.WindowY : SDL_WINDOWPOS_CENTERED;
    uint32_t flags = SDL_WINDOW_RESIZABLE;
    if (options.FullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    display->window_ =
        SDL_CreateWindow(options.Title.c_str(), x, y, PictureWidth, PictureHeight, flags);
    if (display->window_ == nullptr) {
        return fail(SdlError("window"));
    }
    SDL_SetWindowMinimumSize(display->window_, PictureWidth / 4, PictureHeight / 4);

    const uint32_t vsync = options.VSync ? SDL_RENDERER_PRESENTVSYNC : 0;
    display->renderer_ = SDL_CreateRenderer(display->window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (display->renderer_ == nullptr) {
        display->renderer_ = SDL_CreateRenderer(display->window_, -1, SDL_RENDERER_SOFTWARE);
    }
    if (display->renderer_ == nullptr) {
        return fail(SdlError("renderer"));
    }
    if (!display->CreateTexture()) {
        return fail(SdlError("texture"));
    }
    display->ReadRefreshRate();
    display->Draw();
    result.Display = std::move(display);
    return result;
}

TSdlDisplay::~TSdlDisplay() {
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
    }
    if (renderer_ != nullptr) {
        SDL_DestroyRenderer(renderer_);
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
    }
    if (videoStarted_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

bool TSdlDisplay::CreateTexture() {
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 PictureWidth, PictureHeight);
    if (texture_ == nullptr) {
        return false;
    }
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeLinear);
    ++textureGeneration_;
    return true;
}

void TSdlDisplay::RecreateTexture() {
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
        texture_ = nullptr;
    }
    CreateTexture();
}

bool TSdlDisplay::KeepIfNew(const void* pixels, int32_t pitch, int32_t bitsPerPixel) {
    const size_t rowBytes = size_t(PictureWidth) * size_t(bitsPerPixel / 8);
    const auto* from = static_cast<const uint8_t*>(pixels);
    bool same = shownBits_ == bitsPerPixel && shownGeneration_ == textureGeneration_;
    for (int32_t y = 0; same && y < PictureHeight; ++y)
        same = std::memcmp(shown_.data() + size_t(y) * rowBytes, from + size_t(y) * size_t(pitch),
                           rowBytes) == 0;
    if (same)
        return false;
    shown_.resize(rowBytes * PictureHeight);
    for (int32_t y = 0; y < PictureHeight; ++y)
        std::memcpy(shown_.data() + size_t(y) * rowBytes, from + size_t(y) * size_t(pitch),
                    rowBytes);
    shownBits_ = bitsPerPixel;
    shownGeneration_ = textureGeneration_;
    return true;
}

void TSdlDisplay::Present(const void* pixels, int32_t pitch, int32_t bitsPerPixel) {
    ++presents_;
    // The window keeps showing the last picture (and draws it again when exposed or
    // resized); the same picture again is not uploaded or drawn.
    if (!KeepIfNew(pixels, pitch, bitsPerPixel) && texture_ != nullptr)
        return;
    void* dst = nullptr;
    int dstPitch = 0;
    if (texture_ == nullptr || SDL_LockTexture(texture_, nullptr, &dst, &dstPitch) != 0) {
        // A texture lost with its device: make a new one and try once more.
        RecreateTexture();
        if (texture_ == nullptr || SDL_LockTexture(texture_, nullptr, &dst, &dstPitch) != 0) {
            shownBits_ = 0; // nothing holds it: the next present uploads again
            return;
        }
        shownGeneration_ = textureGeneration_;
    }
    ConvertToXrgb(pixels, pitch, bitsPerPixel, dst, dstPitch, PictureWidth, PictureHeight);
    SDL_UnlockTexture(texture_);
    Draw();
    ++uploads_;
}

void TSdlDisplay::ReadRefreshRate() {
    SDL_DisplayMode mode{};
    const int index = SDL_GetWindowDisplayIndex(window_);
    refreshRate_ =
        index >= 0 && SDL_GetCurrentDisplayMode(index, &mode) == 0 && mode.refresh_rate > 0
            ? mode.refresh_rate
            : DefaultRefreshRate;
}

void TSdlDisplay::Refresh() {
    Draw();
}

void TSdlDisplay::Draw() {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (texture_ != nullptr) {
        const TViewport v = Viewport();
        const SDL_Rect dst{v.X, v.Y, v.W, v.H};
        // At its own size the picture needs no filtering, which software renderers spend
        // most of a present on.
        const bool sameSize = v.W == PictureWidth && v.H == PictureHeight;
        SDL_SetTextureScaleMode(texture_, sameSize ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    }
    SDL_RenderPresent(renderer_);
}

TViewport TSdlDisplay::Viewport() const {
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    return LetterboxViewport(w, h);
}

TPointerHit TSdlDisplay::MapPointer(int32_t windowX, int32_t windowY) const {
    int winW = 0;
    int winH = 0;
    int outW = 0;
    int outH = 0;
    SDL_GetWindowSize(window_, &winW, &winH);
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    // Window points and output pixels differ on high-density screens.
    if (winW > 0 && winH > 0 && (winW != outW || winH != outH)) {
        windowX = static_cast<int32_t>(int64_t{windowX} * outW / winW);
        windowY = static_cast<int32_t>(int64_t{windowY} * outH / winH);
    }
    return MapToPicture(LetterboxViewport(outW, outH), windowX, windowY);
}

void TSdlDisplay::SetFullScreen(bool fullScreen) {
    const bool wasFullScreen = fullScreen_;
    if (SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) {
        fullScreen_ = fullScreen;
    }
    if (wasFullScreen && !fullScreen_) {
        // Back to the game's own window size, whatever the window had before.
        SDL_SetWindowSize(window_, PictureWidth, PictureHeight);
    }
    ReadRefreshRate();
    Draw();
}

void TSdlDisplay::SetSystemCursorVisible(bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void TSdlDisplay::SetTitle(const std::string& title) {
    SDL_SetWindowTitle(window_, title.c_str());
}

TPoint TSdlDisplay::WindowPosition() const {
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    return TPoint{x, y};
}

uint32_t TSdlDisplay::WindowId() const {
    return SDL_GetWindowID(window_);
}

bool TSdlDisplay::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        RecreateTexture();
        Draw();
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != WindowId()) {
            return false;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            Draw();
            return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) {
            ReadRefreshRate();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace qz
