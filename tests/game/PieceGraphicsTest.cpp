#include "game/PieceGraphics.h"

#include "TempDir.h"
#include "archive/FileFolder.h"
#include "game/Definitions.h"
#include "gfx/ImageOps.h"
#include "gfx/JpegPNG.h"
#include "gfx/SurfEngine.h"

#include <cmath>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

// A picture of one colour, fully opaque.
TMemoryStream Solid(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
    TRGBImage image = TRGBImage::Blank(width, height, 255);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = image.Pixel(x, y);
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
    }
    return EncodePNG(image);
}

TFishkaShape Shape(const std::string& name, int32_t sx, int32_t sy) {
    TFishkaShape shape;
    shape.Name = name;
    shape.NextRotateName = name;
    shape.Sx = sx;
    shape.Sy = sy;
    return shape;
}

// The colour of a picture's pixel as the surface engine holds it at 32 bits.
std::array<int, 3> PixelOf(TSurfEngine& engine, const std::string& name, int32_t x, int32_t y) {
    const TSurface* surface = engine.FindSurface(name);
    EXPECT_NE(surface, nullptr) << name;
    if (surface == nullptr) {
        return {};
    }
    const auto* row = reinterpret_cast<const uint32_t*>(surface->Surface->Row(y));
    const uint32_t v = row[x];
    return {int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)};
}

// The hue in degrees: a colour's hue offset h turns the red base to -1.5 h degrees.
double HueDegrees(const std::array<int, 3>& rgb) {
    return RGBToHLS(rgb[0], rgb[1], rgb[2]).H * 1.5;
}

