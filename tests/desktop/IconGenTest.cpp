#include "tools/icongen/IconGen.h"

#include "TempDir.h"
#include "archive/Error.h"
#include "archive/MemoryStream.h"
#include "gfx/JpegPNG.h"
#include "tools/artgen/Canvas.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

TRGBImage Draw(int size) {
    art::TCanvas canvas(size, size);
    icon::DrawIcon(*canvas, size);
    return canvas.Image(true);
}

uint8_t AlphaAt(const TRGBImage& image, int x, int y) {
    return image.Alpha[size_t(y) * image.Width + x];
}

TEST(IconGen, ClusterFillsTheSquareOnATransparentBackground) {
    for (const int size : {48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const TRGBImage image = Draw(size);
        ASSERT_TRUE(image.HasAlpha());
        int left = size, right = -1, top = size, bottom = -1;
        size_t solid = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const uint8_t a = AlphaAt(image, x, y);
                if (x == 0 || y == 0 || x == size - 1 || y == size - 1) {
                    EXPECT_EQ(a, 0) << "the edge is painted at " << x << "," << y;
                }
                if (a > 0) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
                solid += a > 128;
            }
        }
        // Uses the square like the other icons of a theme, with a margin and real holes.
        EXPECT_GE(right - left + 1, size * 8 / 10);
        EXPECT_GE(bottom - top + 1, size * 8 / 10);
        const double cover = double(solid) / (size * size);
        EXPECT_GT(cover, 0.35);
        EXPECT_LT(cover, 0.75);
        // The tall crystal in the middle is solid blue.
        const int cx = size / 2, cy = size * 140 / 256;
        EXPECT_EQ(AlphaAt(image, cx, cy), 255);
        const uint8_t* p = image.Pixel(cx, cy);
        EXPECT_GT(p[2], p[0] + 60);
    }
}

TEST(IconGen, EveryColourOfTheClusterSurvivesAt48Pixels) {
    const TRGBImage image = Draw(48);
    int blue = 0, green = 0, violet = 0, amber = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            if (AlphaAt(image, x, y) < 255) {
                continue;
            }
            const int r = image.Pixel(x, y)[0], g = image.Pixel(x, y)[1], b = image.Pixel(x, y)[2];
            blue += b > r + 80 && b > g + 30;
            green += g > r + 60 && g > b + 30;
            violet += r > g + 60 && b > g + 60;
            amber += r > b + 80 && g > b + 50;
        }
    }
    // A few pixels each: every crystal shows as its own patch, not a muddy blend.
    EXPECT_GE(blue, 40);
    EXPECT_GE(green, 12);
    EXPECT_GE(violet, 12);
    EXPECT_GE(amber, 4);
}

TEST(IconGen, WritesTheIconThemeLayout) {
    test::TempDir dir;
    icon::WriteIcons(dir.File("icons"), "org.example.Game", {48, 256});
    for (const int size : {48, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        TMemoryStream bytes;
        bytes.LoadFromFile(
            (dir.Path() / "icons" / name / "apps" / "org.example.Game.png").string());
        const TRGBImage image = DecodePNG(bytes.View());
        EXPECT_EQ(image.Width, size);
        EXPECT_EQ(image.Height, size);
        EXPECT_TRUE(image.HasAlpha());
        EXPECT_EQ(image, Draw(size));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "icons"), {}), 2);

    // A file where a size folder must go.
    std::ofstream(dir.Path() / "blocked") << "x";
    EXPECT_THROW(icon::WriteIcons(dir.File("blocked"), "org.example.Game", {48}), IOError);
}

} // namespace
} // namespace qz
