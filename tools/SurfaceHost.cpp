#include "SurfaceHost.h"

#include "archive/Error.h"
#include "gfx/SurfEngine.h"

namespace qz::tool {

TSurfaceHost::TSurfaceHost(TSurfEngine& engine, std::string target, TLoader loader)
    : engine_(engine), target_(std::move(target)), loader_(std::move(loader)) {}

void TSurfaceHost::Need(const std::string& picture) {
    if (loader_ && !picture.empty() && engine_.FindSurface(picture) == nullptr) {
        loader_(picture);
    }
}

void TSurfaceHost::Draw(const std::string& picture, const std::string&, int32_t x, int32_t y,
                        uint8_t alpha) {
    Need(picture);
    engine_.DrawImage(picture, target_, 0, 0, std::nullopt, alpha, x, y);
}

void TSurfaceHost::ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) {
    Need(picture);
    glyphs_.resize(glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const TCharRect& g = glyphs[i];
        glyphs_[i] = TGlyphItem{g.Left, g.Top, g.Right, g.Bottom, g.X, g.Y, g.Color, g.Alpha};
    }
    engine_.DrawGlyphs(picture, target_, static_cast<int32_t>(glyphs_.size()), glyphs_.data());
}

void TSurfaceHost::LowExtDraw(const std::string& picture, const TRect& source, const std::string&,
                              int32_t x, int32_t y, uint32_t color, uint8_t alpha) {
    Need(picture);
    engine_.DrawImage(picture, target_, 1, color, source, alpha, x, y);
}

void TSurfaceHost::DrawRect(const std::string&, const TRect& rect, uint32_t color, uint8_t alpha,
                            uint8_t) {
    engine_.BlendRect(target_, rect, alpha, color);
}

void TSurfaceHost::DrawColoredAlpha(const std::string& picture, const std::string&, int32_t x,
                                    int32_t y, uint32_t color, uint8_t alpha) {
    Need(picture);
    engine_.DrawImage(picture, target_, 1, color, std::nullopt, alpha, x, y);
}

void TSurfaceHost::GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) {
    Need(picture);
    const TSurface* surface = engine_.FindSurface(picture);
    width = surface ? surface->Width : 0;
    height = surface ? surface->Height : 0;
}

void TSurfaceHost::GetScreenSize(int32_t& width, int32_t& height) {
    width = engine_.ScreenWidth;
    height = engine_.ScreenHeight;
}

TRGBImage SurfaceImage(const TSurfEngine& engine, std::string_view name) {
    const int32_t index = engine.IndexOfSurface(name);
    const TSurface* surface = index >= 0 ? &engine.Surfaces[static_cast<size_t>(index)] : nullptr;
    if (surface == nullptr || !surface->Surface || surface->Surface->BytesPerPixel != 4) {
        throw Error("No 32-bit picture \"" + std::string(name) + "\"");
    }
    const TPixelSurface& pixels = *surface->Surface;
    TRGBImage image = TRGBImage::Blank(pixels.Width, pixels.Height);
    for (int32_t y = 0; y < pixels.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(pixels.Row(y));
        for (int32_t x = 0; x < pixels.Width; ++x) {
            uint8_t* p = image.Pixel(x, y);
            p[0] = uint8_t(row[x] >> 16);
            p[1] = uint8_t(row[x] >> 8);
            p[2] = uint8_t(row[x]);
        }
    }
    return image;
}

} // namespace qz::tool
