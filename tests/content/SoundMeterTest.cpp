#include "tools/soundmeter/Loudness.h"
#include "tools/soundmeter/SoundTargets.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace qz {
namespace {

constexpr int32_t kRate = 44100;

// seconds of a sine of the given peak at 997 Hz on the chosen sides, after silence.
std::vector<float> Tone(double seconds, double peak, bool left, bool right, double silence = 0) {
    std::vector<float> stereo(2 * static_cast<size_t>(silence * kRate), 0.0f);
    const auto frames = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < frames; ++i) {
        const auto value =
            static_cast<float>(peak * std::sin(2 * std::numbers::pi * 997.0 * i / kRate));
        stereo.insert(stereo.end(), {left ? value : 0.0f, right ? value : 0.0f});
    }
    return stereo;
}

TEST(SoundMeter, LoudnessFollowsTheReferenceToneItsGatesAndItsWindow) {
    // A 997 Hz tone on both sides reads its own level in dBFS (-20 here), on one side 3 dB
    // less; the peak is the tone's.
    const std::vector<float> both = Tone(3, 0.1, true, true);
    EXPECT_NEAR(IntegratedLufs(both, kRate), -20.0, 0.1);
    EXPECT_NEAR(MaxMomentaryLufs(both, kRate), -20.0, 0.1);
    EXPECT_NEAR(IntegratedLufs(Tone(3, 0.1, true, false), kRate), -23.0, 0.1);
    EXPECT_NEAR(PeakDb(both), -20.0, 0.01);
    // The weighting: a 50 Hz rumble of the same level reads quieter than the tone.
    std::vector<float> rumble;
    for (size_t i = 0; i < 3 * static_cast<size_t>(kRate); ++i) {
        const auto value =
            static_cast<float>(0.1 * std::sin(2 * std::numbers::pi * 50.0 * i / kRate));
        rumble.insert(rumble.end(), {value, value});
    }
    EXPECT_LT(IntegratedLufs(rumble, kRate), -20.5);

    // Silence before the music is gated away; a quiet part 20 dB under the rest is too (the
    // blocks that straddle the change count, a few in a hundred).
    EXPECT_NEAR(IntegratedLufs(Tone(10, 0.1, true, true, 5), kRate), -20.0, 0.1);
    std::vector<float> quietThenLoud = Tone(5, 0.01, true, true);
    const std::vector<float> loud = Tone(10, 0.1, true, true);
    quietThenLoud.insert(quietThenLoud.end(), loud.begin(), loud.end());
    EXPECT_NEAR(IntegratedLufs(quietThenLoud, kRate), -20.0, 0.1);
    EXPECT_EQ(IntegratedLufs(std::vector<float>(2 * kRate, 0.0f), kRate), -200);

    // A sound of 100 ms counts its energy over 400 ms: a quarter, 6 dB under the long tone;
    // one of 400 ms or more reads like the tone.
    EXPECT_NEAR(MaxMomentaryLufs(Tone(0.1, 0.1, true, true), kRate), -26.0, 0.2);
    EXPECT_NEAR(MaxMomentaryLufs(Tone(0.5, 0.1, true, true, 0.2), kRate), -20.0, 0.1);
}

TEST(SoundMeter, TheCheckNamesEveryFigureThatMissesItsTarget) {
    const double tune = SampleLoudness - TuneDistance;
    std::vector<TSoundLevel> levels = {{"a.ogg", false, 0.2, -3.0, SampleLoudness + 0.5},
                                       {"b.ogg", false, 0.2, -3.0, SampleLoudness - 2.5},
                                       {"A.mo3", true, 80, -12.0, tune + 0.9},
                                       {"B.mo3", true, 80, -12.0, tune - 0.9}};
    EXPECT_EQ(CheckSoundLevels(levels), std::vector<std::string>{});
    levels[0].PeakDb = -0.2;
    levels[1].Lufs = SampleLoudness - 3.5;
    levels[2].Lufs = tune + 1.5;
    levels[3].Lufs = tune - 1.0;
    const std::vector<std::string> misses = CheckSoundLevels(levels);
    ASSERT_EQ(misses.size(), 3u);
    EXPECT_EQ(misses[0], "a.ogg peaks at -0.2 dBFS, above -0.5 dBFS");
    EXPECT_EQ(misses[1], "b.ogg is -21.5 LUFS, more than 3.0 dB from -18.0 LUFS");
    EXPECT_EQ(misses[2],
              "the tunes lie 2.5 dB apart (A.mo3 -22.5, B.mo3 -25.0 LUFS), more than 2.0 dB");
    levels = {{"A.mo3", true, 80, -12.0, tune - 1.4}, {"B.mo3", true, 80, -12.0, tune - 1.2}};
    EXPECT_EQ(CheckSoundLevels(levels),
              std::vector<std::string>{"the tunes average -25.3 LUFS, more than 1.0 dB from "
                                       "-24.0 LUFS"});
}

} // namespace
} // namespace qz
