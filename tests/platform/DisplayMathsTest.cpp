#include "platform/HeadlessDisplay.h"
#include "platform/Letterbox.h"
#include "platform/PixelConvert.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace qz;

TEST(Letterbox, ViewportKeepsTheAspect) {
    EXPECT_EQ(LetterboxViewport(800, 600), (TViewport{0, 0, 800, 600}));
    EXPECT_EQ(LetterboxViewport(1600, 1200), (TViewport{0, 0, 1600, 1200}));
    // A wide monitor: bars left and right.
    EXPECT_EQ(LetterboxViewport(1920, 1080), (TViewport{240, 0, 1440, 1080}));
    // A tall window: bars above and below.
    EXPECT_EQ(LetterboxViewport(800, 1000), (TViewport{0, 200, 800, 600}));
    // 1366 x 768: 768 * 4 / 3 = 1024.
    EXPECT_EQ(LetterboxViewport(1366, 768), (TViewport{171, 0, 1024, 768}));
    // Odd sizes round the scaled side and never leave the output.
    const TViewport odd = LetterboxViewport(1001, 1);
    EXPECT_EQ(odd.H, 1);
    EXPECT_GE(odd.W, 1);
    EXPECT_LE(odd.X + odd.W, 1001);
    EXPECT_EQ(LetterboxViewport(0, 0), (TViewport{0, 0, 1, 1}));
}

TEST(Letterbox, PointerMapsIntoThePictureAndBarsAreOutside) {
    const TViewport v = LetterboxViewport(1920, 1080); // 1.8 times, x from 240
    TPointerHit hit = MapToPicture(v, 240, 0);
    EXPECT_TRUE(hit.Inside);
    EXPECT_EQ(hit.Point, (TPoint{0, 0}));
    hit = MapToPicture(v, 240 + 1439, 1079);
    EXPECT_TRUE(hit.Inside);
    EXPECT_EQ(hit.Point, (TPoint{799, 599}));
    hit = MapToPicture(v, 960, 540); // the centre
    EXPECT_EQ(hit.Point, (TPoint{400, 300}));

    // Left bar: outside, clamped to the left edge.
    hit = MapToPicture(v, 239, 500);
    EXPECT_FALSE(hit.Inside);
    EXPECT_EQ(hit.Point, (TPoint{0, 277}));
    hit = MapToPicture(v, 0, 0);
    EXPECT_FALSE(hit.Inside);
    EXPECT_EQ(hit.Point, (TPoint{0, 0}));
    // Right bar.
    hit = MapToPicture(v, 240 + 1440, 1079);
    EXPECT_FALSE(hit.Inside);
    EXPECT_EQ(hit.Point, (TPoint{799, 599}));
    // Far outside the window (a drag that left it).
    hit = MapToPicture(v, -5000, 99999);
    EXPECT_FALSE(hit.Inside);
    EXPECT_EQ(hit.Point, (TPoint{0, 599}));

    // At 1:1 the mapping is the identity.
    const TViewport same = LetterboxViewport(800, 600);
    for (const TPoint p : {TPoint{0, 0}, TPoint{300, 300}, TPoint{799, 599}}) {
        EXPECT_EQ(MapToPicture(same, p.X, p.Y).Point, p);
    }
}

TEST(PixelConvert, Rgb565WidensToFullRange) {
    EXPECT_EQ(Rgb565ToXrgb(0x0000), 0x000000u);
    EXPECT_EQ(Rgb565ToXrgb(0xFFFF), 0xFFFFFFu);
    EXPECT_EQ(Rgb565ToXrgb(0xF800), 0xFF0000u);
    EXPECT_EQ(Rgb565ToXrgb(0x07E0), 0x00FF00u);
    EXPECT_EQ(Rgb565ToXrgb(0x001F), 0x0000FFu);
    // r5 = 16, g6 = 32, b5 = 1: 16 << 3 | 16 >> 2 = 132; 32 << 2 | 32 >> 4 = 130; 8.
    EXPECT_EQ(Rgb565ToXrgb((16 << 11) | (32 << 5) | 1), (132u << 16) | (130u << 8) | 8u);
}

TEST(PixelConvert, RowsHonourBothPitchesAtBothDepths) {
    // 3 x 2 pixels with padded rows at 16 bits.
    const int srcPitch = 8;
    std::vector<uint8_t> src(srcPitch * 2, 0xEE);
    const uint16_t pixels[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410};
    for (int y = 0; y < 2; ++y) {
        std::memcpy(src.data() + y * srcPitch, pixels + 3 * y, 6);
    }
    const int dstPitch = 16;
    std::vector<uint32_t> dst(dstPitch / 4 * 2, 0xDEADBEEF);
    ConvertToXrgb(src.data(), srcPitch, 16, dst.data(), dstPitch, 3, 2);
    EXPECT_EQ(dst[0], 0xFF0000u);
    EXPECT_EQ(dst[1], 0x00FF00u);
    EXPECT_EQ(dst[2], 0x0000FFu);
    EXPECT_EQ(dst[3], 0xDEADBEEFu); // padding of the destination untouched
    EXPECT_EQ(dst[4], 0xFFFFFFu);
    EXPECT_EQ(dst[5], 0x000000u);
    EXPECT_EQ(dst[6], Rgb565ToXrgb(0x8410));

    // 32 bits: B, G, R, unused byte in memory is 0x00RRGGBB read as a number.
    const uint8_t bgrx[8] = {0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x00};
    uint32_t out[2] = {};
    ConvertToXrgb(bgrx, 8, 32, out, 8, 2, 1);
    EXPECT_EQ(out[0], 0x332211u);
    EXPECT_EQ(out[1], 0x665544u);
}

TEST(HeadlessDisplay, KeepsTheLastPictureAndCountsPresents) {
    TDisplayOptions options;
    options.FullScreen = true;
    THeadlessDisplay display(options);
    EXPECT_TRUE(display.FullScreen());
    EXPECT_TRUE(display.Frame().empty());
    std::vector<uint16_t> picture(PictureWidth * PictureHeight, 0x07E0);
    picture[PictureWidth * 599 + 799] = 0xF800;
    display.Present(picture.data(), PictureWidth * 2, 16);
    ASSERT_EQ(display.Frame().size(), size_t{PictureWidth} * PictureHeight);
    EXPECT_EQ(display.Frame()[0], 0x00FF00u);
    EXPECT_EQ(display.Frame().back(), 0xFF0000u);
    EXPECT_EQ(display.PresentCount(), 1u);
    display.SetSystemCursorVisible(false);
    EXPECT_FALSE(display.SystemCursorVisible());
}
