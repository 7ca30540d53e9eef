#include "gfx/PNGMorf.h"

#include "GfxTestSupport.h"
#include "TempDir.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "gfx/ImageOps.h"
#include "gfx/JpegPNG.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qz {
namespace {

using test::TempDir;

// A w x h RGBA picture whose red is x * 10, green y * 10, blue 7 and alpha 255 except where
// (x + y) is a multiple of 3 (alpha 90).
TMemoryStream Gradient(int w, int h) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            rgba.insert(rgba.end(),
                        {uint8_t(x * 10), uint8_t(y * 10), 7, uint8_t((x + y) % 3 ? 255 : 90)});
    return test::WritePNG(w, h, 4, rgba);
}

TRGBImage RunScriptOn(TFileFolder& folder, const std::string& script) {
    TPNGMorf morf(80);
    const std::string entry = morf.RunScript(TMemoryStream(script), folder);
    return DecodePNG(folder.Entry(folder.IndexOf(entry)).View());
}

TEST(PNGMorf, AutosizeTakesTheSourceRectangle) {
    TempDir dir;
    auto folder = TFileFolder::CreateNew(dir.File("a.zxc"));
    folder->AddFile("g.png", 2, Gradient(40, 30));
    const TRGBImage result =
        RunScriptOn(*folder, "<AutoImage name=\"out\" autosize=\"TRUE\">\r\n"
                             "<AddImage name=\"G.PNG\" left=\"5\" srcrect=\"10 0 19 9\"/>\r\n"
                             "</AutoImage>\r\n");
    ASSERT_EQ(result.Width, 10);
    ASSERT_EQ(result.Height, 10);
    EXPECT_EQ(result.Pixel(0, 0)[0], 100);
    EXPECT_EQ(result.Pixel(9, 9)[1], 90);
    ASSERT_TRUE(result.HasAlpha());
    // Coverage on an empty canvas: 255 - ((255 * (255 - q)) >> 8).
    EXPECT_EQ(result.Alpha[0], 255 - ((255 * (255 - 255)) >> 8));
    EXPECT_EQ(result.Alpha[2], 255 - ((255 * (255 - 90)) >> 8)); // (12, 0): 12 % 3 == 0
    EXPECT_EQ(folder->Dir.back().Name(), "out.pNg");
    EXPECT_EQ(folder->Dir.back().Kind, 2);
    EXPECT_THROW(
        RunScriptOn(*folder,
                    "<AutoImage name=\"out\" autosize=\"true\">\n<AddImage name=\"g.png\"/>\n"),
        Error)
        << "a generated name that exists already is the archive's duplicate error";
}

TEST(PNGMorf, TintWithWeightOnePaintsTheShape) {
    TempDir dir;
    auto folder = TFileFolder::CreateNew(dir.File("a.zxc"));
    folder->AddFile("g.png", 2, Gradient(6, 6));
    const TRGBImage result = RunScriptOn(
        *folder,
        "<AutoImage name=\"red\" width=\"8\" height=\"8\">\n"
        "<AddImage name=\"g.png\" left=\"1\" top=\"2\" colorvalue=\"1\" color=\"255 0 0\"/>\n");
    ASSERT_EQ(result.Width, 8);
    for (int y = 2; y < 8; ++y)
        for (int x = 1; x < 7; ++x) {
            const uint8_t* p = result.Pixel(x, y);
            EXPECT_GE(p[0], 254);
            EXPECT_EQ(p[1], 0);
            EXPECT_EQ(p[2], 0);
        }
    EXPECT_EQ(result.Alpha[0], 0);
    EXPECT_EQ(result.Alpha[size_t(2) * 8 + 1], 255 - ((255 * (255 - 90)) >> 8));
    try {
        RunScriptOn(
            *folder,
            "<AutoImage name=\"x\" width=\"2\" height=\"2\">\n<AddImage name=\"nope.png\"/>\n");
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "File nope.png does not exist in File Folder!");
    }
    EXPECT_THROW(RunScriptOn(*folder, "<AutoImage name=\"y\" width=\"2x\" height=\"2\">\n"), Error);
}

