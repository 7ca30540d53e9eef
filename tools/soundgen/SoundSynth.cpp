#include "tools/soundgen/SoundSynth.h"

#include "archive/Random.h"
#include "tools/soundmeter/Loudness.h"
#include "tools/soundmeter/SoundTargets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace qz {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double ParseNumber(std::string_view text, size_t line) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw std::runtime_error("line " + std::to_string(line) + ": bad number \"" +
                                 std::string(text) + "\"");
    }
    return value;
}

TWave ParseWave(std::string_view text, size_t line) {
    static constexpr std::pair<std::string_view, TWave> kWaves[] = {
        {"sine", TWave::Sine}, {"triangle", TWave::Triangle}, {"square", TWave::Square},
        {"saw", TWave::Saw},   {"noise", TWave::Noise},       {"fm", TWave::FM}};
    for (const auto& [name, wave] : kWaves) {
        if (name == text) {
            return wave;
        }
    }
    throw std::runtime_error("line " + std::to_string(line) + ": unknown wave \"" +
                             std::string(text) + "\"");
}

void SetVoiceField(TVoice& voice, std::string_view key, std::string_view value, size_t line) {
    if (key == "wave") {
        voice.Wave = ParseWave(value, line);
        return;
    }
    if (key == "notes") {
        voice.Notes.clear();
        size_t start = 0;
        while (start <= value.size()) {
            const size_t comma = std::min(value.find(',', start), value.size());
            voice.Notes.push_back(ParseNumber(value.substr(start, comma - start), line));
            start = comma + 1;
        }
        return;
    }
    static constexpr std::pair<std::string_view, double TVoice::*> kFields[] = {
        {"start", &TVoice::Start},
        {"len", &TVoice::Length},
        {"freq", &TVoice::Freq},
        {"to", &TVoice::To},
        {"amp", &TVoice::Amp},
        {"attack", &TVoice::Attack},
        {"decay", &TVoice::Decay},
        {"release", &TVoice::Release},
        {"lp", &TVoice::LowPass},
        {"hp", &TVoice::HighPass},
        {"ratio", &TVoice::Ratio},
        {"index", &TVoice::Index},
        {"indexdecay", &TVoice::IndexDecay},
        {"vibrato", &TVoice::Vibrato},
        {"vibratorate", &TVoice::VibratoRate},
        {"every", &TVoice::Every},
        {"fade", &TVoice::Fade}};
    for (const auto& [name, field] : kFields) {
        if (name == key) {
            voice.*field = ParseNumber(value, line);
            return;
        }
    }
    throw std::runtime_error("line " + std::to_string(line) + ": unknown voice field \"" +
                             std::string(key) + "\"");
}

// Band-limited by summing harmonics up to a little below half the sample rate.
double Harmonics(TWave wave, double phase, double freq) {
    const int32_t limit = std::max(1, static_cast<int32_t>(kSampleRate * 0.45 / freq));
    double sum = 0;
    for (int32_t k = 1; k <= std::min(limit, 40); ++k) {
        switch (wave) {
        case TWave::Square:
            if (k % 2 == 1) {
                sum += std::sin(k * phase) / k;
            }
            break;
        case TWave::Triangle:
            if (k % 2 == 1) {
                sum += ((k / 2) % 2 == 0 ? 1.0 : -1.0) * std::sin(k * phase) / (k * k);
            }
            break;
        default:
            sum += std::sin(k * phase) / k;
            break;
        }
    }
    switch (wave) {
    case TWave::Square:
        return sum * 4 / std::numbers::pi * 0.8;
    case TWave::Triangle:
        return sum * 8 / (std::numbers::pi * std::numbers::pi);
    default:
        return sum * 2 / std::numbers::pi * 0.8;
    }
}

double Envelope(const TVoice& voice, double t, double length) {
    double gain = voice.Decay > 0 ? std::exp(-voice.Decay * t) : 1.0;
    const double attack = std::min(voice.Attack, length / 2);
    if (attack > 0 && t < attack) {
        gain *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack);
    }
    const double release = std::min(voice.Release, length / 2);
    if (release > 0 && t > length - release) {
        gain *= 0.5 + 0.5 * std::cos(std::numbers::pi * (t - (length - release)) / release);
    }
    return gain;
}

void AddVoice(const TVoice& voice, double transpose, double amp, double start, double soundLength,
              TRandom& random, std::vector<float>& out) {
    const double length = voice.Length > 0 ? voice.Length : std::max(0.0, soundLength - start);
    const size_t first = static_cast<size_t>(std::lround(start * kSampleRate));
    const size_t count = static_cast<size_t>(std::lround(length * kSampleRate));
    const double shift = std::pow(2.0, transpose / 12);
    const double from = voice.Freq * shift;
    const double to = (voice.To > 0 ? voice.To : voice.Freq) * shift;
    const double lowA = voice.LowPass > 0 ? 1 - std::exp(-kTwoPi * voice.LowPass / kSampleRate) : 1;
    const double highA =
        voice.HighPass > 0 ? 1 - std::exp(-kTwoPi * voice.HighPass / kSampleRate) : 0;
    double phase = 0;
    double modPhase = 0;
    double low = 0;
    double high = 0;
    for (size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double freq = from * std::pow(to / from, t / length);
        if (voice.Vibrato != 0) {
            freq *= std::pow(2.0, voice.Vibrato / 12 * std::sin(kTwoPi * voice.VibratoRate * t));
        }
        double value = 0;
        switch (voice.Wave) {
        case TWave::Sine:
            value = std::sin(phase);
            break;
        case TWave::Noise:
            value = random.NextReal() * 2 - 1;
            break;
        case TWave::FM:
            value = std::sin(phase +
                             voice.Index * std::exp(-voice.IndexDecay * t) * std::sin(modPhase));
            break;
        default:
            value = Harmonics(voice.Wave, phase, freq);
            break;
        }
        phase = std::fmod(phase + kTwoPi * freq / kSampleRate, kTwoPi);
        modPhase = std::fmod(modPhase + kTwoPi * freq * voice.Ratio / kSampleRate, kTwoPi);
        low += lowA * (value - low);
        high += highA * (low - high);
        const double filtered = voice.HighPass > 0 ? low - high : low;
        out[first + i] += static_cast<float>(filtered * amp * Envelope(voice, t, length));
    }
}

} // namespace

