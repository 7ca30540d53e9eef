#include "tools/musicgen/MusicGen.h"

#include "TempDir.h"
#include "tools/musicgen/XmInstruments.h"
#include "tools/soundmeter/SoundTargets.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <memory>
#include <sstream>

namespace qz {
namespace {

std::string ReadText(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const std::vector<std::string> kTunes = {"Vibe-rlx",   "Level-drift", "Level-prism", "Level-glow",
                                         "Level-tide", "Level-spark", "Level-frost"};

const std::vector<TGeneratedMusic>& ShippedMusic() {
    static const std::vector<TGeneratedMusic> music = [] {
        std::vector<std::string> texts;
        for (const std::string& tune : kTunes) {
            texts.push_back(ReadText(QUARZEL_DATA_DIR "/music/" + tune + ".tune"));
        }
        return GenerateMusic(texts);
    }();
    return music;
}

struct TModuleDeleter {
    void operator()(openmpt_module* module) const { openmpt_module_destroy(module); }
};
using TModule = std::unique_ptr<openmpt_module, TModuleDeleter>;

TModule Load(const std::vector<uint8_t>& bytes) {
    return TModule(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr));
}

// Peak and RMS of the left and right output over seconds of play from the current position.
std::pair<double, double> Render(openmpt_module* module, double seconds) {
    constexpr int32_t kRate = 44100;
    std::vector<float> left(4096);
    std::vector<float> right(4096);
    double peak = 0;
    double energy = 0;
    size_t frames = 0;
    while (frames < static_cast<size_t>(seconds * kRate)) {
        const size_t count =
            openmpt_module_read_float_stereo(module, kRate, left.size(), left.data(), right.data());
        if (count == 0) {
            break;
        }
        for (size_t i = 0; i < count; ++i) {
            peak = std::max({peak, std::abs(double(left[i])), std::abs(double(right[i]))});
            energy += double(left[i]) * left[i] + double(right[i]) * right[i];
        }
        frames += count;
    }
    return {peak, frames > 0 ? std::sqrt(energy / (2.0 * frames)) : 0.0};
}

TEST(MusicGen, EveryModuleLoadsWithItsOrdersAndPlaysAudibly) {
    ASSERT_EQ(ShippedMusic().size(), kTunes.size());
    EXPECT_EQ(ShippedMusic()[0].Name, "Vibe-rlx.mo3");
    for (const TGeneratedMusic& music : ShippedMusic()) {
        SCOPED_TRACE(music.Name);
        const TModule module = Load(music.Bytes);
        ASSERT_NE(module, nullptr);
        const char* type = openmpt_module_get_metadata(module.get(), "type");
        EXPECT_STREQ(type, "xm");
        openmpt_free_string(type);
        EXPECT_EQ(openmpt_module_get_num_orders(module.get()), static_cast<int>(music.Orders));
        EXPECT_EQ(openmpt_module_get_num_channels(module.get()), static_cast<int>(chCount));
        EXPECT_EQ(openmpt_module_get_num_instruments(module.get()), 7);
        const double duration = openmpt_module_get_duration_seconds(module.get());
        EXPECT_GE(duration, 60.0);
        EXPECT_LE(duration, 120.0);
        EXPECT_NEAR(music.Lufs, SampleLoudness - TuneDistance, 0.2);
        const auto [peak, rms] = Render(module.get(), 30);
        EXPECT_GT(rms, 0.02);
        EXPECT_LT(peak, 1.0);
    }
}

TEST(MusicGen, TitleMusicResumesFromOrderTwelve) {
    const TGeneratedMusic& title = ShippedMusic()[0];
    ASSERT_GE(title.Orders, 13u);
    const TModule module = Load(title.Bytes);
    ASSERT_NE(module, nullptr);
    openmpt_module_set_position_order_row(module.get(), 12, 0);
    EXPECT_EQ(openmpt_module_get_current_order(module.get()), 12);
    const auto [peak, rms] = Render(module.get(), 5);
    EXPECT_GT(rms, 0.02);
    EXPECT_LT(peak, 1.0);
}

TEST(MusicGen, ListAndFilesAreWrittenUnderTheGameNames) {
    test::TempDir dir;
    WriteMusic(ShippedMusic(), dir.Path().string());
    EXPECT_EQ(ReadText(dir.File("musics.dat")),
              "Vibe-rlx.mo3\r\nLevel-drift.mo3\r\nLevel-prism.mo3\r\nLevel-glow.mo3\r\n"
              "Level-tide.mo3\r\nLevel-spark.mo3\r\nLevel-frost.mo3\r\n");
    for (const TGeneratedMusic& music : ShippedMusic()) {
        EXPECT_EQ(ReadText(dir.File(music.Name)),
                  std::string(music.Bytes.begin(), music.Bytes.end()));
    }
}

TEST(MusicGen, GenerationIsDeterministic) {
    std::vector<std::string> texts;
    for (const std::string& tune : kTunes) {
        texts.push_back(ReadText(QUARZEL_DATA_DIR "/music/" + tune + ".tune"));
    }
    const auto again = GenerateMusic(texts);
    ASSERT_EQ(again.size(), ShippedMusic().size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].Bytes, ShippedMusic()[i].Bytes) << again[i].Name;
    }
}