TEST(PNGMorf, HueChangeArithmetic) {
    TRGBImage grey = TRGBImage::Blank(2, 1);
    grey.Pixels = {128, 128, 128, 255, 0, 0};
    TRGBImage same = grey;
    ImageHueChange(same, 0, 0, 0);
    EXPECT_EQ(same, grey) << "a change with all offsets 0 is no change";
    // The formulas themselves do not give grey 128 back.
    const THLS hls = RGBToHLS(128, 128, 128);
    EXPECT_EQ(hls.L, 121);
    EXPECT_EQ(HLSToRGB(hls.H, hls.L, hls.S)[0], 129);
    // Bytes are taken as blue, green, red: a hue offset of 80 turns true red into blue.
    TRGBImage red = grey;
    ImageHueChange(red, 80, 0, 0);
    EXPECT_EQ(red.Pixel(1, 0)[0], 0);
    EXPECT_EQ(red.Pixel(1, 0)[1], 0);
    EXPECT_EQ(red.Pixel(1, 0)[2], 255);
    EXPECT_EQ(red.Pixel(0, 0)[0], 129);
    const THLS green = RGBToHLS(0, 255, 0);
    EXPECT_EQ(green.H, 80);
    EXPECT_EQ(green.S, 240);
    EXPECT_EQ(green.L, 120);
}

TEST(PNGMorf, GeometryCommands) {
    TRGBImage square = TRGBImage::Blank(5, 5, 255);
    for (int x = 0; x < 5; ++x)
        square.Pixel(x, 0)[0] = uint8_t(10 + x);
    TRGBImage turned = square;
    RotateImage(turned, 2, 2, 90);
    for (int u = 0; u < 5; ++u)
        EXPECT_EQ(turned.Pixel(0, 4 - u)[0], 10 + u) << "the top row becomes the left column";
    RotateImage(turned = square, 0, 0, 45);
    EXPECT_EQ(turned.Alpha[20], 0) << "points outside the picture are transparent";

    TRGBImage two = TRGBImage::Blank(2, 1);
    two.Pixels = {0, 0, 0, 100, 100, 100};
    ScaleImage(two, 4, 2);
    EXPECT_EQ(two.Pixel(1, 0)[0], 50);
    EXPECT_EQ(two.Pixel(3, 1)[0], 100);
    TRGBImage flat = TRGBImage::Blank(9, 7, 200);
    std::fill(flat.Pixels.begin(), flat.Pixels.end(), 33);
    ScaleImage(flat, 4, 3);
    ASSERT_EQ(flat.Width, 4);
    EXPECT_EQ(flat.Pixels, std::vector<uint8_t>(36, 33));
    EXPECT_EQ(flat.Alpha, std::vector<uint8_t>(12, 200));

    TRGBImage flip = TRGBImage::Blank(3, 2, 0);
    flip.Pixel(0, 0)[1] = 5;
    flip.Alpha[0] = 9;
    FlipImageHorizontal(flip);
    EXPECT_EQ(flip.Pixel(2, 0)[1], 5);
    EXPECT_EQ(flip.Alpha[2], 9);
    FlipImageVertical(flip);
    EXPECT_EQ(flip.Pixel(2, 1)[1], 5);
    EXPECT_EQ(flip.Alpha[5], 9);
    CropImage(flip, 1, 1, 3, 1);
    ASSERT_EQ(flip.Width, 3);
    EXPECT_EQ(flip.Pixel(1, 0)[1], 5);
    EXPECT_EQ(flip.Alpha, (std::vector<uint8_t>{0, 9, 0}));
}

// The script's result equals running each command on the PNG made by the previous one.
TEST(PNGMorf, ScriptEqualsCommandByCommandThroughPNG) {
    TempDir dir;
    auto folder = TFileFolder::CreateNew(dir.File("a.zxc"));
    folder->AddFile("g.png", 2, Gradient(12, 9));
    folder->AddFile("h.png", 2, test::WritePNG(3, 3, 3, test::RandomBytes(27, 4)));
    const TRGBImage scripted = RunScriptOn(
        *folder,
        "<AutoImage name=\"s\" width=\"14\" height=\"11\">\n"
        "<AddImage name=\"g.png\" left=\"1\" top=\"1\" alfa=\"200\"/>\n"
        "<AddImage name=\"h.png\" left=\"4\" top=\"2\" colorvalue=\"90\" color=\"10 20 30\" "
        "alfa=\"140\"/>"
        "<FlipImageHorizontal/>\n<ImageHueChange hue=\"17\" saturation=\"-20\" lightness=\"5\"/>\n"
        "<RotateImage angle=\"30\"/>\n<ScaleImage width=\"9\"/>\n<FlipImageVertical/>\n"
        "<ScaleImage width=\"13\" height=\"12\"/>\n<CropImage left=\"2\" top=\"1\" width=\"8\"/>\n"
        "</AutoImage>\n");
    const auto through = [](const TRGBImage& image) { return DecodePNG(EncodePNG(image).View()); };
    TRGBImage canvas = TRGBImage::Blank(14, 11);
    const TRGBImage g = DecodePNG(folder->Entry(folder->IndexOf("g.png")).View());
    const TRGBImage h = DecodePNG(folder->Entry(folder->IndexOf("h.png")).View());
    AddImage(canvas, g, {0, 0, 11, 8}, 1, 1, 0, {255, 255, 255}, 200, true);
    canvas = through(canvas);
    AddImage(canvas, h, {0, 0, 2, 2}, 4, 2, 90, {10, 20, 30}, 140, false);
    canvas = through(canvas);
    FlipImageHorizontal(canvas = through(canvas));
    ImageHueChange(canvas = through(canvas), 17, -20, 5);
    RotateImage(canvas = through(canvas), 7, 5, 30);
    ScaleImage(canvas = through(canvas), 9, 11);
    FlipImageVertical(canvas = through(canvas));
    ScaleImage(canvas = through(canvas), 13, 12);
    CropImage(canvas = through(canvas), 2, 1, 8, 3); // height kept from the last source rectangle
    EXPECT_EQ(scripted, through(canvas));
}