std::vector<TSoundRecipe> ParseRecipes(std::string_view text) {
    std::vector<TSoundRecipe> recipes;
    std::istringstream lines{std::string(text)};
    std::string raw;
    size_t lineNumber = 0;
    while (std::getline(lines, raw)) {
        ++lineNumber;
        raw = raw.substr(0, raw.find('#'));
        std::istringstream words(raw);
        std::string head;
        if (!(words >> head)) {
            continue;
        }
        if (head == "sound") {
            TSoundRecipe recipe;
            if (!(words >> recipe.Name)) {
                throw std::runtime_error("line " + std::to_string(lineNumber) + ": no name");
            }
            recipes.push_back(std::move(recipe));
        } else if (head == "voice") {
            if (recipes.empty()) {
                throw std::runtime_error("line " + std::to_string(lineNumber) +
                                         ": voice before any sound");
            }
            recipes.back().Voices.emplace_back();
        } else {
            throw std::runtime_error("line " + std::to_string(lineNumber) + ": unknown word \"" +
                                     head + "\"");
        }
        std::string pair;
        while (words >> pair) {
            const size_t equals = pair.find('=');
            if (equals == std::string::npos) {
                throw std::runtime_error("line " + std::to_string(lineNumber) +
                                         ": expected key=value, got \"" + pair + "\"");
            }
            const std::string_view key = std::string_view(pair).substr(0, equals);
            const std::string_view value = std::string_view(pair).substr(equals + 1);
            TSoundRecipe& recipe = recipes.back();
            if (head == "voice") {
                SetVoiceField(recipe.Voices.back(), key, value, lineNumber);
            } else if (key == "len") {
                recipe.Length = ParseNumber(value, lineNumber);
            } else if (key == "seed") {
                recipe.Seed = static_cast<uint64_t>(ParseNumber(value, lineNumber));
            } else {
                throw std::runtime_error("line " + std::to_string(lineNumber) +
                                         ": unknown sound field \"" + std::string(key) + "\"");
            }
        }
    }
    for (const TSoundRecipe& recipe : recipes) {
        if (recipe.Length <= 0 || recipe.Voices.empty()) {
            throw std::runtime_error(recipe.Name + ": a sound needs a length and a voice");
        }
    }
    return recipes;
}

std::vector<float> Synthesise(const TSoundRecipe& recipe) {
    const size_t lead = static_cast<size_t>(std::lround(kLead * kSampleRate));
    const size_t end = lead + static_cast<size_t>(std::lround(recipe.Length * kSampleRate));
    std::vector<float> sound(end - lead, 0.0f);
    TRandom random(recipe.Seed);
    for (const TVoice& voice : recipe.Voices) {
        double amp = voice.Amp;
        for (size_t n = 0; n < voice.Notes.size(); ++n) {
            const double start = voice.Start + voice.Every * static_cast<double>(n);
            if (start < recipe.Length) {
                AddVoice(voice, voice.Notes[n], amp, start, recipe.Length, random, sound);
            }
            amp *= voice.Fade;
        }
    }
    std::vector<float> out(end + static_cast<size_t>(std::lround(kTail * kSampleRate)), 0.0f);
    std::copy(sound.begin(), sound.end(), out.begin() + static_cast<ptrdiff_t>(lead));
    // A voice that would run past the sound's length is cut there; a 10 ms fade makes that
    // cut smooth.
    const size_t fade = std::min<size_t>(end, kSampleRate / 100);
    for (size_t i = 0; i < fade; ++i) {
        out[end - fade + i] *=
            static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * (i + 1.0) / fade));
    }
    std::fill(out.begin() + static_cast<ptrdiff_t>(end), out.end(), 0.0f);
    // The loudness the game hears: the sample on both sides of the mixer.
    std::vector<float> stereo(2 * out.size());
    float peak = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        stereo[2 * i] = stereo[2 * i + 1] = out[i];
        peak = std::max(peak, std::abs(out[i]));
    }
    if (peak > 0) {
        const double loudness = MaxMomentaryLufs(stereo, kSampleRate);
        const double gain = std::min(std::pow(10.0, (SampleLoudness - loudness) / 20),
                                     kPeak / static_cast<double>(peak));
        for (float& value : out) {
            value = static_cast<float>(value * gain);
        }
    }
    return out;
}

} // namespace qz
