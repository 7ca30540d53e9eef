#pragma once
// A bitmap font: one picture holding the glyphs and, per UTF-16 code, where its glyph lies
// and how far the pen moves. Codes without a descriptor of their own use the first one.

#include "objects/NyxBaseClasses.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

struct TCharDesc {
    int32_t Code = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Before = 0; // pen movement before the glyph
    int32_t Width = 0;  // glyph width, also part of the advance
    int32_t After = 0;  // pen movement after the glyph
    friend bool operator==(const TCharDesc&, const TCharDesc&) = default;
};
using TCharDescs = std::vector<TCharDesc>;

class TNyxFont : public TNyxObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxFont";
    // The base rows, then Height (integer, plain), Picture (string, plain) and Metrics
    // (string, write-only, parsed by SetMetrics).
    static const TNyxPropertyTable& StaticProperties();
    // One entry per descriptor position, so a font holds at most this many descriptors.
    static constexpr size_t MaxDescriptors = 65536;

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }

    // "Code:X:Y:Before:Width:After" descriptors separated by ","; missing fields are 0,
    // fields after the sixth are ignored, numbers may have leading blanks only. On any
    // error the font keeps its previous descriptors.
    void SetMetrics(const std::string& metrics);

    // Width in pixels: the sum of Before + Width + After over every character.
    int32_t TextWidth(std::u16string_view text) const;
    // Places every character's glyph from (x, y) on through the engine's glyph buffer and
    // has the host draw it; a text of blanks only draws nothing. Texts longer than the
    // buffer are drawn in several batches.
    void DrawText(int32_t x, int32_t y, uint32_t color, uint8_t alpha,
                  std::u16string_view text) const;

    // The descriptor used for code; the font must have descriptors.
    const TCharDesc& Descriptor(char16_t code) const {
        assert(!charDescs_.empty());
        return charDescs_[charIndex_[code]];
    }
    const TCharDescs& CharDescs() const { return charDescs_; }
    uint16_t CharIndex(char16_t code) const { return charIndex_[code]; }

    int32_t Height = 0;
    std::string Picture;

private:
    TCharDescs charDescs_;
    std::array<uint16_t, 65536> charIndex_{};
};

// Adds TNyxFont to the class registry (once); the interface unit calls it before adding its
// own classes so that the registration order stays fixed.
void RegisterFontClasses();

} // namespace qz