TEST(PNGMorf, ConvertArchiveNamesAndKinds) {
    TempDir dir;
    const std::string source = dir.File("game.zxc");
    {
        auto folder = TFileFolder::CreateNew(source);
        TRGBImage colours = TRGBImage::Blank(4, 4);
        std::fill(colours.Pixels.begin(), colours.Pixels.end(), 200);
        folder->AddFile("a._PNG", 2, test::WritePNG(4, 4, 1, std::vector<uint8_t>(16, 77)));
        folder->AddFile("a._JPG", 2, EncodeJPEG(colours, 95));
        folder->AddFile("b.PNG", 2, Gradient(4, 4));
        folder->AddFile(
            "s._aim", 1,
            TMemoryStream(
                "<AutoImage name=\"made\" autosize=\"true\">\n<AddImage name=\"a.PNG\"/>\n"));
        folder->AddFile("t.aim", 1, TMemoryStream("kept aside"));
        folder->AddFile("c._jpg", 2, TMemoryStream("x"));
        folder->AddFile("p.pNg", 2, TMemoryStream("x"));
        folder->AddFile("data.xml", 5, TMemoryStream("<x/>"));
        folder->Save();
    }
    TPNGMorf morf(90);
    std::vector<int32_t> progress;
    morf.OnProgress = [&](const std::string& name, int32_t percent) {
        EXPECT_EQ(name, source);
        progress.push_back(percent);
    };
    const std::string dest = dir.File("temp/game.zxc");
    morf.Jobs = {"Source=\"" + source + "\" Dest=\"" + dest + "\""};
    morf.RunJobs();
    EXPECT_EQ(progress, (std::vector<int32_t>{0, 14, 29, 43, 57, 71, 86, 100}));
    auto result = TFileFolder::Open(dest);
    std::vector<std::pair<std::string, int>> entries;
    for (const TDirEntry& entry : result->Dir)
        entries.emplace_back(entry.Name(), entry.Kind);
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, int>>{{"a.PNG", 2},
                                                                 {"b._JPG", 2},
                                                                 {"b._PNG", 2},
                                                                 {"s.aim", 1},
                                                                 {"t._aim", 1},
                                                                 {"data.xml", 5},
                                                                 {"made.pNg", 2}}));
    const TRGBImage merged = DecodePNG(result->Entry(0).View());
    EXPECT_EQ(merged.Alpha, std::vector<uint8_t>(16, 77));
    EXPECT_NEAR(merged.Pixel(1, 1)[0], 200, 2);
    int32_t w = 0, h = 0;
    EXPECT_EQ(DecodeGreyPNG(result->Entry(2).View(), w, h)[0], 90);

    // A second run leaves the working copy alone.
    const auto stamp = std::filesystem::last_write_time(dest);
    std::filesystem::remove(source);
    TMemoryStream("not an archive").SaveToFile(source);
    morf.RunJobs();
    EXPECT_EQ(std::filesystem::last_write_time(dest), stamp);

    morf.Jobs = {"Source=\"" + dir.File("none.zxc") + "\" Dest=\"" + dir.File("x.zxc") + "\""};
    try {
        morf.RunJobs();
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Can not find file " + dir.File("none.zxc") + "!");
    }
}

TEST(PNGMorf, MissingPartnerEntry) {
    TempDir dir;
    {
        auto folder = TFileFolder::CreateNew(dir.File("s.zxc"));
        folder->AddFile("a._PnG", 2, test::WritePNG(1, 1, 1, {1}));
        folder->Save();
    }
    TPNGMorf morf(90);
    try {
        morf.ConvertArchive(dir.File("s.zxc"), dir.File("d.zxc"));
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "File a._jpg does not exist!");
    }
}

} // namespace
} // namespace qz
