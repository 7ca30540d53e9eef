#include "tools/musicgen/XmInstruments.h"

#include "archive/Random.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>

namespace qz {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kMiddleC = 261.6255653;
// Pitched instruments hold a whole number of 128-frame periods of middle C, so their loops
// join without a seam: the recording rate is 128 × middle C.
constexpr int32_t kPeriod = 128;
constexpr double kPitchedRate = kPeriod * kMiddleC;
constexpr double kDrumRate = 44100;

std::vector<int16_t> ToPcm(const std::vector<double>& wave, double peak) {
    double top = 0;
    for (const double value : wave) {
        top = std::max(top, std::abs(value));
    }
    const double gain = top > 0 ? peak * 32767 / top : 0;
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        pcm[i] = static_cast<int16_t>(std::lround(wave[i] * gain));
    }
    return pcm;
}

// frames of value(t) with t in seconds; the last 5 ms fade out so a one-shot sample ends
// at zero.
std::vector<double> Render(size_t frames, double rate, const std::function<double(double)>& value,
                           bool fadeEnd) {
    std::vector<double> wave(frames);
    for (size_t i = 0; i < frames; ++i) {
        wave[i] = value(static_cast<double>(i) / rate);
    }
    if (fadeEnd) {
        const size_t fade = std::min(frames, static_cast<size_t>(rate * 0.005));
        for (size_t i = 0; i < fade; ++i) {
            wave[frames - fade + i] *= 0.5 + 0.5 * std::cos(std::numbers::pi * (i + 1.0) / fade);
        }
    }
    return wave;
}

TXmInstrument Pitched(const std::string& name, std::vector<double> wave, bool loop) {
    TXmInstrument instrument;
    instrument.Name = name;
    instrument.Sample = ToPcm(wave, 0.9);
    if (loop) {
        instrument.LoopStart = 0;
        instrument.LoopLength = static_cast<uint32_t>(instrument.Sample.size());
    }
    TuneToRate(instrument, kPitchedRate);
    return instrument;
}

// Sum of harmonics with whole cycle counts over the loop: harmonic h of copy c runs
// cycles h × periods + c × h, a slow chorus that still repeats exactly.
TXmInstrument MakePad() {
    constexpr int32_t kPeriods = 256;
    TRandom random(401);
    std::vector<double> phases(3 * 16);
    for (double& phase : phases) {
        phase = random.NextReal() * kTwoPi;
    }
    const size_t frames = static_cast<size_t>(kPeriod) * kPeriods;
    std::vector<double> wave(frames, 0.0);
    for (int32_t copy = -1; copy <= 1; ++copy) {
        for (int32_t h = 1; h <= 16; ++h) {
            const double amp = std::exp(-h / 3.5) / h;
            const double cycles = h * kPeriods + copy * h;
            const double phase = phases[static_cast<size_t>((copy + 1) * 16 + h - 1)];
            for (size_t i = 0; i < frames; ++i) {
                wave[i] += amp * std::sin(kTwoPi * cycles * i / frames + phase);
            }
        }
    }
    TXmInstrument pad = Pitched("pad", wave, true);
    pad.Envelope = {{0, 0}, {14, 64}, {40, 56}};
    pad.SustainPoint = 2;
    pad.FadeOut = 900;
    return pad;
}

TXmInstrument MakeBass() {
    const size_t frames = static_cast<size_t>(kPeriod) * 64;
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            return std::sin(x) + 0.35 * std::sin(2 * x) + 0.12 * std::sin(3 * x) +
                   0.05 * std::sin(4 * x);
        },
        false);
    TXmInstrument bass = Pitched("bass", wave, true);
    bass.Envelope = {{0, 0}, {1, 64}, {12, 50}, {40, 40}};
    bass.SustainPoint = 3;
    bass.FadeOut = 1600;
    return bass;
}

TXmInstrument MakeBell() {
    const size_t frames = static_cast<size_t>(kPitchedRate * 1.8);
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            const double rise = std::min(1.0, t / 0.003);
            const double body =
                std::sin(x + 1.3 * std::exp(-3 * t) * std::sin(x)) * std::exp(-2.2 * t);
            const double tine = 0.25 * std::sin(7 * x + 0.6 * std::sin(x)) * std::exp(-9 * t);
            return rise * (body + tine);
        },
        true);
    TXmInstrument bell = Pitched("bell", wave, false);
    bell.Envelope = {{0, 64}, {1, 64}};
    bell.SustainPoint = 1;
    bell.FadeOut = 1200;
    return bell;
}

