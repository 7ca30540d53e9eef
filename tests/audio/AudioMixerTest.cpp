#include "platform/audio/AudioMixer.h"

#include <gtest/gtest.h>
#include <vector>

namespace qz {
namespace {

// A module that renders a constant level and ends after a given number of frames.
class TConstantModule final : public TModuleSource {
public:
    TConstantModule(float level, size_t length, int* order)
        : level_(level), left_(length), order_(order) {}
    void SetOrder(int order) override { *order_ = order; }
    size_t Render(int, float* stereo, size_t frames) override {
        const size_t count = std::min(frames, left_);
        std::fill(stereo, stereo + 2 * count, level_);
        left_ -= count;
        return count;
    }

private:
    float level_;
    size_t left_;
    int* order_;
};

std::vector<float> Constant(float level, size_t frames) {
    return std::vector<float>(2 * frames, level);
}

std::vector<float> Pull(TAudioMixer& mixer, size_t frames) {
    std::vector<float> out(2 * frames, 123.0f);
    mixer.Mix(out.data(), frames);
    return out;
}

TEST(AudioMixer, SampleAndMusicVolumesMultiply) {
    TAudioMixer mixer;
    const TAudioHandle sample = mixer.AddSample(Constant(0.8f, 100), AudioMaxPlaybacks);
    int order = -1;
    const TAudioHandle module =
        mixer.AddModule(std::make_unique<TConstantModule>(0.4f, 1000000, &order));
    ASSERT_NE(sample, 0u);
    ASSERT_NE(module, sample);
    EXPECT_EQ(Pull(mixer, 4), std::vector<float>(8, 0.0f));

    mixer.SetVolumes(50, 25);
    ASSERT_TRUE(mixer.PlaySample(sample, 50));
    std::vector<float> out = Pull(mixer, 4);
    EXPECT_FLOAT_EQ(out[0], 0.8f * 0.5f * 0.25f);
    EXPECT_FLOAT_EQ(out[7], 0.8f * 0.5f * 0.25f);

    ASSERT_TRUE(mixer.PlayModule(module, 3));
    EXPECT_EQ(order, 3);
    EXPECT_TRUE(mixer.ModulePlaying(module));
    out = Pull(mixer, 4);
    EXPECT_FLOAT_EQ(out[1], 0.1f + 0.4f * 0.5f);

    // Volumes change while playing; out-of-range values are held to 0-100.
    mixer.SetVolumes(0, 200);
    out = Pull(mixer, 4);
    EXPECT_FLOAT_EQ(out[2], 0.8f * 0.5f);
    mixer.SetVolumes(100, 100);
    ASSERT_TRUE(mixer.PlaySample(sample, 100));
    out = Pull(mixer, 4);
    EXPECT_FLOAT_EQ(out[0], 1.0f); // 0.4 + 0.8 + 0.4 clipped

    EXPECT_FALSE(mixer.PlaySample(0, 100));
    EXPECT_FALSE(mixer.PlayModule(sample, 0));
    EXPECT_FALSE(mixer.PlaySample(module, 100));
}

TEST(AudioMixer, SixthPlaybackReplacesTheLongestPlaying) {
    TAudioMixer mixer;
    const TAudioHandle sample = mixer.AddSample(Constant(0.01f, 1000), AudioMaxPlaybacks);
    for (int i = 0; i < 5; ++i) {
        mixer.PlaySample(sample, 100);
        Pull(mixer, 10);
    }
    EXPECT_EQ(mixer.PlaybackPositions(sample), (std::vector<size_t>{50, 40, 30, 20, 10}));
    EXPECT_FLOAT_EQ(Pull(mixer, 1)[0], 0.05f);

    mixer.PlaySample(sample, 100);
    EXPECT_EQ(mixer.PlaybackPositions(sample), (std::vector<size_t>{41, 31, 21, 11, 0}));
    EXPECT_FLOAT_EQ(Pull(mixer, 1)[0], 0.05f);

    // A playback ends at the end of the sample; the others go on.
    Pull(mixer, 1000 - 42);
    EXPECT_EQ(mixer.PlaybackPositions(sample), (std::vector<size_t>{990, 980, 970, 959}));
    mixer.StopSample(sample);
    EXPECT_TRUE(mixer.PlaybackPositions(sample).empty());
    EXPECT_EQ(Pull(mixer, 2), std::vector<float>(4, 0.0f));
}

TEST(AudioMixer, PauseHoldsEverythingWhereItIs) {
    TAudioMixer mixer;
    const TAudioHandle sample = mixer.AddSample(Constant(0.25f, 100), AudioMaxPlaybacks);
    int order = -1;
    const TAudioHandle module =
        mixer.AddModule(std::make_unique<TConstantModule>(0.125f, 30, &order));
    mixer.PlaySample(sample, 100);
    mixer.PlayModule(module, 0);
    Pull(mixer, 20);

    mixer.SetPaused(true);
    EXPECT_TRUE(mixer.Paused());
    EXPECT_EQ(Pull(mixer, 50), std::vector<float>(100, 0.0f));
    EXPECT_EQ(mixer.PlaybackPositions(sample), (std::vector<size_t>{20}));
    EXPECT_TRUE(mixer.ModulePlaying(module));
    // A playback started while paused sounds from the resume on.
    mixer.PlaySample(sample, 100);

    mixer.SetPaused(false);
    EXPECT_FALSE(mixer.Paused());
    std::vector<float> out = Pull(mixer, 20);
    EXPECT_FLOAT_EQ(out[0], 0.625f);
    // The module had 10 frames left: it ends there and stops.
    EXPECT_FLOAT_EQ(out[2 * 9 + 1], 0.625f);
    EXPECT_FLOAT_EQ(out[2 * 10], 0.5f);
    EXPECT_FALSE(mixer.ModulePlaying(module));
    EXPECT_EQ(mixer.PlaybackPositions(sample), (std::vector<size_t>{40, 20}));
}

TEST(AudioMixer, StopAllAndFree) {
    TAudioMixer mixer;
    const TAudioHandle sample = mixer.AddSample(Constant(0.5f, 100), 2);
    int order = -1;
    const TAudioHandle module =
        mixer.AddModule(std::make_unique<TConstantModule>(0.25f, 1000, &order));
    EXPECT_EQ(mixer.AddModule(nullptr), 0u);
    for (int i = 0; i < 3; ++i) {
        mixer.PlaySample(sample, 100);
    }
    EXPECT_EQ(mixer.PlaybackPositions(sample).size(), 2u);
    mixer.PlayModule(module, 0);
    mixer.StopAll();
    EXPECT_FALSE(mixer.ModulePlaying(module));
    EXPECT_EQ(Pull(mixer, 3), std::vector<float>(6, 0.0f));

    mixer.PlaySample(sample, 100);
    mixer.PlayModule(module, 0);
    mixer.FreeSample(sample);
    mixer.FreeModule(module);
    mixer.FreeModule(module);
    EXPECT_FALSE(mixer.PlaySample(sample, 100));
    EXPECT_FALSE(mixer.PlayModule(module, 0));
    EXPECT_EQ(Pull(mixer, 3), std::vector<float>(6, 0.0f));
}

} // namespace
} // namespace qz
