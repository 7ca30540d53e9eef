#include "gfx/Compositor.h"

#include "GfxTestSupport.h"
#include "gfx/SurfEngine.h"

#include <gtest/gtest.h>
#include <random>

namespace qz {
namespace {

// The vector paths this processor runs; each must give the bytes of the scalar formulas.
std::vector<TCompositorPath> VectorPaths() {
    std::vector<TCompositorPath> paths;
    for (const TCompositorPath path : {TCompositorPath::SSE2, TCompositorPath::AVX2})
        if (CompositorPathSupported(path))
            paths.push_back(path);
    return paths;
}

const char* PathName(TCompositorPath path) {
    return path == TCompositorPath::AVX2 ? "AVX2" : "SSE2";
}

// Two engines with the same pictures, one blending with the scalar formulas and one with a
// vector path; every operation must leave both with the same bytes.
struct TEnginePair {
    TSurfEngine Scalar;
    TSurfEngine Fast;

    TEnginePair(const TPixelFormat& format, TCompositorPath path) {
        Scalar.Initialise(format);
        Fast.Initialise(format);
        Scalar.Path = TCompositorPath::Scalar;
        Fast.Path = path;
    }
    void Add(const TSurface& surface) {
        Scalar.AddSurface(surface);
        TSurface copy = surface;
        copy.Surface = std::make_shared<TPixelSurface>(*surface.Surface);
        Fast.AddSurface(copy);
    }
    void ExpectSame(const std::string& name, const std::string& what) {
        ASSERT_EQ(Scalar.FindSurface(name)->Surface->Pixels,
                  Fast.FindSurface(name)->Surface->Pixels)
            << what;
    }
};

// Alpha in runs, as sprites have: long stretches of 0 or 255 with soft edges between.
void MakeSpriteAlpha(TSurface& surface, std::mt19937& random) {
    size_t i = 0;
    while (i < surface.Alpha.size()) {
        const size_t run = 1 + random() % 40;
        const int kind = int(random() % 3);
        for (size_t k = 0; k < run && i < surface.Alpha.size(); ++k, ++i)
            surface.Alpha[i] = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(random());
    }
}

TEST(Compositor, PathsAreChosenByWhatTheProcessorRuns) {
    EXPECT_TRUE(CompositorPathSupported(TCompositorPath::Scalar));
    EXPECT_TRUE(CompositorPathSupported(BestCompositorPath()));
    EXPECT_EQ(&CompositorFor(TCompositorPath::Scalar), &ScalarCompositor());
#if defined(__x86_64__)
    // Every x86-64 processor has SSE2, so the scalar kernels are never the fastest there.
    EXPECT_NE(BestCompositorPath(), TCompositorPath::Scalar);
    EXPECT_EQ(&CompositorFor(TCompositorPath::SSE2), &SSE2Compositor());
    EXPECT_EQ(&CompositorFor(TCompositorPath::AVX2), CompositorPathSupported(TCompositorPath::AVX2)
                                                         ? &AVX2Compositor()
                                                         : &SSE2Compositor());
#endif
}

class CompositorPaths : public ::testing::TestWithParam<TCompositorPath> {};

TEST_P(CompositorPaths, FastPathsEqualTheFormulas) {
    std::mt19937 random(20240601);
    for (const TPixelFormat& format : {TPixelFormat::Bits32(), TPixelFormat::Bits16()}) {
        TEnginePair pair(format, GetParam());
        TSurface screen = test::RandomSurface(pair.Scalar, "MemorySurface", 800, 600, false, 11);
        pair.Add(screen);
        for (int n = 0; n < 6; ++n) {
            const int w = 1 + int(random() % 140);
            const int h = 1 + int(random() % 90);
            TSurface picture = test::RandomSurface(pair.Scalar, "p" + std::to_string(n), w, h, true,
                                                   uint32_t(random()));
            if (n % 2 == 0)
                MakeSpriteAlpha(picture, random);
            pair.Add(picture);
        }
        const int opacities[] = {255, 128, 1, 0, 254};
        const int weights[] = {0, 1, 255, 180, 128};
        for (int round = 0; round < 400; ++round) {
            const std::string name = "p" + std::to_string(random() % 6);
            const TSurface& picture = *pair.Scalar.FindSurface(name);
            const uint8_t opacity = uint8_t(round < 25 ? opacities[round % 5] : random());
            const uint8_t weight = uint8_t(round < 25          ? weights[round / 5]
                                           : random() % 3 == 0 ? 0
                                                               : random());
            const uint32_t colour = random() & 0xFFFFFF;
            // Positions inside, across every edge and beyond them.
            const int x = int(random() % 1000) - 150;
            const int y = int(random() % 800) - 120;
            std::optional<TRect> rect;
            if (random() % 2) {
                const int left = int(random() % picture.Width) - 3;
                const int top = int(random() % picture.Height) - 3;
                rect = TRect{left, top, left + int(random() % (picture.Width + 4)),
                             top + int(random() % (picture.Height + 4))};
            }
            pair.Scalar.DrawImage(name, "MemorySurface", weight, colour, rect, opacity, x, y);
            pair.Fast.DrawImage(name, "MemorySurface", weight, colour, rect, opacity, x, y);
            pair.ExpectSame("MemorySurface", "DrawImage round " + std::to_string(round) +
                                                 " depth " + std::to_string(format.BitCount));
        }
        for (int round = 0; round < 100; ++round) {
            const int left = int(random() % 900) - 50;
            const int top = int(random() % 700) - 50;
            const TRect rect{left, top, left + int(random() % 300), top + int(random() % 200)};
            const uint8_t opacity = uint8_t(random());
            const uint32_t colour = random() & 0xFFFFFF;
            pair.Scalar.BlendRect("MemorySurface", rect, opacity, colour);
            pair.Fast.BlendRect("MemorySurface", rect, opacity, colour);
            pair.ExpectSame("MemorySurface", "BlendRect round " + std::to_string(round));
        }
        std::vector<TGlyphItem> glyphs;
        for (int i = 0; i < 300; ++i) {
            TGlyphItem item;
            item.Left = int(random() % 120);
            item.Top = int(random() % 80);
            item.Right = item.Left + int(random() % 20);
            item.Bottom = item.Top + int(random() % 20);
            item.X = int(random() % 780);
            item.Y = int(random() % 640) - 20;
            item.Colour = random() & 0xFFFFFF;
            item.Opacity = uint8_t(random());
            glyphs.push_back(item);
        }
        pair.Scalar.DrawGlyphs("p0", "MemorySurface", int32_t(glyphs.size()), glyphs.data());
        pair.Fast.DrawGlyphs("p0", "MemorySurface", int32_t(glyphs.size()), glyphs.data());
        pair.ExpectSame("MemorySurface", "DrawGlyphs");
    }
}

// Every row length from 1 to 72 and every alpha pattern class through the kernels directly,
// so the short rows, the overlapping last steps, the all-0 / all-255 shortcuts of single
// steps and of runs of steps, and runs that mix them, are each exercised.
TEST_P(CompositorPaths, RowKernelsAgreeOnEveryLength) {
    const TCompositor& scalar = ScalarCompositor();
    const TCompositor& fast = CompositorFor(GetParam());
    std::mt19937 random(7);
    for (int count = 1; count <= 72; ++count)
        for (int pattern = 0; pattern < 5; ++pattern)
            for (const int o : {255, 200, 3})
                for (const int w : {0, 1, 255, 77}) {
                    std::vector<uint8_t> alpha(static_cast<size_t>(count));
                    for (uint8_t& t : alpha)
                        t = pattern == 0   ? 0
                            : pattern == 1 ? 255
                            : pattern == 2 ? uint8_t(random() % 2 * 255)
                                           : uint8_t(random());
                    // Clear and opaque runs of 8 to 40 pixels between soft ones, as sprites
                    // have.
                    for (size_t i = 0; pattern == 4 && i < alpha.size();) {
                        const size_t run = 8 + random() % 33;
                        const int kind = int(random() % 3);
                        for (size_t k = 0; k < run && i < alpha.size(); ++k, ++i)
                            alpha[i] = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(random());
                    }
                    TDrawParams params;
                    params.Opacity = uint8_t(o);
                    params.TintWeight = uint8_t(w);
                    params.Colour = random() & 0xFFFFFF;
                    params.Packed = random() & 0xFFFF;
                    const std::vector<uint8_t> src = test::RandomBytes(size_t(count) * 4, random());
                    std::vector<uint8_t> a = test::RandomBytes(size_t(count) * 4, random());
                    std::vector<uint8_t> b = a;
                    scalar.DrawRow32(a.data(), src.data(), alpha.data(), count, params);
                    fast.DrawRow32(b.data(), src.data(), alpha.data(), count, params);
                    ASSERT_EQ(a, b) << "32 bits, count " << count;
                    std::vector<uint16_t> src16(static_cast<size_t>(count)),
                        a16(static_cast<size_t>(count));
                    for (int i = 0; i < count; ++i) {
                        src16[size_t(i)] = uint16_t(random());
                        a16[size_t(i)] = uint16_t(random());
                    }
                    std::vector<uint16_t> b16 = a16;
                    scalar.DrawRow16(a16.data(), src16.data(), alpha.data(), count, params);
                    fast.DrawRow16(b16.data(), src16.data(), alpha.data(), count, params);
                    ASSERT_EQ(a16, b16) << "16 bits, count " << count;
                    scalar.BlendRectRow32(a.data(), count, uint8_t(o), params.Colour);
                    fast.BlendRectRow32(b.data(), count, uint8_t(o), params.Colour);
                    ASSERT_EQ(a, b);
                    scalar.BlendRectRow16(a16.data(), count, uint8_t(o), params);
                    fast.BlendRectRow16(b16.data(), count, uint8_t(o), params);
                    ASSERT_EQ(a16, b16);
                }
}

INSTANTIATE_TEST_SUITE_P(Compositor, CompositorPaths, ::testing::ValuesIn(VectorPaths()),
                         [](const ::testing::TestParamInfo<TCompositorPath>& info) {
                             return std::string(PathName(info.param));
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CompositorPaths);

} // namespace
} // namespace qz
