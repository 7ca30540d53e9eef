#pragma once
// Owns the game's fonts and the one glyph buffer that drawing fills and the host blits.

#include "fonts/NyxFont.h"
#include "fonts/NyxInterface.h"

#include <memory>
#include <span>
#include <string_view>

namespace qz {

class TMemoryStream;
class TNyxXMLTag;

class TNyxFontEngine : public TNyxEngine {
public:
    static constexpr size_t GlyphCapacity = 3000;

    TNyxFontEngine();

    void SetHost(std::shared_ptr<INyxGraphic> host) { host_ = std::move(host); }
    INyxGraphic* Host() const { return host_.get(); }

    // Reads a font description (XML whose first top-level element describes one font) and
    // adds the font; conversion errors reach the caller.
    void LoadFromStream(const TMemoryStream& stream);
    // Creates a font, adds it, then sets each child's property (child name) from its text,
    // in document order. Returns the new font.
    TNyxFont* LoadFont(const TNyxXMLTag& element);
    // The font named exactly name, or nullptr.
    TNyxFont* FindFont(std::string_view name) const;

    // Exactly GlyphCapacity records, overwritten by every DrawText.
    std::span<TCharRect> Glyphs() { return glyphs_; }

private:
    std::shared_ptr<INyxGraphic> host_;
    TCharsRects glyphs_;
};

} // namespace qz
