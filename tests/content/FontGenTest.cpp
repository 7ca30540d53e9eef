#include "tools/fontgen/FontGen.h"

#include "TempDir.h"
#include "fonts/NyxFont.h"
#include "fonts/NyxFontEngine.h"
#include "xml/NyxParser.h"

#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <sstream>

namespace qz {
namespace {

const std::string kRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct TAtlas {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Rgba;
    uint8_t Alpha(int32_t x, int32_t y) const {
        return Rgba[(static_cast<size_t>(y) * Width + x) * 4 + 3];
    }
};

TAtlas DecodePng(const std::vector<uint8_t>& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()), 0);
    image.format = PNG_FORMAT_RGBA;
    TAtlas atlas;
    atlas.Width = static_cast<int32_t>(image.width);
    atlas.Height = static_cast<int32_t>(image.height);
    atlas.Rgba.resize(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, atlas.Rgba.data(), 0, nullptr), 0);
    return atlas;
}

TMemoryStream StreamOf(const std::string& text) {
    TMemoryStream stream;
    stream.Write(text);
    stream.SetPosition(0);
    return stream;
}

TEST(FontGen, DescriptionParsesAndEveryGlyphLiesInTheAtlas) {
    const TGeneratedFont font = GenerateFont(kRegular, 14, "NyxUnicode");
    TNyxParser document;
    document.LoadFromStream(StreamOf(font.Xml));
    ASSERT_GE(document.TagCount(), 1u);
    const TNyxXMLTag* element = document.GetTag(0);
    ASSERT_EQ(element->TagCount(), 4u);
    EXPECT_EQ(element->GetTag(0)->Name, "Name");
    EXPECT_EQ(element->GetTag(0)->Value, "NyxUnicode");
    EXPECT_EQ(element->GetTag(1)->Name, "Height");
    EXPECT_EQ(element->GetTag(2)->Name, "Picture");
    EXPECT_EQ(element->GetTag(2)->Value, "NyxUnicode.png");
    EXPECT_EQ(element->GetTag(3)->Name, "Metrics");

    TNyxFontEngine engine;
    engine.LoadFromStream(StreamOf(font.Xml));
    const auto* loaded = dynamic_cast<const TNyxFont*>(engine.FindObject("NyxUnicode"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Height, font.Height);
    ASSERT_EQ(loaded->CharDescs().size(), font.GlyphCount);

    const TAtlas atlas = DecodePng(font.Png);
    ASSERT_EQ(atlas.Width, font.AtlasWidth);
    ASSERT_EQ(atlas.Height, font.AtlasHeight);
    std::vector<bool> covered(static_cast<size_t>(atlas.Width) * atlas.Height, false);
    for (const TCharDesc& desc : loaded->CharDescs()) {
        ASSERT_GE(desc.Width, 1) << desc.Code;
        ASSERT_GE(desc.X, 0) << desc.Code;
        ASSERT_GE(desc.Y, 0) << desc.Code;
        ASSERT_LE(desc.X + desc.Width, atlas.Width) << desc.Code;
        ASSERT_LE(desc.Y + loaded->Height, atlas.Height) << desc.Code;
        for (int32_t y = desc.Y; y < desc.Y + loaded->Height; ++y) {
            for (int32_t x = desc.X; x < desc.X + desc.Width; ++x) {
                const size_t at = static_cast<size_t>(y) * atlas.Width + x;
                ASSERT_FALSE(covered[at]) << "glyph boxes overlap at " << desc.Code;
                covered[at] = true;
            }
        }
    }
    // All ink lies inside some glyph box, and the glyphs are white so that tints colour them.
    for (int32_t y = 0; y < atlas.Height; ++y) {
        for (int32_t x = 0; x < atlas.Width; ++x) {
            const size_t at = static_cast<size_t>(y) * atlas.Width + x;
            ASSERT_TRUE(covered[at] || atlas.Alpha(x, y) == 0) << x << "," << y;
            ASSERT_EQ(atlas.Rgba[at * 4], 255);
            ASSERT_EQ(atlas.Rgba[at * 4 + 1], 255);
            ASSERT_EQ(atlas.Rgba[at * 4 + 2], 255);
        }
    }
}

TEST(FontGen, CoversTheShippedScriptsAndFallsBackToAVisibleGlyph) {
    const TGeneratedFont font = GenerateFont(kRegular, 14, "NyxUnicode");
    TNyxFontEngine engine;
    engine.LoadFromStream(StreamOf(font.Xml));
    const auto* loaded = dynamic_cast<const TNyxFont*>(engine.FindObject("NyxUnicode"));
    ASSERT_NE(loaded, nullptr);
    const auto has = [&](char16_t code) { return loaded->CharIndex(code) != 0; };
    for (char16_t code = 0x21; code <= 0x7E; ++code) {
        EXPECT_TRUE(has(code)) << int(code);
    }
    for (char16_t code = 0xA1; code <= 0x17F; ++code) {
        EXPECT_TRUE(has(code)) << int(code);
    }
    for (char16_t code = 0x391; code <= 0x3C9; ++code) {
        EXPECT_TRUE(code == 0x3A2 || has(code)) << int(code); // 0x3A2 is unassigned
    }
    for (char16_t code = 0x400; code <= 0x45F; ++code) {
        EXPECT_TRUE(has(code)) << int(code);
    }
    EXPECT_TRUE(has(u'€'));
    EXPECT_TRUE(has(u'…'));

    // Descriptor 0 is the replacement glyph, and it has ink.
    const TCharDesc& replacement = loaded->CharDescs()[0];
    EXPECT_EQ(replacement.Code, 0xFFFD);
    EXPECT_EQ(loaded->Descriptor(u'\x4E00'), replacement);
    const TAtlas atlas = DecodePng(font.Png);
    int32_t ink = 0;
    for (int32_t y = replacement.Y; y < replacement.Y + loaded->Height; ++y) {
        for (int32_t x = replacement.X; x < replacement.X + replacement.Width; ++x) {
            ink += atlas.Alpha(x, y) > 128 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 20);

    // The space advances the pen like a real character and "W" is wider than "i".
    EXPECT_GT(loaded->TextWidth(u" "), 2);
    EXPECT_GT(loaded->TextWidth(u"W"), loaded->TextWidth(u"i"));
}

TEST(FontGen, OutputIsDeterministicAndTheBoldFaceDiffers) {
    const TGeneratedFont first = GenerateFont(kRegular, 14, "NyxUnicode");
    const TGeneratedFont second = GenerateFont(kRegular, 14, "NyxUnicode");
    EXPECT_EQ(first.Xml, second.Xml);
    EXPECT_EQ(first.Png, second.Png);
    const TGeneratedFont bold = GenerateFont(kBold, 14, "NyxUnicodeBold");
    EXPECT_NE(bold.Png, first.Png);
    EXPECT_NE(bold.Xml.find("<Picture>NyxUnicodeBold.png</Picture>"), std::string::npos);

    test::TempDir dir;
    WriteFont(first, dir.Path().string(), "NyxUnicode");
    std::ifstream png(dir.File("NyxUnicode.png"), std::ios::binary);
    std::ostringstream bytes;
    bytes << png.rdbuf();
    EXPECT_EQ(bytes.str(), std::string(first.Png.begin(), first.Png.end()));
}

TEST(FontGen, MissingFaceIsAnError) {
    EXPECT_THROW(GenerateFont("/nonexistent/face.ttf", 14, "X"), std::runtime_error);
}

} // namespace
} // namespace qz