TEST(XmWriter, CellsInstrumentsAndSamplesReadBack) {
    TXmModule module;
    module.Name = "probe";
    module.Channels = 3;
    module.Speed = 4;
    module.Bpm = 140;
    module.RestartPosition = 1;
    module.Orders = {0, 1, 0};
    for (int32_t p = 0; p < 2; ++p) {
        TXmPattern pattern;
        pattern.Rows = 16;
        pattern.Cells.assign(16 * 3, TXmCell{});
        pattern.Cells[0] = {49, 1, 0x50, 0, 0}; // full note
        pattern.Cells[3 * 5 + 1] = {static_cast<uint8_t>(60 + p), 2, 0, 0x08, 0x40};
        pattern.Cells[3 * 9 + 2] = {kXmKeyOff, 0, 0, 0, 0};
        module.Patterns.push_back(pattern);
    }
    module.Instruments.push_back(MakeInstrument("kick"));
    module.Instruments.push_back(MakeInstrument("pad"));
    const std::vector<uint8_t> bytes = WriteXm(module);
    const TModule loaded = Load(bytes);
    ASSERT_NE(loaded, nullptr);
    openmpt_module* m = loaded.get();
    EXPECT_EQ(openmpt_module_get_num_orders(m), 3);
    EXPECT_EQ(openmpt_module_get_num_patterns(m), 2);
    EXPECT_EQ(openmpt_module_get_num_instruments(m), 2);
    EXPECT_EQ(openmpt_module_get_num_samples(m), 2);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(m, 1), 16);
    const char* name = openmpt_module_get_instrument_name(m, 1);
    EXPECT_STREQ(name, "pad");
    openmpt_free_string(name);
    const auto command = [&](int32_t pattern, int32_t row, int32_t channel, int kind) {
        return openmpt_module_get_pattern_row_channel_command(m, pattern, row, channel, kind);
    };
    // libopenmpt counts notes from C-0 = 1 like the file, one octave up (C-4 in the file is
    // its note 61).
    EXPECT_EQ(command(0, 0, 0, OPENMPT_MODULE_COMMAND_NOTE), 49 + 12);
    EXPECT_EQ(command(0, 0, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT), 1);
    EXPECT_EQ(command(1, 5, 1, OPENMPT_MODULE_COMMAND_NOTE), 61 + 12);
    EXPECT_EQ(command(1, 5, 1, OPENMPT_MODULE_COMMAND_INSTRUMENT), 2);
    EXPECT_EQ(command(1, 5, 1, OPENMPT_MODULE_COMMAND_PARAMETER), 0x40);
    EXPECT_EQ(command(0, 9, 2, OPENMPT_MODULE_COMMAND_NOTE), 255); // key off
    EXPECT_EQ(command(0, 1, 0, OPENMPT_MODULE_COMMAND_NOTE), 0);
    const auto [peak, rms] = Render(m, 1);
    EXPECT_GT(peak, 0.05);
    EXPECT_GT(rms, 0.0);
}

TEST(XmWriter, TuningMakesMiddleCPlayTheRecordingRate) {
    TXmInstrument instrument;
    TuneToRate(instrument, 8363);
    EXPECT_EQ(instrument.RelativeNote, 0);
    EXPECT_EQ(instrument.FineTune, 0);
    TuneToRate(instrument, 8363 * 2);
    EXPECT_EQ(instrument.RelativeNote, 12);
    TuneToRate(instrument, 44100); // 28.79 semitones above
    EXPECT_EQ(instrument.RelativeNote, 29);
    EXPECT_NEAR(instrument.FineTune, -27, 1);
}

TEST(TuneComposer, ErrorsNameTheLine) {
    const auto message = [](const std::string& text) {
        try {
            ComposeTune(text);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("module a.mo3\nsection s chords=Am,F,C,Hm\n"),
              "line 2: bad note name \"Hm\"");
    EXPECT_EQ(message("module a.mo3\nsection s chords=Am,F,C\n"),
              "line 2: a section has four chords, one per bar");
    EXPECT_EQ(message("module a.mo3\nsection s chords=Am,F,C,G\norder s t\n"),
              "line 3: unknown section \"t\"");
    EXPECT_EQ(message("module a.mo3\ngroove g kick=X..\n"),
              "line 2: a step pattern must have 1, 2, 4, 8, 16, 32 or 64 steps");
}

} // namespace
} // namespace qz
