// The compositor's hot loops side by side with pixman's OVER composites of the same sizes, the
// scalar formulas and memcpy of the same bytes, on the same 800 x 600 pictures; prints ratios.
// Every case runs a few times and the ratios use the least processor time of each, which
// stays steady when other work shares the machine.
#include "gfx/SurfEngine.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <functional>
#include <map>
#include <pixman.h>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qz;

constexpr int Width = 800;
constexpr int Height = 600;

enum class TAlphaKind { Sprite, Partial };

std::vector<uint8_t> MakeAlpha(TAlphaKind kind) {
    std::mt19937 random(42);
    std::vector<uint8_t> alpha(size_t(Width) * Height);
    if (kind == TAlphaKind::Partial) {
        for (uint8_t& a : alpha)
            a = uint8_t(1 + random() % 254);
        return alpha;
    }
    // Sprites: opaque shapes on a clear ground with a soft edge of a few pixels.
    size_t i = 0;
    while (i < alpha.size()) {
        const size_t run = 8 + random() % 64;
        const int type = int(random() % 2);
        for (size_t k = 0; k < run && i < alpha.size(); ++k)
            alpha[i++] = type ? 255 : 0;
        for (int k = 0; k < 3 && i < alpha.size(); ++k)
            alpha[i++] = uint8_t(random());
    }
    return alpha;
}

struct TScene {
    TSurfEngine Engine;
    std::vector<uint8_t> Alpha[2];
    std::vector<TGlyphItem> Glyphs;

    TScene(const TPixelFormat& format, TCompositorPath path) {
        Engine.Initialise(format);
        Engine.Path = path;
        Engine.CreateBlankSurface("MemorySurface", Width, Height);
        Engine.FillSurface("MemorySurface", 0x55);
        for (int k = 0; k < 2; ++k) {
            Alpha[k] = MakeAlpha(TAlphaKind(k));
            TSurface picture;
            picture.Name = k == 0 ? "sprite" : "partial";
            picture.Width = Width;
            picture.Height = Height;
            picture.Surface = Engine.CreateSurface(Width, Height);
            std::mt19937 random(k);
            for (uint8_t& b : picture.Surface->Pixels)
                b = uint8_t(random());
            picture.Alpha = Alpha[k];
            picture.AlphaPitch = Width;
            Engine.AddSurface(picture);
        }
        Engine.CreateBlankSurface("opaque", Width, Height);
        // A screen full of 10 x 14 glyphs taken from the partial picture.
        for (int y = 0; y + 14 <= Height; y += 15)
            for (int x = 0; x + 10 <= Width; x += 10)
                Glyphs.push_back(
                    {x % 400, y % 300, x % 400 + 9, y % 300 + 13, x, y, 0x30C0F0, 255});
    }
};

TScene& Scene(int depth, TCompositorPath path) {
    static std::map<std::pair<int, int>, std::unique_ptr<TScene>> scenes;
    auto& scene = scenes[{depth, int(path)}];
    if (!scene)
        scene = std::make_unique<TScene>(
            depth == 32 ? TPixelFormat::Bits32() : TPixelFormat::Bits16(), path);
    return *scene;
}

void SetPixels(benchmark::State& state, int64_t pixels) {
    state.counters["Mpix/s"] = benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void DrawImageCase(benchmark::State& state, int depth, TCompositorPath path, TAlphaKind kind,
                   uint8_t opacity, uint8_t tint) {
    TScene& scene = Scene(depth, path);
    const char* name = kind == TAlphaKind::Sprite ? "sprite" : "partial";
    for (auto _ : state) {
        scene.Engine.DrawImage(name, "MemorySurface", tint, 0x2060A0, std::nullopt, opacity, 0, 0);
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(Width) * Height);
}

void BlendRectCase(benchmark::State& state, int depth, TCompositorPath path) {
    TScene& scene = Scene(depth, path);
    for (auto _ : state) {
        scene.Engine.BlendRect("MemorySurface", {0, 0, Width - 1, Height - 1}, 100, 0x102030);
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(Width) * Height);
}

void GlyphsCase(benchmark::State& state, int depth, TCompositorPath path) {
    TScene& scene = Scene(depth, path);
    for (auto _ : state) {
        scene.Engine.DrawGlyphs("partial", "MemorySurface", int32_t(scene.Glyphs.size()),
                                scene.Glyphs.data());
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(scene.Glyphs.size()) * 140);
}

void CopyOpaqueCase(benchmark::State& state, int depth) {
    TScene& scene = Scene(depth, BestCompositorPath());
    for (auto _ : state) {
        scene.Engine.CopyOpaque("opaque", "MemorySurface", std::nullopt, 0, 0);
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(Width) * Height);
}

void MemcpyCase(benchmark::State& state, int depth) {
    const size_t bytes = size_t(Width) * Height * size_t(depth / 8);
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(Width) * Height);
}

