#pragma once
// One still picture drawn the way the game draws its screen: the pictures of the shipped
// archives loaded into a surface engine by name, labels in the game's bitmap font, and the
// result written as a PNG. Used by the contact sheet and the board pictures of quarzel-data.

#include "archive/Helpers.h"
#include "fonts/NyxFontEngine.h"
#include "game/GameHost.h"
#include "gfx/JpegPNG.h"
#include "gfx/SurfEngine.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class THeadlessGame;

namespace tool {

class TStillPicture {
public:
    static constexpr const char* Target = "StillPicture";

    // A picture of the given size, filled with the colour (0x00BBGGRR), over the converted
    // archives of game.
    TStillPicture(THeadlessGame& game, int32_t width, int32_t height, uint32_t fill);

    TSurfEngine Engine;

    // Loads the named picture from the levels archive, else the game archive, unless the
    // engine has it; nothing when neither holds it.
    std::optional<TPictureSize> Load(std::string_view name);
    // The named picture as a decoded image, for pictures drawn scaled.
    std::optional<TRGBImage> Decode(std::string_view name) const;
    // Adds a decoded picture to the engine under name (replacing one of that name).
    void Add(const std::string& name, const TRGBImage& image);

    // Draws the picture (loading it first) with its top-left corner at (x, y).
    void Draw(std::string_view name, int32_t x, int32_t y, uint8_t alpha = 255,
              const std::optional<TRect>& source = std::nullopt);
    void Fill(const TRect& rect, uint32_t colour, uint8_t alpha = 255);
    // Text in the game's font "NyxUnicode" with its top-left corner at (x, y); nothing when
    // the archive has no font.
    void Text(int32_t x, int32_t y, std::string_view text, uint32_t colour = 0xFFFFFF);
    int32_t TextWidth(std::string_view text) const;
    int32_t TextHeight() const;

    TRGBImage Image() const;
    void SavePNG(const std::string& fileName) const;

private:
    THeadlessGame& game_;
    TNyxFontEngine fonts_;
    TNyxFont* font_ = nullptr;
};

// The data tools' check that an archive exists, with a message naming the file.
void RequireFile(const std::string& fileName, std::string_view what);

} // namespace tool
} // namespace qz
