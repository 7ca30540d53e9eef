// quarzel-data sound-levels: the peak and loudness of every sample and tune the game
// archive lists, decoded as the game plays them, checked against the levels the sound is
// made to. One table row per sound; every figure that misses its target goes to standard
// error and makes the exit code 1.

#include "Commands.h"
#include "StillPicture.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "tools/soundmeter/GameAudio.h"
#include "tools/soundmeter/Loudness.h"
#include "tools/soundmeter/SoundTargets.h"

#include <cstdio>
#include <iostream>

namespace qz::tool {

namespace {

// The entry names of a list file, one a line.
std::vector<std::string> ListedEntries(TFileFolder& archive, const std::string& list) {
    const int index = archive.IndexOf(list);
    if (index < 0) {
        throw Error("The game archive holds no \"" + list + "\"");
    }
    std::vector<std::string> names;
    for (const std::string& line : SplitString(archive.Entry(index).View(), '\n')) {
        const std::string name = Trim(line);
        if (!name.empty()) {
            names.push_back(name);
        }
    }
    return names;
}

TSoundLevel Measure(TFileFolder& archive, const std::string& name, bool tune) {
    const int index = archive.IndexOf(name);
    if (index < 0) {
        throw Error("The game archive holds no \"" + name + "\"");
    }
    const std::string_view bytes = archive.Entry(index).View();
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size());
    const std::optional<std::vector<float>> stereo =
        tune ? RenderModuleStereo(data) : DecodeOggStereo(data);
    if (!stereo) {
        throw Error(name + (tune ? " is no module libopenmpt can play"
                                 : " is no Ogg Vorbis sample at 44100 Hz"));
    }
    TSoundLevel level;
    level.Name = name;
    level.Tune = tune;
    level.Seconds = static_cast<double>(stereo->size() / 2) / GameAudioRate;
    level.PeakDb = PeakDb(*stereo);
    level.Lufs =
        tune ? IntegratedLufs(*stereo, GameAudioRate) : MaxMomentaryLufs(*stereo, GameAudioRate);
    return level;
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

int RunSoundLevels(const Arguments& arguments) {
    if (arguments.size() != 1) {
        throw UsageError{};
    }
    RequireFile(arguments[0], "game archive");
    const std::unique_ptr<TFileFolder> archive = TFileFolder::Open(arguments[0]);
    std::vector<TSoundLevel> levels;
    for (const std::string& name : ListedEntries(*archive, "sounds.dat")) {
        levels.push_back(Measure(*archive, name, false));
    }
    for (const std::string& name : ListedEntries(*archive, "musics.dat")) {
        levels.push_back(Measure(*archive, name, true));
    }
    std::cout << "Loudness: of a sample its loudest 400 ms, of a tune the gated loudness of one "
                 "pass (K-weighted, both channels).\n\n"
              << "| sound | kind | length s | peak dBFS | loudness LUFS |\n"
              << "|---|---|---|---|---|\n";
    for (const TSoundLevel& level : levels) {
        std::cout << "| " << level.Name << " | " << (level.Tune ? "tune" : "sample") << " | "
                  << Fixed(level.Seconds, level.Tune ? 0 : 2) << " | " << Fixed(level.PeakDb, 1)
                  << " | " << Fixed(level.Lufs, 1) << " |\n";
    }
    std::cout << "\nTargets: samples " << Fixed(SampleLoudness, 1) << " LUFS within "
              << Fixed(SampleSpread, 0) << " dB; tunes within " << Fixed(TuneSpread, 0)
              << " dB of each other, their mean " << Fixed(TuneDistance, 0)
              << " dB under the samples (within " << Fixed(TuneTolerance, 0)
              << " dB); every peak at most " << Fixed(PeakCeiling, 1) << " dBFS.\n";
    const std::vector<std::string> misses = CheckSoundLevels(levels);
    std::cout.flush();
    for (const std::string& miss : misses) {
        std::cerr << miss << "\n";
    }
    return misses.empty() ? 0 : 1;
}

} // namespace qz::tool
