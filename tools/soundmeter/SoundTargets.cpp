#include "tools/soundmeter/SoundTargets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qz {

namespace {

std::string Db(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

} // namespace

std::vector<std::string> CheckSoundLevels(const std::vector<TSoundLevel>& levels) {
    std::vector<std::string> misses;
    const TSoundLevel* loudest = nullptr;
    const TSoundLevel* quietest = nullptr;
    double tuneSum = 0;
    int32_t tunes = 0;
    for (const TSoundLevel& level : levels) {
        if (level.PeakDb > PeakCeiling) {
            misses.push_back(level.Name + " peaks at " + Db(level.PeakDb) + " dBFS, above " +
                             Db(PeakCeiling) + " dBFS");
        }
        if (!level.Tune) {
            if (std::abs(level.Lufs - SampleLoudness) > SampleSpread) {
                misses.push_back(level.Name + " is " + Db(level.Lufs) + " LUFS, more than " +
                                 Db(SampleSpread) + " dB from " + Db(SampleLoudness) + " LUFS");
            }
            continue;
        }
        tuneSum += level.Lufs;
        ++tunes;
        if (loudest == nullptr || level.Lufs > loudest->Lufs) {
            loudest = &level;
        }
        if (quietest == nullptr || level.Lufs < quietest->Lufs) {
            quietest = &level;
        }
    }
    if (tunes == 0) {
        return misses;
    }
    if (loudest->Lufs - quietest->Lufs > TuneSpread) {
        misses.push_back("the tunes lie " + Db(loudest->Lufs - quietest->Lufs) + " dB apart (" +
                         loudest->Name + " " + Db(loudest->Lufs) + ", " + quietest->Name + " " +
                         Db(quietest->Lufs) + " LUFS), more than " + Db(TuneSpread) + " dB");
    }
    const double mean = tuneSum / tunes;
    const double wanted = SampleLoudness - TuneDistance;
    if (std::abs(mean - wanted) > TuneTolerance) {
        misses.push_back("the tunes average " + Db(mean) + " LUFS, more than " + Db(TuneTolerance) +
                         " dB from " + Db(wanted) + " LUFS");
    }
    return misses;
}

} // namespace qz
