// Reads any bytes as a language file over the game's own interface description (the data
// folder's "Slider.li"), shows and paints every window with the new texts, and gives the
// earlier values back, as a change of language does.

#include "SilentHost.h"
#include "archive/Error.h"
#include "fonts/NyxFontEngine.h"
#include "ui/NyxInterfaceEngine.h"
#include "xml/NyxParser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

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
    std::shared_ptr<qz::fuzz::SilentHost> Host = std::make_shared<qz::fuzz::SilentHost>(40, 20);
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
