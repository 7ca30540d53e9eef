#include "gfx/SurfEngine.h"

#include "GfxTestSupport.h"
#include "TempDir.h"
#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "gfx/JpegPNG.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

using test::PixelAt;
using test::SetPixel;
using test::TempDir;

TSurfEngine MakeEngine(const TPixelFormat& format) {
    TSurfEngine engine;
    engine.Initialise(format);
    EXPECT_TRUE(engine.CreateBlankSurface("MemorySurface", 800, 600));
    return engine;
}

// A width x height picture with an alpha plane of the given value everywhere and pixel
// value `value` (in the engine's format) everywhere.
void AddFlat(TSurfEngine& engine, const std::string& name, int width, int height, uint8_t alpha,
             uint32_t value) {
    TSurface surface = test::RandomSurface(engine, name, width, height, true, 1);
    std::fill(surface.Alpha.begin(), surface.Alpha.end(), alpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(surface, x, y, value);
    engine.AddSurface(surface);
}

TEST(SurfEngine, PixelUploadRulesAtBothDepths) {
    TempDir dir;
    // Pixels: pure black, (255, 128, 8), (7, 200, 31).
    const std::vector<uint8_t> rgb = {0, 0, 0, 255, 128, 8, 7, 200, 31};
    const std::string png = dir.File("p.png");
    test::WritePNG(3, 1, 3, rgb).SaveToFile(png);
    const TRGBImage bitmap = TRGBImage::Blank(8, 8);
    const std::string jpg = dir.File("p.jpg");
    EncodeJPEG(bitmap, 100).SaveToFile(jpg);

    TSurfEngine engine32 = MakeEngine(TPixelFormat::Bits32());
    ASSERT_TRUE(engine32.LoadPNGFromFile("p", png));
    const TSurface& s32 = *engine32.FindSurface("p");
    EXPECT_EQ(PixelAt(s32, 0, 0), 0u);
    EXPECT_EQ(PixelAt(s32, 1, 0), 0xFF8008u);
    EXPECT_EQ(s32.Surface->Pixels[4], 8); // blue first
    EXPECT_EQ(PixelAt(s32, 2, 0), 0x07C81Fu);
    EXPECT_EQ(s32.AlphaPitch, -1) << "an RGB file from disk stays opaque";

    TSurfEngine engine16 = MakeEngine(TPixelFormat::Bits16());
    ASSERT_TRUE(engine16.LoadPNGFromFile("p", png));
    const TSurface& s16 = *engine16.FindSurface("p");
    EXPECT_EQ(PixelAt(s16, 0, 0), 0x0841u) << "black PNG pixels keep 1 in every channel";
    EXPECT_EQ(PixelAt(s16, 1, 0), (31u << 11) | (16u << 6) | 1u);
    EXPECT_EQ(PixelAt(s16, 2, 0), (1u << 11) | (25u << 6) | 3u);

    ASSERT_TRUE(engine16.LoadJPEGFromFile("j", jpg));
    const TSurface& j16 = *engine16.FindSurface("j");
    EXPECT_EQ(PixelAt(j16, 0, 0), 0u) << "bitmaps are not raised to 1";
    EXPECT_EQ(j16.AlphaPitch, -1);
}

TEST(SurfEngine, AlphaPlanesFromArchiveAndDisk) {
    TempDir dir;
    auto folder = TFileFolder::CreateNew(dir.File("a.zxc"));
    folder->AddFile("rgb.png", 2, test::WritePNG(2, 2, 3, std::vector<uint8_t>(12, 9)));
    folder->AddFile("ga.png", 2, test::WritePNG(2, 1, 2, {10, 0, 20, 77}));
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    engine.LoadPNGFromFolder(*folder, "rgb.png", "RGB.PNG");
    engine.LoadPNGFromFolder(*folder, "ga.png", "ga.png");
    engine.LoadPNGFromFolder(*folder, "none.png", "none.png");
    EXPECT_EQ(engine.IndexOfSurface("none.png"), -1) << "missing entries are skipped";
    const TSurface& rgb = *engine.FindSurface("rgb.png");
    EXPECT_EQ(rgb.AlphaPitch, 2);
    EXPECT_EQ(rgb.Alpha, std::vector<uint8_t>(4, 255));
    EXPECT_EQ(rgb.FileName, "RGB.PNG");
    const TSurface& ga = *engine.FindSurface("ga.png");
    EXPECT_EQ(ga.Alpha, (std::vector<uint8_t>{0, 77}));
    EXPECT_EQ(PixelAt(ga, 1, 0), 0x141414u);

    EXPECT_FALSE(engine.LoadPNGFromFile("x", dir.File("missing.png")));
    EXPECT_THROW(engine.LoadJPEGFromFile("x", dir.File("missing.jpg")), Error);

    engine.AddAlphaPlane("ga.png", 3);
    EXPECT_EQ(engine.FindSurface("ga.png")->Alpha, (std::vector<uint8_t>{0, 77}));
}

TEST(SurfEngine, EncipheredJpegLoadsLikePlainOne) {
    TempDir dir;
    TRGBImage bitmap = TRGBImage::Blank(8, 8);
    bitmap.Pixels = test::RandomBytes(8 * 8 * 3, 5);
    TMemoryStream jpeg = EncodeJPEG(bitmap, 90);
    TMemoryStream copy = jpeg;
    TMemoryStream hidden;
    CipherStream(copy, hidden, DataKey());
    auto folder = TFileFolder::CreateNew(dir.File("a.zxc"));
    folder->AddFile("plain.jpg", 2, jpeg);
    folder->AddFile("hidden.jpg", 2, hidden);
    folder->AddFile("broken.jpg", 2, TMemoryStream("not a picture at all"));
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    engine.LoadJPEGFromFolder(*folder, "plain", "plain.jpg");
    engine.LoadJPEGFromFolder(*folder, "hidden", "hidden.jpg");
    EXPECT_EQ(engine.FindSurface("plain")->Surface->Pixels,
              engine.FindSurface("hidden")->Surface->Pixels);
    EXPECT_THROW(engine.LoadJPEGFromFolder(*folder, "broken", "broken.jpg"), Error);
    EXPECT_EQ(engine.IndexOfSurface("broken"), -1);
}

TEST(SurfEngine, BrokenAndAbsurdPicturesRaiseErrors) {
    const TMemoryStream png = test::WritePNG(4, 4, 4, std::vector<uint8_t>(64, 1));
    std::string truncated = png.ToString().substr(0, png.Size() - 20);
    EXPECT_THROW(DecodePNG(truncated), Error);
    EXPECT_THROW(DecodePNG("garbage"), Error);
    // The IHDR of a 20000 x 20000 picture: refused before any pixel memory is taken.
    std::string huge = png.ToString();
    const uint8_t side[4] = {0x00, 0x00, 0x4E, 0x20};
    huge.replace(16, 4, reinterpret_cast<const char*>(side), 4);
    huge.replace(20, 4, reinterpret_cast<const char*>(side), 4);
    try {
        DecodePNG(huge);
        FAIL();
    } catch (const Error& error) {
        SUCCEED() << error.what();
    }
    TRGBImage bitmap = TRGBImage::Blank(16, 16);
    std::string jpeg = EncodeJPEG(bitmap, 80).ToString();
    EXPECT_THROW(DecodeJPEG(jpeg.substr(0, jpeg.size() / 2)), Error);
    EXPECT_THROW(TRGBImage::Blank(16385, 2), Error);
}

TEST(SurfEngine, DrawImageClipsAtTheScreenEdges) {
    for (const TPixelFormat& format : {TPixelFormat::Bits32(), TPixelFormat::Bits16()}) {
        TSurfEngine engine = MakeEngine(format);
        AddFlat(engine, "sprite", 100, 100, 255, 0x1234);
        engine.DrawImage("sprite", "MemorySurface", 0, 0, std::nullopt, 255, 750, 550);
        const TSurface& screen = *engine.FindSurface("MemorySurface");
        int drawn = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (PixelAt(screen, x, y) != 0) {
                    ++drawn;
                    EXPECT_TRUE(x >= 750 && y >= 550);
                }
        EXPECT_EQ(drawn, 50 * 50);
        EXPECT_EQ(screen.Surface->Pixels.size(), size_t(screen.Surface->Pitch) * 600);

        // At (-30, 0) source columns 30..99 land on x = 0..69.
        TSurface* sprite = engine.FindSurface("sprite");
        for (int x = 0; x < 100; ++x)
            SetPixel(*sprite, x, 0, uint32_t(x + 1));
        engine.FillSurface("MemorySurface", 0);
        engine.DrawImage("sprite", "MemorySurface", 0, 0, std::nullopt, 255, -30, 0);
        EXPECT_EQ(PixelAt(screen, 0, 0), 31u);
        EXPECT_EQ(PixelAt(screen, 69, 0), 100u);
        EXPECT_EQ(PixelAt(screen, 70, 0), 0u);

        // A source rectangle past the picture or the screen never reaches outside either.
        engine.FillSurface("MemorySurface", 0);
        engine.DrawImage("sprite", "MemorySurface", 0, 0, TRect{-5, 90, 140, 130}, 255, 790, 595);
        EXPECT_EQ(PixelAt(screen, 799, 599), 0x1234u);
    }
}

TEST(SurfEngine, OpaqueTransparentAndFaintPixelsAtBothDepths) {
    // Alpha 255 at opacity 255 without tint copies the pixel bit for bit.
    for (const TPixelFormat& format : {TPixelFormat::Bits32(), TPixelFormat::Bits16()}) {
        TSurfEngine engine = MakeEngine(format);
        const uint32_t value = format.BitCount == 32 ? 0xAB123456u : 0xF00Fu;
        AddFlat(engine, "full", 2, 1, 255, value);
        engine.FillSurface("MemorySurface", 0xFF);
        engine.DrawImage("full", "MemorySurface", 0, 0, std::nullopt, 255, 10, 10);
        EXPECT_EQ(PixelAt(*engine.FindSurface("MemorySurface"), 10, 10), value);
        EXPECT_EQ(PixelAt(*engine.FindSurface("MemorySurface"), 12, 10),
                  format.BitCount == 32 ? 0xFFFFFFFFu : 0xFFFFu);

        // Alpha 1 (a = 0): 32 bits lower each byte 255 to 254 and keep the fourth; 16 bits
        // leave the pixel alone.
        AddFlat(engine, "faint", 1, 1, 1, 0);
        engine.DrawImage("faint", "MemorySurface", 0, 0, std::nullopt, 255, 5, 5);
        EXPECT_EQ(PixelAt(*engine.FindSurface("MemorySurface"), 5, 5),
                  format.BitCount == 32 ? 0xFFFEFEFEu : 0xFFFFu);

        // Alpha 0 draws nothing, whatever the opacity and tint.
        AddFlat(engine, "clear", 1, 1, 0, 0);
        engine.DrawImage("clear", "MemorySurface", 200, 0x0000FF, std::nullopt, 255, 6, 6);
        EXPECT_EQ(PixelAt(*engine.FindSurface("MemorySurface"), 6, 6),
                  format.BitCount == 32 ? 0xFFFFFFFFu : 0xFFFFu);
    }
}

TEST(SurfEngine, TintAndOpacityFormulas) {
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    AddFlat(engine, "p", 1, 1, 200, 0x00C86410); // red 0xC8, green 0x64, blue 0x10
    engine.FillSurface("MemorySurface", 0x40);
    // Tint weight 180 with colour (red 0x20, green 0x80, blue 0xF0), opacity 128.
    engine.DrawImage("p", "MemorySurface", 180, 0xF08020, std::nullopt, 128, 0, 0);
    const int a = (200 * 128) >> 8;
    const auto expect = [&](int s, int c) {
        const int tinted = c + (((s - c) * 180) >> 8);
        return uint32_t((a * tinted + (255 - a) * 0x40) >> 8);
    };
    const uint32_t pixel = PixelAt(*engine.FindSurface("MemorySurface"), 0, 0);
    EXPECT_EQ(pixel & 0xFF, expect(0x10, 0xF0));
    EXPECT_EQ((pixel >> 8) & 0xFF, expect(0x64, 0x80));
    EXPECT_EQ((pixel >> 16) & 0xFF, expect(0xC8, 0x20));
    EXPECT_EQ(pixel >> 24, 0x40u);

    // At 16 bits the channels are worked on in place, and tint weight 255 keeps the source.
    TSurfEngine e16 = MakeEngine(TPixelFormat::Bits16());
    AddFlat(e16, "p", 1, 1, 255, 0xF81F);
    e16.DrawImage("p", "MemorySurface", 255, 0x00FF00, std::nullopt, 128, 0, 0);
    const int a16 = (255 * 128) >> 8;
    const uint32_t expected = ((((a16 * 0xF800) >> 8) & 0xF800) + (((a16 * 0x1F) >> 8) & 0x1F));
    EXPECT_EQ(PixelAt(*e16.FindSurface("MemorySurface"), 0, 0), expected);
    // Tint weight 1 with pure green: green packs into bits 5-10 and masks apply.
    e16.FillSurface("MemorySurface", 0);
    e16.DrawImage("p", "MemorySurface", 1, 0x00FF00, std::nullopt, 255, 1, 0);
    const int a1 = (255 * 255) >> 8;
    const int red = (0 + (((0xF800 - 0) * 1) >> 8)) & 0xF800;
    const int green = (0x7E0 + (((0 - 0x7E0) * 1) >> 8)) & 0x7E0;
    const int blue = (0 + (((0x1F - 0) * 1) >> 8)) & 0x1F;
    EXPECT_EQ(PixelAt(*e16.FindSurface("MemorySurface"), 1, 0),
              uint32_t((((a1 * red) >> 8) & 0xF800) + (((a1 * green) >> 8) & 0x7E0) +
                       (((a1 * blue) >> 8) & 0x1F)));
}

TEST(SurfEngine, BlendRectDarkensDifferentlyAtEachDepth) {
    TSurfEngine e32 = MakeEngine(TPixelFormat::Bits32());
    e32.FillSurface("MemorySurface", 200);
    e32.BlendRect("MemorySurface", {-10, -10, 1, 0}, 64, 0);
    const TSurface& s32 = *e32.FindSurface("MemorySurface");
    EXPECT_EQ(PixelAt(s32, 0, 0), 0xC8000000u | (((191 * 200) >> 8) * 0x010101u));
    EXPECT_EQ(PixelAt(s32, 2, 0), 0xC8C8C8C8u);
    EXPECT_EQ(PixelAt(s32, 0, 1), 0xC8C8C8C8u);
    e32.BlendRect("MemorySurface", {790, 590, 900, 900}, 100, 0x0000FF);
    EXPECT_EQ(PixelAt(s32, 799, 599) & 0xFF, uint32_t((0x00 * 100 + 155 * 200) >> 8));
    EXPECT_EQ((PixelAt(s32, 799, 599) >> 16) & 0xFF, uint32_t((0xFF * 100 + 155 * 200) >> 8));

    TSurfEngine e16 = MakeEngine(TPixelFormat::Bits16());
    e16.FillSurface("MemorySurface", 0xFF);
    e16.BlendRect("MemorySurface", {0, 0, 0, 0}, 64, 0x123456);
    EXPECT_EQ(PixelAt(*e16.FindSurface("MemorySurface"), 0, 0),
              uint32_t((((64 * 0xF800) >> 8) & 0xF800) + (((64 * 0x7E0) >> 8) & 0x7E0) +
                       (((64 * 0x1F) >> 8) & 0x1F)));
}

TEST(SurfEngine, CopyOpaqueDrawsNothingThatDoesNotFit) {
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    TSurface opaque = test::RandomSurface(engine, "o", 10, 10, false, 3);
    engine.AddSurface(opaque);
    const TSurface& screen = *engine.FindSurface("MemorySurface");
    engine.CopyOpaque("o", "MemorySurface", std::nullopt, 795, 0);
    engine.CopyOpaque("o", "MemorySurface", std::nullopt, -1, 0);
    engine.CopyOpaque("o", "MemorySurface", TRect{5, 5, 10, 6}, 0, 0);
    EXPECT_EQ(screen.Surface->Pixels, std::vector<uint8_t>(screen.Surface->Pixels.size(), 0));
    // An opaque picture given to DrawImage is copied: no tint, no opacity.
    engine.DrawImage("o", "MemorySurface", 1, 0xFF, TRect{2, 3, 4, 3}, 10, 790, 599);
    EXPECT_EQ(PixelAt(screen, 790, 599), PixelAt(opaque, 2, 3));
    EXPECT_EQ(PixelAt(screen, 792, 599), PixelAt(opaque, 4, 3));
    EXPECT_EQ(PixelAt(screen, 793, 599), 0u);
}

TEST(SurfEngine, SurfaceListOperations) {
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    ASSERT_TRUE(engine.CreateBlankSurface("twin", 2, 2));
    ASSERT_TRUE(engine.CreateBlankSurface("twin", 3, 3));
    EXPECT_FALSE(engine.CreateBlankSurface("bad", 0, 3));
    engine.DeleteSurface("twin");
    ASSERT_EQ(engine.IndexOfSurface("twin"), 1);
    EXPECT_EQ(engine.FindSurface("twin")->Width, 3);
    engine.DeleteSurface("nothing");
    EXPECT_EQ(engine.Surfaces.size(), 2u);
    engine.FillSurface("twin", 0xAB);
    EXPECT_EQ(PixelAt(*engine.FindSurface("twin"), 2, 2), 0xABABABABu);
    engine.AddAlphaPlane("twin", 7);
    EXPECT_EQ(engine.FindSurface("twin")->Alpha, std::vector<uint8_t>(9, 7));
    // Names that are not pictures change nothing.
    engine.DrawImage("none", "twin", 0, 0, std::nullopt, 255, 0, 0);
    engine.DrawImage("twin", "none", 0, 0, std::nullopt, 255, 0, 0);
    engine.BlendRect("none", {0, 0, 5, 5}, 1, 1);

    // Look-ups stay right when the list changes under names already looked up: a picture
    // removed, by hand or not and with others added after it, moves a second picture of a
    // name where the first was, a picture is renamed by hand, and a caller's buffer holds
    // another name.
    TSurfEngine list;
    list.Initialise(TPixelFormat::Bits32());
    for (const int width : {1, 2, 3, 4})
        ASSERT_TRUE(list.CreateBlankSurface(width == 1 ? "a" : width == 4 ? "c" : "b", width, 1));
    std::string name = "b";
    EXPECT_EQ(list.FindSurface(name)->Width, 2);
    list.DeleteSurface("a");
    ASSERT_TRUE(list.CreateBlankSurface("a", 1, 1));
    EXPECT_EQ(list.FindSurface(name)->Width, 2);
    list.Surfaces.insert(list.Surfaces.begin(), list.Surfaces.back());
    EXPECT_EQ(list.FindSurface(name)->Width, 2);
    list.Surfaces.erase(list.Surfaces.begin());
    EXPECT_EQ(list.FindSurface(name)->Width, 2);
    list.DeleteSurface(name);
    EXPECT_EQ(list.FindSurface(name)->Width, 3);
    list.FindSurface(name)->Name = "renamed";
    EXPECT_EQ(list.FindSurface(name), nullptr);
    name = "c";
    EXPECT_EQ(list.FindSurface(name)->Width, 4);

    // A display format that is neither 16 nor 32 bits changes no pixels when blending.
    TSurfEngine odd;
    odd.Initialise({24, 0xFF0000, 0xFF00, 0xFF});
    ASSERT_TRUE(odd.CreateBlankSurface("MemorySurface", 800, 600));
    odd.BlendRect("MemorySurface", {0, 0, 10, 10}, 255, 0xFFFFFF);
    EXPECT_EQ(PixelAt(*odd.FindSurface("MemorySurface"), 0, 0), 0u);
}

TEST(SurfEngine, DrawGlyphsClipsRowsOnly) {
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    AddFlat(engine, "font", 20, 20, 255, 0xFFFFFF);
    const std::vector<TGlyphItem> items = {
        {0, 0, 4, 9, 10, -3, 0x0000FF, 255},  // rows 3..9 of the glyph at y 0..6
        {5, 0, 9, 9, 20, 595, 0x00FF00, 128}, // rows 0..4 only
        {0, 0, 0, 0, 30, 30, 0xFF0000, 255},  // not drawn: count is 2
    };
    engine.DrawGlyphs("font", "MemorySurface", 2, items.data());
    const TSurface& screen = *engine.FindSurface("MemorySurface");
    const int a = (255 * 255) >> 8;
    const uint32_t red = uint32_t((a * (0xFF + (((0xFF - 0xFF) * 1) >> 8))) >> 8);
    const uint32_t low = uint32_t((a * (0 + ((0xFF * 1) >> 8))) >> 8);
    EXPECT_EQ(PixelAt(screen, 10, 0), (red << 16) | (low << 8) | low);
    EXPECT_EQ(PixelAt(screen, 14, 6), (red << 16) | (low << 8) | low);
    EXPECT_EQ(PixelAt(screen, 10, 7), 0u);
    EXPECT_NE(PixelAt(screen, 20, 599), 0u);
    EXPECT_EQ(PixelAt(screen, 30, 30), 0u);
    // A glyph list running off the right edge does not write past the row.
    const TGlyphItem wide{0, 0, 19, 0, 795, 0, 0xFFFFFF, 255};
    engine.DrawGlyphs("font", "MemorySurface", 1, &wide);
    EXPECT_EQ(PixelAt(screen, 0, 1), 0u);
}

TEST(SurfEngine, ReloadSurfacesRebuildsInOrder) {
    TempDir dir;
    auto folder1 = TFileFolder::CreateNew(dir.File("1.zxc"));
    auto folder2 = TFileFolder::CreateNew(dir.File("2.zxc"));
    folder1->AddFile("a.png", 2, test::WritePNG(1, 1, 3, {1, 2, 3}));
    folder2->AddFile("a.png", 2, test::WritePNG(1, 1, 3, {9, 9, 9}));
    folder2->AddFile("b.jpg", 2, EncodeJPEG(TRGBImage::Blank(2, 2), 90));
    folder2->AddFile("font.png", 2, test::WritePNG(1, 1, 4, {5, 5, 5, 5}));
    TSurfEngine engine = MakeEngine(TPixelFormat::Bits32());
    engine.LoadPNGFromFolder(*folder1, "a.png", "a.png");
    engine.LoadJPEGFromFolder(*folder2, "b.jpg", "b.jpg");
    engine.LoadPNGFromFolder(*folder2, "font.png", "font.png");
    ASSERT_TRUE(engine.CreateBlankSurface("Background", 800, 600));
    engine.ReleaseSurfaces();
    engine.Initialise(TPixelFormat::Bits16());
    std::vector<int32_t> progress;
    engine.OnProgress = [&](int32_t percent) { progress.push_back(percent); };
    engine.ReloadSurfaces(folder1.get(), folder2.get(), " font.png\t", 800, 600);
    std::vector<std::string> names;
    for (const TSurface& surface : engine.Surfaces) {
        names.push_back(surface.Name);
        ASSERT_TRUE(surface.Surface) << surface.Name;
        EXPECT_EQ(surface.Surface->BytesPerPixel, 2);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MemorySurface", "a.png", "b.jpg", "Background",
                                               "font.png"}));
    EXPECT_EQ(engine.FindSurface("font.png")->Alpha, std::vector<uint8_t>{5});
    EXPECT_EQ(engine.FindSurface("MemorySurface")->Width, 800);
    EXPECT_EQ(progress, (std::vector<int32_t>{0, 25, 50, 75}));
    // Folder 1 is asked first.
    EXPECT_EQ(PixelAt(*engine.FindSurface("a.png"), 0, 0), (1u << 11) | (1u << 6) | 1u);
}

} // namespace
} // namespace qz
