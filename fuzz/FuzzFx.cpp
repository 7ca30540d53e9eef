// Loads random effect descriptions and path scripts and runs them for a while; a loader
// error (qz::Error) is an expected outcome, anything else is a finding.

#include "archive/Error.h"
#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "fx/NyxFXParticles.h"
#include "fx/NyxPiecewiseFunc.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace qz::fx;

// Keeps one input's particle count within what a fuzzing run can hold in memory.
bool Bounded(const TNyxParticleEffect& effect) {
    for (int32_t i = 0; i < effect.SystemCount(); ++i) {
        const TNyxParticleSystem* system = effect.System(i);
        if (system != nullptr && (system->InitParticles > 200 || system->ParticlesPerThrow > 200)) {
            return false;
        }
    }
    return true;
}

void RunScript(const std::string& text) {
    TNyxPiecewiseFunc path;
    path.SetDimension(static_cast<int32_t>(text.size() % 3) + 1);
    path.SetScript(text);
    for (int64_t t = -1000; t < 5000; t += 37) {
        path.GetValue(t);
    }
    path.SmoothPoint(1, 0.5f, -0.5f, 1.5f, 0.5f);
    path.MovePoint(2, 1, 2, 3);
    path.GetValue(1234);
}

void RunEffect(const std::string& text, uint8_t step) {
    TNyxParticleEffect prototype;
    prototype.LoadFromStream(qz::TMemoryStream(text));
    if (!Bounded(prototype)) {
        return;
    }
    TNyxParticleEffect effect;
    effect.Assign(&prototype);
    effect.Start(1000);
    const int32_t increment = 1 + step % 64;
    for (int32_t frame = 0; frame < 60 && effect.LiveCount < 5000; ++frame) {
        effect.Update(1000 + frame * increment);
    }
    TNyxParticleEffect again;
    again.Assign(&effect);
    again.Update(5000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    qz::Random().Seed(data[0]);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    try {
        if (data[1] % 4 == 0) {
            RunScript(text);
        } else {
            RunEffect(text, data[1]);
        }
    } catch (const qz::Error&) {
    }
    return 0;
}
