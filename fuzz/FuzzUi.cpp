// Feeds random interface descriptions, property files, scripts and input to the interface
// engine. The input is split at the first two zero bytes: description, property file,
// then one script per line; every part may be malformed.

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

std::string_view NextPart(std::string_view& rest) {
    const size_t end = rest.find('\0');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view description = NextPart(rest);
    const std::string_view properties = NextPart(rest);
    const std::string_view scripts = rest;

    auto host = std::make_shared<qz::fuzz::SilentHost>();
    qz::TNyxFontEngine fonts;
    fonts.SetHost(host);
    qz::TNyxXMLTag font("Font", nullptr, "");
    font.AddTag("Name", "Fuzz");
    font.AddTag("Height", "16");
    font.AddTag("Picture", "FuzzFont");
    font.AddTag("Metrics", "32:0:0:0:8:0,65:8:0:1:8:1");
    fonts.LoadFont(font);

    qz::TNyxInterfaceEngine engine;
    engine.SetHost(host);
    engine.SetFontEngine(&fonts);
    uint32_t ticks = 0;
    engine.SetTickSource([&ticks] { return ticks; });
    engine.RegisterHandler("Fuzz_MouseUp", [] {});
    try {
        engine.LoadFromStream(qz::TMemoryStream(description));
        engine.LoadPropertiesStream(qz::TMemoryStream(properties));
    } catch (const qz::Error&) {
    }
    for (size_t i = 0; i < engine.Count() && i < 8; ++i) {
        try {
            engine.ShowForm(engine.Object(i)->GetName());
        } catch (const qz::Error&) {
        }
    }
    size_t start = 0;
    int line = 0;
    while (start <= scripts.size() && line < 32) {
        const size_t end = std::min(scripts.find('\n', start), scripts.size());
        const std::string script(scripts.substr(start, end - start));
        try {
            engine.AddScript("Fuzz", script);
            engine.RunScripts();
            const int32_t x = static_cast<int32_t>((line * 97) % 800);
            const int32_t y = static_cast<int32_t>((line * 61) % 600);
            engine.MouseMove({}, x, y);
            engine.MouseDown(qz::TNyxButton{}, {}, x, y);
            engine.MouseUp(qz::TNyxButton{}, {}, x, y);
            uint16_t key = static_cast<uint16_t>(script.empty() ? 9 : script[0]);
            engine.KeyDown(key, {});
            char typed = script.empty() ? 'a' : script.back();
            engine.KeyPress(typed);
            ticks += 700;
            engine.PaintAll();
        } catch (const qz::Error&) {
        }
        start = end + 1;
        ++line;
    }
    try {
        engine.RestoreProperties();
        engine.PaintAll();
    } catch (const qz::Error&) {
    }
    return 0;
}
