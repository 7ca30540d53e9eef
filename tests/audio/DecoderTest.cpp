#include "audio/TestSounds.h"
#include "platform/audio/OggSample.h"
#include "platform/audio/OpenMptModule.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace qz {
namespace {

float Peak(const std::vector<float>& stereo, size_t fromFrame, size_t toFrame) {
    float peak = 0;
    for (size_t i = 2 * fromFrame; i < 2 * toFrame && i < stereo.size(); ++i) {
        peak = std::max(peak, std::fabs(stereo[i]));
    }
    return peak;
}

std::vector<float> Render(TOpenMptModule& module, size_t frames) {
    std::vector<float> out(2 * frames);
    EXPECT_EQ(module.Render(AudioFrequency, out.data(), frames), frames);
    return out;
}

TEST(OggSample, DecodesToStereoAtTheOutputRate) {
    const std::string mono = test::MakeOgg(1, 44100, 4410);
    auto stereo = DecodeOgg(mono.data(), mono.size(), 44100);
    ASSERT_TRUE(stereo.has_value());
    ASSERT_EQ(stereo->size(), 2u * 4410);
    // Both sides carry the tone.
    EXPECT_NEAR(Peak(*stereo, 1000, 3000), 0.5f, 0.05f);
    for (size_t i = 1000; i < 3000; ++i) {
        EXPECT_FLOAT_EQ((*stereo)[2 * i], (*stereo)[2 * i + 1]);
    }

    const std::string half = test::MakeOgg(2, 22050, 2205);
    auto doubled = DecodeOgg(half.data(), half.size(), 44100);
    ASSERT_TRUE(doubled.has_value());
    EXPECT_EQ(doubled->size(), 2u * 4410);
    EXPECT_NEAR(Peak(*doubled, 1000, 3000), 0.5f, 0.05f);

    const std::string junk = "OggS but not really a vorbis stream at all";
    EXPECT_FALSE(DecodeOgg(junk.data(), junk.size(), 44100).has_value());
    EXPECT_FALSE(DecodeOgg(mono.data(), mono.size() / 10, 44100).has_value());
    EXPECT_FALSE(DecodeOgg(nullptr, 0, 44100).has_value());
}

TEST(OpenMptModule, StartsAtTheOrderAskedForAndLoops) {
    const std::string xm = test::MakeXm();
    auto module = TOpenMptModule::Create(xm.data(), xm.size());
    ASSERT_NE(module, nullptr);
    const size_t pattern = test::XmPatternFrames;

    // From order 0: the key-off pattern first, then the tone, then round again.
    module->SetOrder(0);
    EXPECT_EQ(module->CurrentOrder(), 0);
    std::vector<float> fromStart = Render(*module, 4 * pattern);
    EXPECT_EQ(Peak(fromStart, 0, pattern - 500), 0.0f);
    EXPECT_GT(Peak(fromStart, pattern + 500, 2 * pattern - 500), 0.1f);
    EXPECT_LT(Peak(fromStart, 2 * pattern + 1000, 3 * pattern - 500), 0.01f);
    EXPECT_GT(Peak(fromStart, 3 * pattern + 500, 4 * pattern - 500), 0.1f);

    // From order 1 the tone sounds at once.
    module->SetOrder(1);
    EXPECT_EQ(module->CurrentOrder(), 1);
    std::vector<float> fromOne = Render(*module, pattern / 2);
    EXPECT_GT(Peak(fromOne, 0, 1000), 0.1f);

    const std::string junk(3000, 'x');
    EXPECT_EQ(TOpenMptModule::Create(junk.data(), junk.size()), nullptr);
    EXPECT_EQ(TOpenMptModule::Create(nullptr, 0), nullptr);
}

} // namespace
} // namespace qz
