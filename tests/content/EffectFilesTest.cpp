// The shipped effect descriptions: every one loads with the game's effect loader, holds the
// functions and systems the game addresses by name, and runs as the game runs it.

#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "fx/NyxFXParticles.h"
#include "fx/NyxPiecewiseFunc.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qz {
namespace {

using fx::TNyxParticleEffect;
using fx::TNyxPiecewiseFunc;
using fx::TVector3;

const std::string FxDir = QUARZEL_DATA_DIR "/fx/";

// The effects the game loads at preparation, in its order.
const std::vector<std::string> GameEffects = {
    "contour.xml",        "BossContour.xml",        "BossPreventEffect.xml",
    "BossTextEffect.xml", "ShiftEffect.xml",        "ShuffleEffect.xml",
    "SwapEffect.xml",     "BossDieEffect.xml",      "BossDieParticlesEffect.xml",
    "BonusBomb.xml",      "BonusCoin.xml",          "GiveBonus.xml",
    "GiveBonusBomb.xml",  "GiveBonusColorBomb.xml", "ScoreTextEffect.xml",
    "ClickHereEffect.xml"};

// Marks on crystals and the pointing effect run until the game drops them.
const std::set<std::string> EndlessEffects = {"BonusBomb.xml", "BonusCoin.xml",
                                              "ClickHereEffect.xml"};

// A tick as the game sees it, far from zero.
constexpr int32_t StartTick = 7654321;

// The outline of a 100 x 100 square as the game writes an outline path: offsets from the
// reference point, the first point repeated.
const std::string SquareOutline = " Path (-50,-50) (50,-50) (50,50) (-50,50) (-50,-50);";

std::unique_ptr<TNyxParticleEffect> LoadPrototype(const std::string& file) {
    TMemoryStream stream;
    stream.LoadFromFile(FxDir + file);
    auto effect = std::make_unique<TNyxParticleEffect>();
    effect->LoadFromStream(stream);
    return effect;
}

std::unique_ptr<TNyxParticleEffect> CopyOf(const TNyxParticleEffect& prototype) {
    auto copy = std::make_unique<TNyxParticleEffect>();
    EXPECT_TRUE(copy->Assign(&prototype));
    return copy;
}

TNyxPiecewiseFunc* Piecewise(const TNyxParticleEffect& effect, const std::string& name) {
    return dynamic_cast<TNyxPiecewiseFunc*>(effect.Functions.Get(effect.Functions.IndexOf(name)));
}

bool HasSystem(const TNyxParticleEffect& effect, const std::string& name) {
    return effect.Systems.System(effect.Systems.IndexOf(name)) != nullptr;
}

struct TReadOut {
    TVector3 Position;
    float Alpha = 0;
    TVector3 Color;
    float ColorValue = 0;
};

std::vector<TReadOut> Particles(const TNyxParticleEffect& effect) {
    std::vector<TReadOut> out;
    for (int32_t s = 0; s < effect.SystemCount(); ++s) {
        const fx::TNyxParticleSystem* system = effect.System(s);
        for (int32_t p = 0; system != nullptr && p < system->ParticleCount(); ++p) {
            const fx::TNyxParticle& particle = system->Particle(p);
            out.push_back(
                {particle.Position(), particle.Alpha(), particle.Color(), particle.ColorValue()});
        }
    }
    return out;
}

// Distance from p to the outline of the square SquareOutline draws, shifted up by rise.
float DistanceToSquare(const TVector3& p, float rise) {
    const float x = std::abs(p[0]);
    const float y = std::abs(p[1] - rise);
    if (x <= 50 && y <= 50) {
        return std::min(50 - x, 50 - y);
    }
    return std::hypot(std::max(x - 50, 0.0f), std::max(y - 50, 0.0f));
}

// What the game does before starting a copy: the outline effects get the outline as the
// path of their "FContour", the flights their flight script.
void PrepareAsTheGame(const std::string& file, TNyxParticleEffect& effect) {
    TNyxPiecewiseFunc* contour = Piecewise(effect, "FContour");
    if (file == "contour.xml" || file == "BossContour.xml") {
        contour->SetScript(SquareOutline);
    } else if (file == "SwapEffect.xml") {
        contour->SetScript("Set Bezier; Set Timing 0.15; Path (688,356) (500,300) (300,200); "
                           "Ending Stop;");
    }
}

TEST(EffectFiles, TheShippedFilesAreTheGamesEffectsAndLoad) {
    std::set<std::string> shipped;
    for (const auto& entry : std::filesystem::directory_iterator(FxDir)) {
        if (entry.path().extension() == ".xml") {
            shipped.insert(entry.path().filename().string());
        }
    }
    EXPECT_EQ(shipped, std::set<std::string>(GameEffects.begin(), GameEffects.end()));
    for (const std::string& file : shipped) {
        SCOPED_TRACE(file);
        std::unique_ptr<TNyxParticleEffect> effect;
        ASSERT_NO_THROW(effect = LoadPrototype(file));
        EXPECT_EQ(effect->Name() + ".xml", file);
        EXPECT_GT(effect->SystemCount(), 0);
        EXPECT_EQ(effect->HasLifetime, EndlessEffects.count(file) == 0);
        for (int32_t s = 0; s < effect->SystemCount(); ++s) {
            EXPECT_NE(effect->System(s)->Template, nullptr) << effect->System(s)->Name();
        }
    }
}

TEST(EffectFiles, HoldTheFunctionsAndSystemsTheGameAddresses) {
    const auto contour = LoadPrototype("contour.xml");
    TNyxPiecewiseFunc* position = Piecewise(*contour, "FPosition");
    ASSERT_NE(position, nullptr);
    ASSERT_GT(position->PieceCount(), 0);
    // The rise of removed crystals: the last point, whichever component is read.
    const TVector3 last = position->GetPiece(position->PieceCount() - 1).P[3];
    EXPECT_EQ(std::lround(last[0]), 30);
    EXPECT_EQ(std::lround(last[1]), 30);
    EXPECT_EQ(std::lround(position->GetValue(position->TotalDuration())[1]), 30);

    for (const std::string file : {"contour.xml", "BossContour.xml", "SwapEffect.xml"}) {
        SCOPED_TRACE(file);
        const auto effect = LoadPrototype(file);
        TNyxPiecewiseFunc* path = Piecewise(*effect, "FContour");
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(path->Dimension(), 2);
        // Empty, so the game's points are the whole path and number from 1 as it counts them.
        EXPECT_EQ(path->PieceCount(), 0);
        EXPECT_TRUE(HasSystem(*effect, "SContour"));
    }
}

TEST(EffectFiles, EveryEffectRunsAndAnimates) {
    for (const std::string& file : GameEffects) {
        SCOPED_TRACE(file);
        Random().Seed(7);
        const auto prototype = LoadPrototype(file);
        const auto effect = CopyOf(*prototype);
        PrepareAsTheGame(file, *effect);
        effect->Start(StartTick);
        effect->Update(StartTick);
        const std::vector<TReadOut> first = Particles(*effect);
        EXPECT_GT(effect->LiveCount, 0);
        bool moved = false;
        bool faded = false;
        bool tinted = false;
        int32_t elapsed = 0;
        while (!effect->Finished && elapsed < 10000) {
            elapsed += 20;
            effect->Update(StartTick + elapsed);
            const std::vector<TReadOut> now = Particles(*effect);
            for (size_t i = 0; i < now.size(); ++i) {
                const TReadOut& p = now[i];
                ASSERT_TRUE(std::isfinite(p.Position[0]) && std::isfinite(p.Position[1]));
                ASSERT_GE(p.Alpha, -1e-4f);
                ASSERT_LE(p.Alpha, 1 + 1e-4f);
                ASSERT_GE(p.ColorValue, -1e-4f);
                ASSERT_LE(p.ColorValue, 1 + 1e-4f);
                for (size_t k = 0; k < 3; ++k) {
                    ASSERT_GE(p.Color[k], 0);
                    ASSERT_LE(p.Color[k], 255);
                }
                tinted = tinted || p.ColorValue > 0;
                if (i < first.size()) {
                    moved = moved || std::abs(p.Position[0] - first[i].Position[0]) > 1 ||
                            std::abs(p.Position[1] - first[i].Position[1]) > 1;
                    faded = faded || std::abs(p.Alpha - first[i].Alpha) > 0.05f ||
                            std::abs(p.ColorValue - first[i].ColorValue) > 0.05f;
                }
            }
        }
        EXPECT_TRUE(moved || faded) << "nothing changes";
        if (EndlessEffects.count(file) != 0) {
            EXPECT_FALSE(effect->Finished);
            EXPECT_GT(effect->LiveCount, 0);
        } else {
            EXPECT_TRUE(effect->Finished);
            EXPECT_EQ(elapsed, (prototype->Lifetime / 20 + 1) * 20);
        }
        // Effects that tint name their colour; untinted particles keep white.
        if (!tinted) {
            for (const TReadOut& p : Particles(*effect)) {
                EXPECT_EQ(p.Color, (TVector3{255, 255, 255}));
            }
        }
    }
}

TEST(EffectFiles, OutlineSparksSpreadAlongTheOutlineAndRiseWithTheCrystals) {
    Random().Seed(3);
    const auto prototype = LoadPrototype("contour.xml");
    const auto effect = CopyOf(*prototype);
    Piecewise(*effect, "FContour")->SetScript(SquareOutline);
    effect->Start(StartTick);
    effect->Update(StartTick);
    const std::vector<TReadOut> start = Particles(*effect);
    ASSERT_EQ(start.size(), 16u);
    std::set<std::pair<long, long>> places;
    for (const TReadOut& p : start) {
        EXPECT_LT(DistanceToSquare(p.Position, 0), 0.5f);
        places.insert({std::lround(p.Position[0]), std::lround(p.Position[1])});
    }
    // 400 px of outline shared by 16 sparks: 25 px apart, none on top of another.
    EXPECT_EQ(places.size(), 16u);

    effect->Update(StartTick + 500);
    for (const TReadOut& p : Particles(*effect)) {
        EXPECT_LT(DistanceToSquare(p.Position, 15), 0.5f);
        EXPECT_GT(p.Alpha, 0.5f);
    }
    effect->Update(StartTick + 1000);
    for (const TReadOut& p : Particles(*effect)) {
        EXPECT_LT(DistanceToSquare(p.Position, 30), 0.5f);
        EXPECT_LT(p.Alpha, 0.01f);
    }

    // The boss's outline runs the same way, without rising.
    const auto boss = CopyOf(*LoadPrototype("BossContour.xml"));
    Piecewise(*boss, "FContour")->SetScript(SquareOutline);
    boss->Start(StartTick);
    for (const int32_t t : {0, 300, 900}) {
        boss->Update(StartTick + t);
        for (const TReadOut& p : Particles(*boss)) {
            EXPECT_LT(DistanceToSquare(p.Position, 0), 0.5f) << t;
        }
    }
}

TEST(EffectFiles, AFlightFollowsItsPathAndItsMovedEnd) {
    const auto effect = CopyOf(*LoadPrototype("SwapEffect.xml"));
    TNyxPiecewiseFunc* path = Piecewise(*effect, "FContour");
    path->SetScript("Set Linear; Set Timing 0.3; Path (688,356) (300,200); Ending Stop;");
    effect->Start(StartTick);
    effect->Update(StartTick);
    ASSERT_EQ(Particles(*effect).size(), 1u);
    EXPECT_EQ(Particles(*effect)[0].Position, (TVector3{688, 356, 0}));
    EXPECT_FLOAT_EQ(Particles(*effect)[0].Alpha, 1);
    effect->Update(StartTick + 150);
    EXPECT_NEAR(Particles(*effect)[0].Position[0], 494, 0.01);
    EXPECT_NEAR(Particles(*effect)[0].Position[1], 278, 0.01);
    // The pointer moved: the game moves the last point (point 2 of a straight flight).
    path->MovePoint(2, 420, 100, 0);
    effect->Update(StartTick + 300);
    EXPECT_NEAR(Particles(*effect)[0].Position[0], 420, 0.01);
    EXPECT_NEAR(Particles(*effect)[0].Position[1], 100, 0.01);
    EXPECT_FALSE(effect->Finished);
    effect->Update(StartTick + 301);
    EXPECT_TRUE(effect->Finished);
}

TEST(EffectFiles, TheBossPreventionHandsTheBossBackUntouched) {
    // The boss picture is hidden while the prevention shows it, so the effect starts and
    // ends with the picture in place, opaque and untinted.
    const auto prototype = LoadPrototype("BossPreventEffect.xml");
    const auto effect = CopyOf(*prototype);
    effect->Start(StartTick);
    bool shook = false;
    bool flashed = false;
    for (int32_t t = 0; t <= prototype->Lifetime; t += 10) {
        effect->Update(StartTick + t);
        const std::vector<TReadOut> now = Particles(*effect);
        ASSERT_EQ(now.size(), 1u);
        EXPECT_FLOAT_EQ(now[0].Alpha, 1);
        shook = shook || std::abs(now[0].Position[0]) > 2;
        flashed = flashed || now[0].ColorValue < 0.5f;
        if (t == 0 || t == prototype->Lifetime) {
            EXPECT_LT(std::abs(now[0].Position[0]) + std::abs(now[0].Position[1]), 0.5f) << t;
            // Colour strength round((1 - value) * 255) stays at the smallest, 1.
            EXPECT_LE(std::lround((1 - now[0].ColorValue) * 255), 1) << t;
        }
    }
    EXPECT_TRUE(shook);
    EXPECT_TRUE(flashed);
}

} // namespace
} // namespace qz