double HueDistance(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

struct Archives {
    Archives(const std::vector<TFishkaShape>& shapes, const std::vector<TFishkaColor>& colours) {
        defs.FishkaShapes = shapes;
        defs.FishkaColors = colours;
        GenerateFishkaTypes(defs);
        auto levelsFolder = TFileFolder::CreateNew(LevelsFile);
        for (const TFishkaShape& shape : shapes) {
            levelsFolder->AddFile(shape.Name + "_glass.png", 2, Solid(60, 40, 210, 40, 40));
        }
        for (const TFishkaColor& colour : colours) {
            if (levelsFolder->IndexOf(colour.Sign) < 0) {
                levelsFolder->AddFile(colour.Sign, 2, Solid(4, 3, 255, 255, 255));
            }
        }
        levelsFolder->Save();
        auto gameFolder = TFileFolder::CreateNew(GameFile);
        gameFolder->AddFile("colorbomb_small_line.png", 2, Solid(48, 24, 200, 30, 30));
        gameFolder->AddFile("boomcolorstar.png", 2, Solid(16, 16, 230, 60, 60));
        gameFolder->Save();
        levels = TFileFolder::Open(LevelsFile);
        game = TFileFolder::Open(GameFile);
        levels->LoadAll();
        game->LoadAll();
        engine.Initialise(TPixelFormat::Bits32());
    }
    TempDir Dir;
    std::string LevelsFile = Dir.File("levels.zxc");
    std::string GameFile = Dir.File("game.zxc");
    TDefinitions defs;
    std::unique_ptr<TFileFolder> levels;
    std::unique_ptr<TFileFolder> game;
    TSurfEngine engine;
};

TEST(PieceGraphics, CrystalTakesTheColoursHueAndTheSignSitsOnItsPoint) {
    Archives a({Shape("Tri", 20, 12), Shape("Edge", 10, 5)},
               {{"glass", 160, 0, 0, "s0.png"}, {"glass", 93, 0, 0, "s1.png"}});
    EXPECT_EQ(PrepareCrystalPictures(a.defs, *a.levels, a.engine), 4);
    ASSERT_EQ(a.defs.FishkaTypes[1].Image, "Tri_1.pNg");
    EXPECT_GE(a.levels->IndexOf("Edge_0.pNg"), 0);

    // Hue offset 160 is green (120 degrees), 93 is blue (220.5 degrees).
    const double expected[] = {120, 220.5};
    for (int k = 0; k < 2; ++k) {
        const std::string name = "Tri_" + std::to_string(k) + ".pNg";
        const std::array<int, 3> body = PixelOf(a.engine, name, 40, 30);
        EXPECT_LT(HueDistance(HueDegrees(body), expected[k]), 4.0)
            << name << " " << body[0] << "," << body[1] << "," << body[2];
        // The sign's top-left corner is 15 left of and 10 above (Sx, Sy), untinted.
        EXPECT_EQ(PixelOf(a.engine, name, 5, 2), (std::array<int, 3>{255, 255, 255})) << name;
        EXPECT_EQ(PixelOf(a.engine, name, 8, 4), (std::array<int, 3>{255, 255, 255})) << name;
        EXPECT_NE(PixelOf(a.engine, name, 4, 2), (std::array<int, 3>{255, 255, 255})) << name;
        EXPECT_NE(PixelOf(a.engine, name, 9, 2), (std::array<int, 3>{255, 255, 255})) << name;
        EXPECT_NE(PixelOf(a.engine, name, 5, 5), (std::array<int, 3>{255, 255, 255})) << name;
    }
    // Sx 10 and Sy 5 would put the sign at (-5, -5): it is held at the picture's corner.
    EXPECT_EQ(PixelOf(a.engine, "Edge_0.pNg", 0, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(PixelOf(a.engine, "Edge_0.pNg", 3, 2), (std::array<int, 3>{255, 255, 255}));
    EXPECT_NE(PixelOf(a.engine, "Edge_0.pNg", 4, 0), (std::array<int, 3>{255, 255, 255}));
}

TEST(PieceGraphics, ScriptsAreTheGamesOwnLines) {
    const TFishkaShape shape = Shape("PairB", 27, 35);
    const TFishkaColor colour{"ember", 220, 6, -3, "sign1.png"};
    EXPECT_EQ(CrystalScript(shape, colour, "PairB_1"),
              "<AutoImage name=\"PairB_1\" autosize=\"true\">\r\n"
              "<AddImage name=\"PairB_ember.png\" left=\"0\" top=\"0\" />\r\n"
              "<ImageHueChange hue=\"220\" saturation=\"-3\" lightness=\"6\"/>\r\n"
              "<AddImage name=\"sign1.png\" left=\"12\" top=\"25\" />\r\n"
              "</AutoImage>\r\n");
    EXPECT_EQ(BonusScript(ColorBombName(1), "colorbomb_small_line.png", colour),
              "<AutoImage name=\"ColorBomb1\" autosize=\"true\">\r\n"
              "<AddImage name=\"colorbomb_small_line.png\" left=\"0\" top=\"0\" />\r\n"
              "<ImageHueChange hue=\"220\" saturation=\"-3\" lightness=\"6\"/>\r\n"
              "</AutoImage>\r\n");
}

TEST(PieceGraphics, ComposesOnceSavesAndRaisesTheBarEightTimesAtMost) {
    std::vector<TFishkaShape> shapes;
    for (int s = 0; s < 6; ++s) {
        shapes.push_back(Shape("S" + std::to_string(s), 20, 12));
    }
    const std::vector<TFishkaColor> colours{{"glass", 160, 0, 0, "s0.png"},
                                            {"glass", 0, 0, 0, "s1.png"}};
    Archives a(shapes, colours);
    std::vector<int32_t> bar;
    const TPieceGraphicsResult first = PreparePieceGraphics(
        a.defs, *a.levels, *a.game, a.engine, [&bar](int32_t p) { bar.push_back(p); });
    EXPECT_EQ(first.Crystals, 12);
    EXPECT_EQ(first.Bonuses, 4);
    EXPECT_EQ(bar, (std::vector<int32_t>{40, 50, 70, 80, 100}));
    ASSERT_NE(a.engine.FindSurface("ColorBomb0"), nullptr);
    ASSERT_NE(a.engine.FindSurface("boomcolorstar1"), nullptr);
    EXPECT_LT(HueDistance(HueDegrees(PixelOf(a.engine, "ColorBomb0", 3, 3)), 120), 4.0);
    // Colour offsets of 0 leave the bonus picture as drawn.
    EXPECT_EQ(PixelOf(a.engine, "boomcolorstar1", 3, 3), (std::array<int, 3>{230, 60, 60}));

    // The next start finds every picture in the saved archives and writes nothing.
    const auto levelsTime = std::filesystem::last_write_time(a.LevelsFile);
    const auto levelsSize = std::filesystem::file_size(a.LevelsFile);
    auto levels = TFileFolder::Open(a.LevelsFile);
    auto game = TFileFolder::Open(a.GameFile);
    levels->LoadAll();
    game->LoadAll();
    EXPECT_GE(levels->IndexOf("S5_1.pNg"), 0);
    EXPECT_GE(game->IndexOf("boomcolorstar1.pNg"), 0);
    TDefinitions again;
    again.FishkaShapes = shapes;
    again.FishkaColors = colours;
    GenerateFishkaTypes(again);
    TSurfEngine engine;
    engine.Initialise(TPixelFormat::Bits32());
    const TPieceGraphicsResult second = PreparePieceGraphics(again, *levels, *game, engine);
    EXPECT_EQ(second.Crystals, 0);
    EXPECT_EQ(second.Bonuses, 0);
    EXPECT_EQ(std::filesystem::last_write_time(a.LevelsFile), levelsTime);
    EXPECT_EQ(std::filesystem::file_size(a.LevelsFile), levelsSize);
    EXPECT_NE(engine.FindSurface("S3_0.pNg"), nullptr);
    EXPECT_EQ(again.FishkaTypes[7].Image, "S3_1.pNg");
}

TEST(PieceGraphics, AMissingMaterialPictureRaisesTheCompositionError) {
    Archives a({Shape("Tri", 20, 12)}, {{"opal", 0, 0, 0, "s0.png"}});
    EXPECT_THROW(PrepareCrystalPictures(a.defs, *a.levels, a.engine), std::exception);
}

} // namespace
} // namespace qz::test