TXmInstrument MakeFlute() {
    const size_t frames = static_cast<size_t>(kPeriod) * 128;
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            return std::sin(x) + 0.22 * std::sin(2 * x + 0.4) + 0.08 * std::sin(3 * x + 1.1);
        },
        false);
    TXmInstrument flute = Pitched("flute", wave, true);
    flute.Envelope = {{0, 0}, {6, 64}, {30, 54}};
    flute.SustainPoint = 2;
    flute.FadeOut = 1400;
    flute.VibratoSweep = 60;
    flute.VibratoDepth = 3;
    flute.VibratoRate = 12;
    return flute;
}

TXmInstrument MakePluck() {
    const size_t frames = static_cast<size_t>(kPitchedRate * 0.9);
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            double sum = 0;
            for (int32_t h = 1; h <= 12; ++h) {
                sum += std::sin(h * x) / h * std::exp(-t * (3 + 2.5 * h));
            }
            return sum * std::min(1.0, t / 0.002);
        },
        true);
    TXmInstrument pluck = Pitched("pluck", wave, false);
    pluck.Envelope = {{0, 64}, {1, 64}};
    pluck.SustainPoint = 1;
    pluck.FadeOut = 2000;
    return pluck;
}

// A wooden bar struck with a soft mallet: the fundamental and the bar's fourth partial
// (close to four times the pitch), the partial dying much faster.
TXmInstrument MakeMarimba() {
    const size_t frames = static_cast<size_t>(kPitchedRate * 1.0);
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            const double body = std::sin(x) * std::exp(-4.5 * t);
            const double partial = 0.35 * std::sin(3.93 * x) * std::exp(-16 * t);
            const double knock = 0.15 * std::sin(9.2 * x) * std::exp(-60 * t);
            return (body + partial + knock) * std::min(1.0, t / 0.0015);
        },
        true);
    TXmInstrument marimba = Pitched("marimba", wave, false);
    marimba.Envelope = {{0, 64}, {1, 64}};
    marimba.SustainPoint = 1;
    marimba.FadeOut = 2400;
    return marimba;
}

// A drawbar organ: the foot's harmonics 1, 2, 3, 4, 6 and 8, held as long as the key with a
// slow vibrato that sets in after the attack.
TXmInstrument MakeOrgan() {
    const size_t frames = static_cast<size_t>(kPeriod) * 64;
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            return std::sin(x) + 0.6 * std::sin(2 * x) + 0.35 * std::sin(3 * x) +
                   0.25 * std::sin(4 * x) + 0.12 * std::sin(6 * x) + 0.1 * std::sin(8 * x);
        },
        false);
    TXmInstrument organ = Pitched("organ", wave, true);
    organ.Envelope = {{0, 0}, {2, 64}, {30, 58}};
    organ.SustainPoint = 2;
    organ.FadeOut = 3000;
    organ.VibratoSweep = 90;
    organ.VibratoDepth = 2;
    organ.VibratoRate = 20;
    return organ;
}

// A string section: a bright saw-like spectrum in three copies drifting against each other
// (whole cycle counts over the loop, as the pad has), rising and falling slowly.
TXmInstrument MakeStrings() {
    constexpr int32_t kPeriods = 256;
    TRandom random(405);
    const size_t frames = static_cast<size_t>(kPeriod) * kPeriods;
    std::vector<double> wave(frames, 0.0);
    for (int32_t copy = -1; copy <= 1; ++copy) {
        for (int32_t h = 1; h <= 24; ++h) {
            const double amp = 1.0 / h * (h > 12 ? 0.5 : 1.0);
            const double cycles = h * kPeriods + copy * 2 * h;
            const double phase = random.NextReal() * kTwoPi;
            for (size_t i = 0; i < frames; ++i) {
                wave[i] += amp * std::sin(kTwoPi * cycles * i / frames + phase);
            }
        }
    }
    TXmInstrument strings = Pitched("strings", wave, true);
    strings.Envelope = {{0, 0}, {30, 60}, {60, 52}};
    strings.SustainPoint = 2;
    strings.FadeOut = 700;
    return strings;
}

// A celesta: steel plates under felt hammers, a pure tone with an octave and a twelfth that
// fade first, ringing long.
TXmInstrument MakeCelesta() {
    const size_t frames = static_cast<size_t>(kPitchedRate * 2.0);
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            const double body = std::sin(x) * std::exp(-1.6 * t);
            const double octave = 0.3 * std::sin(2 * x) * std::exp(-5 * t);
            const double twelfth = 0.12 * std::sin(3 * x) * std::exp(-9 * t);
            return (body + octave + twelfth) * std::min(1.0, t / 0.002);
        },
        true);
    TXmInstrument celesta = Pitched("celesta", wave, false);
    celesta.Envelope = {{0, 64}, {1, 64}};
    celesta.SustainPoint = 1;
    celesta.FadeOut = 900;
    return celesta;
}