// pixman: OVER of an x8r8g8b8 picture through an a8 mask (or a constant mask) onto x8r8g8b8.
struct TPixmanScene {
    std::vector<uint32_t> Source, Dest;
    std::vector<uint8_t> Mask[2];
    pixman_image_t* SourceImage;
    pixman_image_t* DestImage;
    pixman_image_t* MaskImage[2];
    pixman_image_t* Solid128;

    TPixmanScene() : Source(size_t(Width) * Height), Dest(size_t(Width) * Height, 0x55555555) {
        std::mt19937 random(3);
        for (uint32_t& p : Source)
            p = random();
        for (int k = 0; k < 2; ++k)
            Mask[k] = MakeAlpha(TAlphaKind(k));
        SourceImage =
            pixman_image_create_bits(PIXMAN_x8r8g8b8, Width, Height, Source.data(), Width * 4);
        DestImage =
            pixman_image_create_bits(PIXMAN_x8r8g8b8, Width, Height, Dest.data(), Width * 4);
        for (int k = 0; k < 2; ++k)
            MaskImage[k] = pixman_image_create_bits(
                PIXMAN_a8, Width, Height, reinterpret_cast<uint32_t*>(Mask[k].data()), Width);
        const pixman_color_t grey{0x8080, 0x8080, 0x8080, 0x8080};
        Solid128 = pixman_image_create_solid_fill(&grey);
    }
};

TPixmanScene& Pixman() {
    static TPixmanScene scene;
    return scene;
}

void PixmanOver(benchmark::State& state, TAlphaKind kind, bool constantMask) {
    TPixmanScene& scene = Pixman();
    pixman_image_t* mask = constantMask ? scene.Solid128 : scene.MaskImage[int(kind)];
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, scene.SourceImage, mask, scene.DestImage, 0, 0, 0,
                                 0, 0, 0, Width, Height);
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(Width) * Height);
}

void PixmanGlyphs(benchmark::State& state) {
    TPixmanScene& scene = Pixman();
    const TScene& glyphs = Scene(32, BestCompositorPath());
    for (auto _ : state) {
        for (const TGlyphItem& g : glyphs.Glyphs)
            pixman_image_composite32(PIXMAN_OP_OVER, scene.SourceImage, scene.MaskImage[1],
                                     scene.DestImage, g.Left, g.Top, g.Left, g.Top, g.X, g.Y, 10,
                                     14);
        benchmark::ClobberMemory();
    }
    SetPixels(state, int64_t(glyphs.Glyphs.size()) * 140);
}

// Collects the least processor time per iteration of every case so that the ratios can be
// printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                Times[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

void Add(const std::string& name, std::function<void(benchmark::State&)> run) {
    benchmark::RegisterBenchmark(name.c_str(), std::move(run))
        ->Repetitions(3)
        ->MinTime(0.15)
        ->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ReportAggregatesOnly(true);
}

// The kernels each case is measured with: the fastest, SSE2 when it is not the fastest, and
// the scalar formulas.
std::vector<std::pair<TCompositorPath, std::string>> MeasuredPaths() {
    std::vector<std::pair<TCompositorPath, std::string>> paths{{BestCompositorPath(), "/fast"}};
    if (BestCompositorPath() != TCompositorPath::SSE2 &&
        CompositorPathSupported(TCompositorPath::SSE2))
        paths.emplace_back(TCompositorPath::SSE2, "/sse2");
    paths.emplace_back(TCompositorPath::Scalar, "/scalar");
    return paths;
}

