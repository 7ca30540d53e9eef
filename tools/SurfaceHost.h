#pragma once
// The host drawing interface of the data tools: what the font and interface engines draw
// goes into one target picture of a surface engine, with pictures loaded on first use.

#include "fonts/NyxInterface.h"
#include "gfx/JpegPNG.h"
#include "gfx/SurfEngine.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::tool {

class TSurfaceHost : public INyxGraphic {
public:
    // Brings the named picture into the engine when it can; called before a picture the
    // engine does not hold is measured or drawn.
    using TLoader = std::function<void(const std::string& picture)>;

    TSurfaceHost(TSurfEngine& engine, std::string target, TLoader loader = {});

    void Draw(const std::string& picture, const std::string& reserved, int32_t x, int32_t y,
              uint8_t alpha) override;
    void ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) override;
    void LowExtDraw(const std::string& picture, const TRect& source, const std::string& target,
                    int32_t x, int32_t y, uint32_t color, uint8_t alpha) override;
    void DrawRect(const std::string& reserved, const TRect& rect, uint32_t color, uint8_t alpha,
                  uint8_t mode) override;
    void DrawColoredAlpha(const std::string& picture, const std::string& reserved, int32_t x,
                          int32_t y, uint32_t color, uint8_t alpha) override;
    void GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) override;
    void GetScreenSize(int32_t& width, int32_t& height) override;
    void PlaySound(const std::string&) override {}

private:
    void Need(const std::string& picture);

    TSurfEngine& engine_;
    std::string target_;
    TLoader loader_;
    std::vector<TGlyphItem> glyphs_;
};

// The 32-bit picture of the engine named name as an RGB image.
TRGBImage SurfaceImage(const TSurfEngine& engine, std::string_view name);

} // namespace qz::tool
