// One frame of effect updates on a busy screen: 50 running occurrences of each of several
// effect descriptions, about 2,000 live particles in all.

#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "fx/NyxFXParticles.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace qz::fx;

// Twenty sparks on a looping Bezier path with a blinking alpha and a cloned, randomly
// placed position; the other keeps twenty motes thrown and removed continuously.
const char* const Descriptions[] = {
    R"(<ParticleEffect Name="Orbit"><Functions>
<Function Name="Ring" Dim="2" Type="piecewise"><Script>Set Bezier; Set Timing 0.5;
Path (0,0) (40,40) (80,0) (40,-40) (0,0); Ending Loop;</Script></Function>
<Function Name="Blink" Dim="1" Type="periodic"><XParam>g1=0.5; a1=6.28; c=0.5</XParam></Function>
</Functions><Morphs>
<Morph Name="Around" Dim="2"><Functions><Function Name="Ring"/></Functions></Morph>
<Morph Name="Glow" Dim="1"><Functions><Function Name="Blink"/></Functions></Morph>
</Morphs><Particles><Particle Name="Spark">
<Parameter Name="Position" Dim="2" Morph="Around" ClonedMorph="true"><InitMorphs>
<InitMorph Name="Around"><Property Name="Position">(0,0)..(400,300)</Property></InitMorph>
</InitMorphs></Parameter>
<Parameter Name="Alpha" Dim="1" Morph="Glow"/>
<Parameter Name="ColorValue" Dim="1" Morph="Glow"/>
</Particle></Particles><ParticleSystems>
<ParticleSystem Name="Sparks" Template="Spark"><InitParticles>20</InitParticles>
<InitInterval>/20</InitInterval></ParticleSystem>
</ParticleSystems></ParticleEffect>)",
    R"(<ParticleEffect Name="Fountain"><Functions>
<Function Name="Rise" Dim="2" Type="parabolic"><V0>10,120</V0><A>0,-60</A></Function>
<Function Name="Fade" Dim="1" Type="piecewise"><Script>Set Linear; Path (1) (0);</Script></Function>
<Function Name="Frames" Dim="1" Type="piecewise"><Script>Set Linear; Path (0) (7); Ending Loop;</Script></Function>
</Functions><Morphs>
<Morph Name="Up" Dim="2"><Functions><Function Name="Rise"/></Functions></Morph>
<Morph Name="Out" Dim="1"><Functions><Function Name="Fade"/></Functions></Morph>
<Morph Name="Anim" Dim="1"><Functions><Function Name="Frames"/></Functions></Morph>
</Morphs><Particles><Particle Name="Mote">
<Parameter Name="Position" Dim="2" Morph="Up"/>
<Parameter Name="Alpha" Dim="1" Morph="Out"/>
<Parameter Name="Frame" Dim="1" Morph="Anim"/>
</Particle></Particles><ParticleSystems>
<ParticleSystem Name="Jet" Template="Mote"><InitParticles>20</InitParticles>
<MaxParticles>20</MaxParticles><MaxLifetime>1</MaxLifetime><ThrowInterval>0.05</ThrowInterval>
<ParticlesPerThrow>1</ParticlesPerThrow></ParticleSystem>
</ParticleSystems></ParticleEffect>)",
};

void BM_EffectFrame(benchmark::State& state) {
    qz::Random().Seed(1);
    std::vector<std::unique_ptr<TNyxParticleEffect>> prototypes;
    for (const char* text : Descriptions) {
        prototypes.push_back(std::make_unique<TNyxParticleEffect>());
        prototypes.back()->LoadFromStream(qz::TMemoryStream(text));
    }
    std::vector<std::unique_ptr<TNyxParticleEffect>> running;
    for (const auto& prototype : prototypes) {
        for (int i = 0; i < 50; ++i) {
            running.push_back(std::make_unique<TNyxParticleEffect>());
            running.back()->Assign(prototype.get());
            running.back()->Start(i * 7);
        }
    }
    int32_t now = 1000;
    int64_t live = 0;
    for (auto _ : state) {
        now += 16;
        live = 0;
        for (const auto& effect : running) {
            effect->Update(now);
            live += effect->LiveCount;
        }
        benchmark::DoNotOptimize(live);
    }
    state.counters["live"] = static_cast<double>(live);
}
BENCHMARK(BM_EffectFrame)->Unit(benchmark::kMicrosecond);

} // namespace