// A synthesiser bass: odd harmonics of a square rolled off like a closed filter, with a
// quick pluck of the envelope.
TXmInstrument MakeSynthBass() {
    const size_t frames = static_cast<size_t>(kPeriod) * 64;
    const std::vector<double> wave = Render(
        frames, kPitchedRate,
        [](double t) {
            const double x = kTwoPi * kMiddleC * t;
            double sum = 0;
            for (int32_t h = 1; h <= 9; h += 2) {
                sum += std::sin(h * x) / (h * h * 0.6 + 0.4);
            }
            return sum;
        },
        false);
    TXmInstrument bass = Pitched("synthbass", wave, true);
    bass.Envelope = {{0, 0}, {1, 64}, {6, 40}, {40, 34}};
    bass.SustainPoint = 3;
    bass.FadeOut = 2200;
    return bass;
}

TXmInstrument Drum(const std::string& name, double seconds,
                   const std::function<double(double)>& value) {
    TXmInstrument drum;
    drum.Name = name;
    drum.Sample =
        ToPcm(Render(static_cast<size_t>(kDrumRate * seconds), kDrumRate, value, true), 0.9);
    TuneToRate(drum, kDrumRate);
    return drum;
}

TXmInstrument MakeKick() {
    return Drum("kick", 0.35, [](double t) {
        // The pitch falls from 150 Hz to 45 Hz; the phase is the integral of that glide.
        const double phase = kTwoPi * (45 * t + (150 - 45) / 30.0 * (1 - std::exp(-30 * t)));
        return std::sin(phase) * std::exp(-9 * t) * std::min(1.0, t / 0.001);
    });
}

TXmInstrument MakeSnare() {
    auto random = std::make_shared<TRandom>(403);
    auto low = std::make_shared<double>(0);
    auto high = std::make_shared<double>(0);
    return Drum("snare", 0.25, [random, low, high](double t) {
        const double noise = random->NextReal() * 2 - 1;
        *low += 0.55 * (noise - *low);  // a soft top
        *high += 0.08 * (*low - *high); // minus the lows
        const double band = *low - *high;
        const double tone = 0.5 * std::sin(kTwoPi * 185 * t) * std::exp(-30 * t);
        return (band * std::exp(-18 * t) + tone) * std::min(1.0, t / 0.001);
    });
}

TXmInstrument MakeHat() {
    auto random = std::make_shared<TRandom>(404);
    auto low = std::make_shared<double>(0);
    TXmInstrument hat = Drum("hat", 0.08, [random, low](double t) {
        const double noise = random->NextReal() * 2 - 1;
        *low += 0.6 * (noise - *low);
        return (noise - *low) * std::exp(-55 * t) * std::min(1.0, t / 0.0005);
    });
    hat.Panning = 150;
    return hat;
}

// A wood block, played where a tune wants a dry tick instead of the snare.
TXmInstrument MakeRim() {
    return Drum("rim", 0.12, [](double t) {
        const double tone = std::sin(kTwoPi * 820 * t) + 0.5 * std::sin(kTwoPi * 1390 * t);
        return tone * std::exp(-45 * t) * std::min(1.0, t / 0.0005);
    });
}

// A shaker: high noise with a soft swell, for the off-beats instead of the hat.
TXmInstrument MakeShaker() {
    auto random = std::make_shared<TRandom>(406);
    auto low = std::make_shared<double>(0);
    TXmInstrument shaker = Drum("shaker", 0.1, [random, low](double t) {
        const double noise = random->NextReal() * 2 - 1;
        *low += 0.7 * (noise - *low);
        const double swell = std::min(1.0, t / 0.015) * std::exp(-40 * t);
        return (noise - *low) * swell;
    });
    shaker.Panning = 100;
    return shaker;
}

} // namespace

TXmInstrument MakeInstrument(std::string_view name) {
    static const std::pair<std::string_view, TXmInstrument (*)()> kMakers[] = {
        {"pad", MakePad},
        {"bass", MakeBass},
        {"bell", MakeBell},
        {"flute", MakeFlute},
        {"pluck", MakePluck},
        {"kick", MakeKick},
        {"snare", MakeSnare},
        {"hat", MakeHat},
        {"marimba", MakeMarimba},
        {"organ", MakeOrgan},
        {"strings", MakeStrings},
        {"celesta", MakeCelesta},
        {"synthbass", MakeSynthBass},
        {"rim", MakeRim},
        {"shaker", MakeShaker}};
    for (const auto& [known, make] : kMakers) {
        if (known == name) {
            return make();
        }
    }
    throw std::runtime_error("unknown instrument \"" + std::string(name) + "\"");
}

} // namespace qz
