// PNG and JPEG archive entries of any content through the surface engine's loaders, at both
// depths: a clear qz::Error or a picture, never a crash.
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "gfx/SurfEngine.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto folder = TFileFolder::CreateNew("fuzz.zxc");
    folder->AddFile("p.png", 2, TMemoryStream(bytes));
    folder->AddFile("j.jpg", 2, TMemoryStream(bytes));
    for (const TPixelFormat& format : {TPixelFormat::Bits32(), TPixelFormat::Bits16()}) {
        TSurfEngine engine;
        engine.Initialise(format);
        engine.CreateBlankSurface("MemorySurface", 800, 600);
        try {
            engine.LoadPNGFromFolder(*folder, "p", "p.png");
            engine.DrawImage("p", "MemorySurface", 100, 0x123456, std::nullopt, 200, -3, 590);
        } catch (const Error&) {
        }
        try {
            engine.LoadJPEGFromFolder(*folder, "j", "j.jpg");
            engine.CopyOpaque("j", "MemorySurface", std::nullopt, 0, 0);
        } catch (const Error&) {
        }
    }
    return 0;
}
