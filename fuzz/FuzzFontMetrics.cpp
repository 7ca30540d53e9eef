// Feeds arbitrary metrics strings to a font, then measures and draws a text made of the
// same bytes. Malformed metrics must end in qz::Error, never a crash or a huge allocation.

#include "archive/Error.h"
#include "fonts/NyxFontEngine.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

class CountingHost : public qz::INyxGraphic {
public:
    void Draw(const std::string&, const std::string&, int32_t, int32_t, uint8_t) override {}
    void ExtDraw(const std::string&, std::span<const qz::TCharRect> glyphs) override {
        for (const qz::TCharRect& glyph : glyphs) {
            Sum += static_cast<uint32_t>(glyph.Left) + static_cast<uint32_t>(glyph.Right) +
                   static_cast<uint32_t>(glyph.X);
        }
    }
    void LowExtDraw(const std::string&, const qz::TRect&, const std::string&, int32_t, int32_t,
                    uint32_t, uint8_t) override {}
    void DrawRect(const std::string&, const qz::TRect&, uint32_t, uint8_t, uint8_t) override {}
    void DrawColoredAlpha(const std::string&, const std::string&, int32_t, int32_t, uint32_t,
                          uint8_t) override {}
    void GetPictureSize(int32_t& width, int32_t& height, const std::string&) override {
        width = height = 0;
    }
    void GetScreenSize(int32_t& width, int32_t& height) override {
        width = 800;
        height = 600;
    }
    void PlaySound(const std::string&) override {}

    uint32_t Sum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qz::TNyxFontEngine engine;
    static const bool hosted = (engine.SetHost(std::make_shared<CountingHost>()), true);
    (void)hosted;
    engine.Clear();

    const std::string metrics(reinterpret_cast<const char*>(data), size);
    auto owned = std::make_unique<qz::TNyxFont>();
    qz::TNyxFont* font = owned.get();
    engine.Add(std::move(owned));
    try {
        engine.SetProperty("", "Metrics", metrics);
        engine.SetProperty("", "Height", metrics.substr(0, 12));
    } catch (const qz::Error&) {
    }
    std::u16string text;
    for (size_t i = 0; i + 1 < size && text.size() < 8000; i += 2) {
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    font->TextWidth(text);
    font->DrawText(static_cast<int32_t>(size) * 1000, -5, 0x00FFFFFF, 255, text);
    return 0;
}