void Register() {
    for (const int depth : {32, 16}) {
        const std::string d = std::to_string(depth);
        for (const auto kind : {TAlphaKind::Sprite, TAlphaKind::Partial}) {
            const std::string k = kind == TAlphaKind::Sprite ? "Sprite" : "Partial";
            struct TCase {
                const char* Name;
                uint8_t Opacity;
                uint8_t Tint;
            };
            for (const TCase c : {TCase{"O255", 255, 0}, TCase{"O128", 128, 0},
                                  TCase{"O255Tint", 255, 128}, TCase{"O128Tint", 128, 128}}) {
                for (const auto& [path, p] : MeasuredPaths())
                    Add("DrawImage/" + d + "/" + k + "/" + c.Name + p,
                        [=, path = path](benchmark::State& s) {
                            DrawImageCase(s, depth, path, kind, c.Opacity, c.Tint);
                        });
            }
        }
        for (const auto& [path, p] : MeasuredPaths()) {
            Add("BlendRect/" + d + p,
                [=, path = path](benchmark::State& s) { BlendRectCase(s, depth, path); });
            Add("DrawGlyphs/" + d + p,
                [=, path = path](benchmark::State& s) { GlyphsCase(s, depth, path); });
        }
        Add("CopyOpaque/" + d, [=](benchmark::State& s) { CopyOpaqueCase(s, depth); });
        Add("memcpy/" + d, [=](benchmark::State& s) { MemcpyCase(s, depth); });
    }
    Add("pixman/Sprite", [](benchmark::State& s) { PixmanOver(s, TAlphaKind::Sprite, false); });
    Add("pixman/Partial", [](benchmark::State& s) { PixmanOver(s, TAlphaKind::Partial, false); });
    Add("pixman/Constant128",
        [](benchmark::State& s) { PixmanOver(s, TAlphaKind::Partial, true); });
    Add("pixman/Glyphs", PixmanGlyphs);
}

void PrintRatios(const std::map<std::string, double>& t) {
    const auto ratio = [&](const std::string& ours, const std::string& theirs) {
        const auto a = t.find(ours);
        const auto b = t.find(theirs);
        if (a == t.end() || b == t.end())
            return;
        // Above 1.0 means ours is faster.
        std::printf("%-34s vs %-20s %6.2fx\n", ours.c_str(), theirs.c_str(), b->second / a->second);
    };
    std::printf("\nRatios (speed of ours / speed of reference; >= 1.0 is at least as fast; least "
                "processor time of each case)\n");
    for (const std::string d : {"32", "16"}) {
        for (const std::string k : {"Sprite", "Partial"})
            for (const std::string c : {"O255", "O128", "O255Tint", "O128Tint"}) {
                const std::string name = "DrawImage/" + d + "/" + k + "/" + c;
                const bool constant = c.rfind("O128", 0) == 0;
                for (const std::string p : {"/fast", "/sse2"})
                    ratio(name + p, constant ? "pixman/Constant128" : "pixman/" + k);
                ratio(name + "/fast", name + "/scalar");
            }
        for (const std::string p : {"/fast", "/sse2"})
            ratio("DrawGlyphs/" + d + p, "pixman/Glyphs");
        ratio("DrawGlyphs/" + d + "/fast", "DrawGlyphs/" + d + "/scalar");
        ratio("BlendRect/" + d + "/fast", "BlendRect/" + d + "/scalar");
        ratio("BlendRect/" + d + "/sse2", "BlendRect/" + d + "/scalar");
        const auto copy = t.find("CopyOpaque/" + d);
        const auto mem = t.find("memcpy/" + d);
        if (copy != t.end() && mem != t.end())
            std::printf("%-34s is %.2fx the time of memcpy (target <= 1.5)\n", copy->first.c_str(),
                        copy->second / mem->second);
    }
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter.Times);
    benchmark::Shutdown();
    return 0;
}
