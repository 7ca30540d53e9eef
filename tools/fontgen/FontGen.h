#pragma once
// Rasterises a TrueType face into the game's bitmap font: one atlas of white glyphs whose
// alpha is the coverage (so any colour tints them) and the font description that places them.

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

struct TGeneratedFont {
    std::string Xml;          // the font description: Name, Height, Picture, Metrics
    std::vector<uint8_t> Png; // the glyph atlas, RGBA
    int32_t AtlasWidth = 0;
    int32_t AtlasHeight = 0;
    int32_t Height = 0;    // glyph box height, the same for every glyph
    size_t GlyphCount = 0; // descriptors, the replacement glyph first
};

// The UTF-16 codes the font covers when the face has a glyph for them: Basic Latin,
// Latin-1, Latin Extended-A, Greek, Cyrillic and common punctuation.
std::vector<char16_t> FontCodes();

// pixelSize is the em size in pixels; name becomes the font's Name and, with ".png", its
// Picture. Throws std::runtime_error when the face cannot be read.
TGeneratedFont GenerateFont(const std::string& faceFile, int32_t pixelSize,
                            const std::string& name);

// Writes <name>.xml and <name>.png into folder.
void WriteFont(const TGeneratedFont& font, const std::string& folder, const std::string& name);

} // namespace qz
