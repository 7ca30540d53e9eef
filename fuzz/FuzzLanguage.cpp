// Reads any bytes as a language file over the game's own interface description (the data
// folder's "Slider.li"), shows and paints every window with the new texts, and gives the
// earlier values back, as a change of language does.

#include "archive/Error.h"
#include "fonts/NyxFontEngine.h"
#include "ui/NyxInterfaceEngine.h"
#include "xml/NyxParser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

class SilentHost : public qz::INyxGraphic {
public:
    void Draw(const std::string&, const std::string&, int32_t, int32_t, uint8_t) override {}
    void ExtDraw(const std::string&, std::span<const qz::TCharRect>) override {}
    void LowExtDraw(const std::string&, const qz::TRect&, const std::string&, int32_t, int32_t,
                    uint32_t, uint8_t) override {}
    void DrawRect(const std::string&, const qz::TRect&, uint32_t, uint8_t, uint8_t) override {}
    void DrawColoredAlpha(const std::string&, const std::string&, int32_t, int32_t, uint32_t,
                          uint8_t) override {}
    void GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) override {
        width = static_cast<int32_t>(40 + picture.size() * 7 % 300);
        height = static_cast<int32_t>(20 + picture.size() * 5 % 200);
    }
    void GetScreenSize(int32_t& width, int32_t& height) override {
        width = 800;
        height = 600;
    }
    void PlaySound(const std::string&) override {}
};

struct TWorld {
    TWorld() {
        Fonts.SetHost(Host);
        for (const char* name : {"NyxUnicode", "NyxUnicodeBold"}) {
            qz::TNyxXMLTag font("Font", nullptr, "");
            font.AddTag("Name", name);
            font.AddTag("Height", "16");
            font.AddTag("Picture", "FuzzFont");
            font.AddTag("Metrics", "32:0:0:0:8:0,65:8:0:1:8:1");
            Fonts.LoadFont(font);
        }
        Description.LoadFromFile(std::string(QUARZEL_UI_DIR) + "/Slider.li");
    }
    std::shared_ptr<SilentHost> Host = std::make_shared<SilentHost>();
    qz::TNyxFontEngine Fonts;
    qz::TMemoryStream Description;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TWorld world;
    qz::TNyxInterfaceEngine engine;
    engine.SetHost(world.Host);
    engine.SetFontEngine(&world.Fonts);
    uint32_t ticks = 0;
    engine.SetTickSource([&ticks] { return ticks; });
    world.Description.SetPosition(0);
    engine.LoadFromStream(world.Description);
    try {
        engine.LoadPropertiesStream(
            qz::TMemoryStream(std::string_view(reinterpret_cast<const char*>(data), size)));
    } catch (const qz::Error&) {
    }
    for (const char* window : {"WTitle", "WOptions", "WGame", "WHighScores", "WLoadGame"}) {
        try {
            engine.ShowForm(window);
            ticks += 300;
            engine.MouseMove({}, 400, 300);
            engine.PaintAll();
        } catch (const qz::Error&) {
        }
    }
    engine.RestoreProperties();
    engine.PaintAll();
    return 0;
}
