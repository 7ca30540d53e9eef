#include "tools/musicgen/MusicGen.h"

#include "tools/soundmeter/GameAudio.h"
#include "tools/soundmeter/Loudness.h"
#include "tools/soundmeter/SoundTargets.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace qz {

namespace {

void WriteFile(const std::string& fileName, const void* data, size_t size) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) {
        throw std::runtime_error("cannot write " + fileName);
    }
}

// The gated loudness of one pass through the module as libopenmpt plays it.
double Loudness(const TXmModule& module) {
    const std::vector<uint8_t> bytes = WriteXm(module);
    const std::optional<std::vector<float>> stereo = RenderModuleStereo(bytes);
    if (!stereo) {
        throw std::runtime_error("libopenmpt cannot play the module written");
    }
    return IntegratedLufs(*stereo, GameAudioRate);
}

// Scales every instrument's recording so that the tune plays at the loudness wanted, as far
// as the loudest recording can grow without clipping; returns the loudness reached. A second
// pass takes up what the first one's rounding and the player's own mixing left over.
double LevelTune(TXmModule& module, double wanted) {
    double loudness = Loudness(module);
    for (int pass = 0; pass < 2 && loudness > -150; ++pass) {
        int32_t top = 1;
        for (const TXmInstrument& instrument : module.Instruments) {
            for (const int16_t value : instrument.Sample) {
                top = std::max(top, std::abs(static_cast<int32_t>(value)));
            }
        }
        const double gain = std::min(std::pow(10.0, (wanted - loudness) / 20), 32767.0 / top);
        for (TXmInstrument& instrument : module.Instruments) {
            for (int16_t& value : instrument.Sample) {
                value = static_cast<int16_t>(std::lround(value * gain));
            }
        }
        loudness = Loudness(module);
    }
    return loudness;
}

} // namespace

std::vector<TGeneratedMusic> GenerateMusic(const std::vector<std::string>& texts) {
    std::vector<TGeneratedMusic> music;
    for (size_t i = 0; i < texts.size(); ++i) {
        try {
            TTune tune = ComposeTune(texts[i]);
            const double loudness = LevelTune(tune.Module, SampleLoudness - TuneDistance);
            music.push_back(
                {tune.FileName, WriteXm(tune.Module), tune.Module.Orders.size(), loudness});
        } catch (const std::runtime_error& error) {
            throw std::runtime_error("tune " + std::to_string(i + 1) + ": " + error.what());
        }
    }
    return music;
}

std::string MusicList(const std::vector<TGeneratedMusic>& music) {
    std::string list;
    for (const TGeneratedMusic& module : music) {
        list += module.Name + "\r\n";
    }
    return list;
}

void WriteMusic(const std::vector<TGeneratedMusic>& music, const std::string& folder) {
    for (const TGeneratedMusic& module : music) {
        WriteFile(folder + "/" + module.Name, module.Bytes.data(), module.Bytes.size());
    }
    const std::string list = MusicList(music);
    WriteFile(folder + "/musics.dat", list.data(), list.size());
}

} // namespace qz
