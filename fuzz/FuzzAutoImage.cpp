// AutoImage scripts of any content against a small archive of pictures: a picture or a clear
// qz::Error, never a crash. Scripts asking for pictures larger than 256 pixels a side are
// left out so that each run stays short; the size limit itself is tested elsewhere.
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "gfx/JpegPNG.h"
#include "gfx/PNGMorf.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool HasLargeNumber(std::string_view text) {
    long value = 0;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            value = value * 10 + (c - '0');
            if (value > 256)
                return true;
        } else {
            value = 0;
        }
    }
    return text.find("$") != std::string_view::npos || text.find("0x") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz;
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    if (HasLargeNumber(script))
        return 0;
    static const TMemoryStream rgba = [] {
        TRGBImage image = TRGBImage::Blank(7, 5, 128);
        for (size_t i = 0; i < image.Pixels.size(); ++i)
            image.Pixels[i] = uint8_t(i * 37);
        return EncodePNG(image);
    }();
    static const TMemoryStream rgb = EncodePNG(TRGBImage::Blank(3, 9));
    auto folder = TFileFolder::CreateNew("fuzz.zxc");
    folder->AddFile("a.png", 2, rgba);
    folder->AddFile("b.png", 2, rgb);
    folder->AddFile("c.png", 2, TMemoryStream("broken"));
    try {
        TPNGMorf(80).RunScript(TMemoryStream(script), *folder);
    } catch (const Error&) {
    }
    return 0;
}
