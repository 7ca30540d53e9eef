#include "tools/soundmeter/Loudness.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace qz {

namespace {

constexpr double Silence = -200;

// One second-order section, direct form I.
struct TBiquad {
    double B0, B1, B2, A1, A2;
    double X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;

    double Run(double x) {
        const double y = B0 * x + B1 * X1 + B2 * X2 - A1 * Y1 - A2 * Y2;
        X2 = X1;
        X1 = x;
        Y2 = Y1;
        Y1 = y;
        return y;
    }
};

// The two stages of the K-weighting at any sample rate: a high shelf of +4 dB above about
// 1.7 kHz (the head's effect) and a high pass at about 38 Hz.
std::pair<TBiquad, TBiquad> KWeighting(int32_t rate) {
    const double pi = std::numbers::pi;
    double k = std::tan(pi * 1681.974450955533 / rate);
    const double q1 = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1 + k / q1 + k * k;
    const TBiquad shelf{(vh + vb * k / q1 + k * k) / a0, 2 * (k * k - vh) / a0,
                        (vh - vb * k / q1 + k * k) / a0, 2 * (k * k - 1) / a0,
                        (1 - k / q1 + k * k) / a0};
    k = std::tan(pi * 38.13547087602444 / rate);
    const double q2 = 0.5003270373238773;
    a0 = 1 + k / q2 + k * k;
    const TBiquad highPass{1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q2 + k * k) / a0};
    return {shelf, highPass};
}

// The K-weighted power of each frame, both channels summed, with pad frames of silence
// before and after.
std::vector<double> WeightedPower(TStereo stereo, int32_t rate, size_t pad) {
    const size_t frames = stereo.size() / 2;
    std::vector<double> power(frames + 2 * pad, 0.0);
    for (size_t channel = 0; channel < 2; ++channel) {
        auto [shelf, highPass] = KWeighting(rate);
        for (size_t i = 0; i < frames + pad; ++i) {
            const double x = i < frames ? stereo[2 * i + channel] : 0.0;
            const double y = highPass.Run(shelf.Run(x));
            power[pad + i] += y * y;
        }
    }
    return power;
}

double Lufs(double meanPower) {
    return meanPower > 0 ? -0.691 + 10 * std::log10(meanPower) : Silence;
}

// The mean power of every window of the given length, one every step frames.
std::vector<double> Windows(const std::vector<double>& power, size_t length, size_t step) {
    std::vector<double> sums(power.size() + 1, 0.0);
    for (size_t i = 0; i < power.size(); ++i) {
        sums[i + 1] = sums[i] + power[i];
    }
    std::vector<double> means;
    for (size_t start = 0; start + length <= power.size(); start += step) {
        means.push_back((sums[start + length] - sums[start]) / static_cast<double>(length));
    }
    return means;
}

} // namespace

double PeakDb(TStereo stereo) {
    float peak = 0;
    for (const float value : stereo) {
        peak = std::max(peak, std::abs(value));
    }
    return peak > 0 ? 20 * std::log10(peak) : Silence;
}

double MaxMomentaryLufs(TStereo stereo, int32_t rate) {
    const auto window = static_cast<size_t>(rate * 0.4);
    const std::vector<double> means =
        Windows(WeightedPower(stereo, rate, window), window, static_cast<size_t>(rate / 100));
    return means.empty() ? Silence : Lufs(*std::max_element(means.begin(), means.end()));
}

double IntegratedLufs(TStereo stereo, int32_t rate) {
    const auto block = static_cast<size_t>(rate * 0.4);
    const std::vector<double> blocks =
        Windows(WeightedPower(stereo, rate, 0), block, static_cast<size_t>(rate / 10));
    const auto gatedMean = [&](double gate) {
        double sum = 0;
        size_t count = 0;
        for (const double power : blocks) {
            if (Lufs(power) > gate) {
                sum += power;
                ++count;
            }
        }
        return count > 0 ? sum / static_cast<double>(count) : 0.0;
    };
    const double absolute = gatedMean(-70);
    return absolute > 0 ? Lufs(gatedMean(Lufs(absolute) - 10)) : Silence;
}

} // namespace qz
