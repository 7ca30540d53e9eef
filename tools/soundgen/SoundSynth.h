#pragma once
// Sound effect recipes and their synthesis: each sample is a sum of voices (an oscillator or
// noise with a glide, an envelope that starts and ends at zero, optional filters), the whole
// brought to the game's common sample loudness unless its peak would pass kPeak first.
// Recipes are text, one "sound" line followed by its "voice" lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

enum class TWave { Sine, Triangle, Square, Saw, Noise, FM };

struct TVoice {
    TWave Wave = TWave::Sine;
    double Start = 0;  // seconds from the start of the sample
    double Length = 0; // seconds; 0 = up to the end of the sample
    double Freq = 440; // Hz at the voice start
    double To = 0;     // Hz at the voice end (exponential glide); 0 = no glide
    double Amp = 1;
    double Attack = 0.005; // raised-cosine rise, seconds
    double Decay = 0;      // exponential decay rate, 1/s
    double Release = 0.02; // raised-cosine fall at the voice end, seconds
    double LowPass = 0;    // one-pole cut-off, Hz; 0 = off
    double HighPass = 0;
    double Ratio = 1;             // FM: modulator frequency / carrier frequency
    double Index = 0;             // FM: modulation index at the start
    double IndexDecay = 0;        // FM: index decay rate, 1/s
    double Vibrato = 0;           // semitones
    double VibratoRate = 5;       // Hz
    std::vector<double> Notes{0}; // the voice is played once per entry, transposed (semitones)
    double Every = 0;             // seconds between those repeats
    double Fade = 1;              // amplitude factor from one repeat to the next
};

struct TSoundRecipe {
    std::string Name;  // the entry name, for example "2_crystal.ogg"
    double Length = 0; // seconds of sound before the closing silence
    uint64_t Seed = 1; // noise seed
    std::vector<TVoice> Voices;
};

// Reads recipe text; '#' starts a comment. Throws std::runtime_error naming the line on any
// unknown word or malformed number.
std::vector<TSoundRecipe> ParseRecipes(std::string_view text);

constexpr int32_t kSampleRate = 44100;
constexpr double kPeak = 0.89;  // about -1 dBFS
constexpr double kLead = 0.005; // seconds of silence before the sound, so that the codec's
                                // pre-echo of a sharp attack stays inside silence
constexpr double kTail = 0.03;  // seconds of silence after the sound, for the codec to settle

// Mono samples at kSampleRate: kLead, the sound, kTail; at SampleLoudness (its loudest
// 400 ms heard on both sides), or quieter with its peak at kPeak when that comes first
// (silence stays silence).
std::vector<float> Synthesise(const TSoundRecipe& recipe);

} // namespace qz
