// fx-trace: runs an effect description the way the game does (a copy started at 0, updated
// every step) and prints every particle's drawing values, for effect designers.

#include "Commands.h"
#include "archive/Helpers.h"
#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "fx/NyxFXParticles.h"

#include <cstdio>
#include <optional>

namespace qz::tool {

namespace {

int32_t PositiveOption(const std::string& text, bool allowZero) {
    const std::optional<int32_t> value = TryStrToInt(text);
    if (!value || *value < 0 || (*value == 0 && !allowZero)) {
        throw UsageError{};
    }
    return *value;
}

} // namespace

int RunFxTrace(const Arguments& arguments) {
    std::string file;
    std::optional<int32_t> until;
    std::optional<int32_t> step;
    uint64_t seed = 1;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (word == "--until" && hasValue) {
            until = PositiveOption(arguments[++i], true);
        } else if (word == "--step" && hasValue) {
            step = PositiveOption(arguments[++i], false);
        } else if (word == "--seed" && hasValue) {
            const std::optional<int64_t> value = TryStrToInt64(arguments[++i]);
            if (!value) {
                throw UsageError{};
            }
            seed = static_cast<uint64_t>(*value);
        } else if (file.empty() && !word.starts_with("--")) {
            file = word;
        } else {
            throw UsageError{};
        }
    }
    if (file.empty() || !until || !step) {
        throw UsageError{};
    }

    TMemoryStream stream;
    stream.LoadFromFile(file);
    fx::TNyxParticleEffect prototype;
    prototype.LoadFromStream(stream);
    Random().Seed(seed);
    fx::TNyxParticleEffect effect;
    effect.Assign(&prototype);
    effect.Start(0);
    for (int64_t t = 0; t <= *until; t += *step) {
        effect.Update(static_cast<int32_t>(t));
        std::printf("t=%lld live=%d finished=%d\n", static_cast<long long>(t), effect.LiveCount,
                    effect.Finished ? 1 : 0);
        for (int32_t s = 0; s < effect.SystemCount(); ++s) {
            const fx::TNyxParticleSystem* system = effect.System(s);
            if (system == nullptr) {
                continue;
            }
            for (int32_t p = 0; p < system->ParticleCount(); ++p) {
                const fx::TNyxParticle& particle = system->Particle(p);
                const fx::TVector3 position = particle.Position();
                const fx::TVector3 color = particle.Color();
                std::printf("  %s/%d %.3f %.3f %.3f %.3f %.3f %.3f %.3f %d\n",
                            system->Name().c_str(), p, position[0], position[1], particle.Alpha(),
                            color[0], color[1], color[2], particle.ColorValue(), particle.Frame());
            }
        }
    }
    return 0;
}

} // namespace qz::tool
