#pragma once
// The host drawing interface: what the font and interface engines know of the window that
// draws and plays sound for them. The main window implements it over the surface engine;
// tests implement it with a recording host.

#include "archive/Helpers.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qz {

// One glyph placement prepared by the font engine: the glyph's rectangle in the font
// picture (inclusive), where it goes on the screen, its colour (0x00BBGGRR) and opacity.
struct TCharRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t X = 0;
    int32_t Y = 0;
    uint32_t Color = 0;
    uint8_t Alpha = 0;
    friend bool operator==(const TCharRect&, const TCharRect&) = default;
};
using TCharsRects = std::vector<TCharRect>;

// Shared between the engines and the application (std::shared_ptr): the one
// reference-counted object of the program. Reserved and target names are passed through as
// the engines give them; the host draws into its composition picture whatever they say.
class INyxGraphic {
public:
    virtual ~INyxGraphic() = default;

    // The whole picture with its top-left corner at (x, y), at opacity alpha.
    virtual void Draw(const std::string& picture, const std::string& reserved, int32_t x, int32_t y,
                      uint8_t alpha) = 0;
    // Blits every glyph placement of glyphs (the font engine's buffer, valid only during the
    // call) cut out of the font picture.
    virtual void ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) = 0;
    // The source part of the picture at (x, y), tinted with color, at opacity alpha.
    virtual void LowExtDraw(const std::string& picture, const TRect& source,
                            const std::string& target, int32_t x, int32_t y, uint32_t color,
                            uint8_t alpha) = 0;
    // Fills rect with color at opacity alpha; the final byte is always 1 and not used.
    virtual void DrawRect(const std::string& reserved, const TRect& rect, uint32_t color,
                          uint8_t alpha, uint8_t mode) = 0;
    // The whole picture at (x, y) tinted with color, at opacity alpha.
    virtual void DrawColoredAlpha(const std::string& picture, const std::string& reserved,
                                  int32_t x, int32_t y, uint32_t color, uint8_t alpha) = 0;
    // 0 and 0 when the host holds no picture of that name.
    virtual void GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) = 0;
    virtual void GetScreenSize(int32_t& width, int32_t& height) = 0;
    virtual void PlaySound(const std::string& name) = 0;
};

} // namespace qz
