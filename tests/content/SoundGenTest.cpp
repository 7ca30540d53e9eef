#include "tools/soundgen/SoundGen.h"

#include "TempDir.h"
#include "tools/soundmeter/Loudness.h"
#include "tools/soundmeter/SoundTargets.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <vorbis/vorbisfile.h>

namespace qz {
namespace {

std::string ReadText(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const std::vector<TGeneratedSound>& ShippedSounds() {
    static const std::vector<TGeneratedSound> sounds =
        GenerateSounds(ParseRecipes(ReadText(QUARZEL_DATA_DIR "/sound/sounds.txt")));
    return sounds;
}

struct TDecoded {
    int32_t Channels = 0;
    long Rate = 0;
    std::vector<float> Samples;
};

TDecoded Decode(const std::string& fileName) {
    OggVorbis_File file;
    TDecoded decoded;
    if (ov_fopen(fileName.c_str(), &file) != 0) {
        ADD_FAILURE() << fileName << " does not open as Ogg Vorbis";
        return decoded;
    }
    const vorbis_info* info = ov_info(&file, -1);
    decoded.Channels = info->channels;
    decoded.Rate = info->rate;
    for (;;) {
        float** channels = nullptr;
        int section = 0;
        const long count = ov_read_float(&file, &channels, 1024, &section);
        if (count <= 0) {
            EXPECT_EQ(count, 0) << fileName << " has a decoding error";
            break;
        }
        decoded.Samples.insert(decoded.Samples.end(), channels[0], channels[0] + count);
    }
    ov_clear(&file);
    return decoded;
}

TEST(SoundGen, EverySoundTheGamePlaysIsListed) {
    std::set<std::string> names;
    for (const TGeneratedSound& sound : ShippedSounds()) {
        EXPECT_TRUE(names.insert(sound.Name).second) << "twice: " << sound.Name;
    }
    for (const char* name :
         {"rotate.ogg", "4_change.ogg", "9_wrong_place.ogg", "10_looser.ogg", "alert.ogg",
          "2_crystal.ogg", "3_crystal.ogg", "5_crystal.ogg", "6_next_level.ogg", "7_bonus.ogg",
          "8_undo.ogg", "11_magic.ogg", "12_magic.ogg", "BonusBoom.ogg", "BossPrevent.ogg",
          "1_put.ogg", "click.ogg"}) {
        EXPECT_TRUE(names.count(name) == 1) << "missing: " << name;
    }
    std::string expected;
    for (const TGeneratedSound& sound : ShippedSounds()) {
        expected += sound.Name + "\r\n";
    }
    EXPECT_EQ(SoundList(ShippedSounds()), expected);
}

TEST(SoundGen, EverySampleDecodesShortLoudAndClickFree) {
    test::TempDir dir;
    WriteSounds(ShippedSounds(), dir.Path().string());
    EXPECT_EQ(ReadText(dir.File("sounds.dat")), SoundList(ShippedSounds()));
    for (const TGeneratedSound& sound : ShippedSounds()) {
        SCOPED_TRACE(sound.Name);
        const TDecoded decoded = Decode(dir.File(sound.Name));
        EXPECT_EQ(decoded.Channels, 1);
        EXPECT_EQ(decoded.Rate, kSampleRate);
        ASSERT_GT(decoded.Samples.size(), static_cast<size_t>(kSampleRate / 50));
        EXPECT_LT(decoded.Samples.size(), static_cast<size_t>(kSampleRate * 2));
        float peak = 0;
        for (const float value : decoded.Samples) {
            peak = std::max(peak, std::abs(value));
        }
        EXPECT_GT(peak, 0.05f);
        EXPECT_LE(peak, 1.0f);
        // Both ends are silent: the first 3 ms and the last 5 ms stay near zero.
        for (size_t i = 0; i < static_cast<size_t>(kSampleRate * 0.003); ++i) {
            EXPECT_LT(std::abs(decoded.Samples[i]), 0.02f) << "start " << i;
        }
        for (size_t i = 0; i < static_cast<size_t>(kSampleRate * 0.005); ++i) {
            EXPECT_LT(std::abs(decoded.Samples[decoded.Samples.size() - 1 - i]), 0.01f)
                << "end " << i;
        }
    }
}

// The synthesised mono sample as the mixer plays it, on both sides.
std::vector<float> BothSides(const std::vector<float>& mono) {
    std::vector<float> stereo;
    for (const float value : mono) {
        stereo.insert(stereo.end(), {value, value});
    }
    return stereo;
}

TEST(SoundGen, SynthesisReachesTheCommonLoudnessUnderItsPeakAndEndsInSilence) {
    const TSoundRecipe recipe =
        ParseRecipes("sound a.ogg len=0.2\nvoice wave=square freq=300 amp=5 attack=0.01\n")[0];
    const std::vector<float> samples = Synthesise(recipe);
    const size_t lead = static_cast<size_t>(std::lround(kLead * kSampleRate));
    ASSERT_EQ(samples.size(), lead + static_cast<size_t>(std::lround((0.2 + kTail) * kSampleRate)));
    EXPECT_NEAR(MaxMomentaryLufs(BothSides(samples), kSampleRate), SampleLoudness, 0.01);
    EXPECT_LT(PeakDb(samples), 20 * std::log10(kPeak));
    // A click too short to reach that loudness stops at the peak instead.
    const std::vector<float> click = Synthesise(
        ParseRecipes("sound b.ogg len=0.003\nvoice wave=sine freq=2000 attack=0.001\n")[0]);
    EXPECT_NEAR(PeakDb(click), 20 * std::log10(kPeak), 0.01);
    EXPECT_LT(MaxMomentaryLufs(BothSides(click), kSampleRate), SampleLoudness - 3);
    for (size_t i = 0; i <= lead; ++i) {
        EXPECT_EQ(samples[i], 0.0f) << i;
    }
    const size_t end = lead + static_cast<size_t>(0.2 * kSampleRate);
    for (size_t i = end - 1; i < samples.size(); ++i) {
        EXPECT_LT(std::abs(samples[i]), 1e-3f) << i;
    }
}

TEST(SoundGen, GenerationIsDeterministic) {
    const auto again = GenerateSounds(ParseRecipes(ReadText(QUARZEL_DATA_DIR "/sound/sounds.txt")));
    ASSERT_EQ(again.size(), ShippedSounds().size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].Ogg, ShippedSounds()[i].Ogg) << again[i].Name;
    }
}

TEST(SoundGen, RecipeErrorsNameTheLine) {
    const auto message = [](const std::string& text) {
        try {
            ParseRecipes(text);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("sound a.ogg len=1\nvoice wave=bogus\n"), "line 2: unknown wave \"bogus\"");
    EXPECT_EQ(message("voice wave=sine\n"), "line 1: voice before any sound");
    EXPECT_EQ(message("sound a.ogg len=x1\n"), "line 1: bad number \"x1\"");
    EXPECT_EQ(message("sound a.ogg len=1\n"), "a.ogg: a sound needs a length and a voice");
}

} // namespace
} // namespace qz
