#include "archive/Error.h"
#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "fx/NyxFXParticles.h"

#include <functional>
#include <gtest/gtest.h>

namespace qz::fx {
namespace {

std::unique_ptr<TNyxParticleEffect> LoadFile(const std::string& name) {
    TMemoryStream stream;
    stream.LoadFromFile(std::string(FX_TEST_DATA) + "/" + name);
    auto effect = std::make_unique<TNyxParticleEffect>();
    effect->LoadFromStream(stream);
    return effect;
}

std::unique_ptr<TNyxParticleEffect> LoadText(const std::string& text) {
    auto effect = std::make_unique<TNyxParticleEffect>();
    effect->LoadFromStream(TMemoryStream(text));
    return effect;
}

std::unique_ptr<TNyxParticleEffect> Occurrence(const TNyxParticleEffect& prototype, int32_t t) {
    auto copy = std::make_unique<TNyxParticleEffect>();
    EXPECT_TRUE(copy->Assign(&prototype));
    copy->Start(t);
    return copy;
}

std::string LoadError(const std::string& text) {
    try {
        LoadText(text);
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

// A minimal description around one <Particle> body and one system body.
std::string Effect(const std::string& particle, const std::string& system,
                   const std::string& morphs = "", const std::string& attributes = "") {
    return "<ParticleEffect Name=\"T\"" + attributes +
           "><Functions><Function Name=\"Go\" Dim=\"2\" Type=\"piecewise\"><Script>Set Linear; "
           "Path (0,0) (100,0);</Script></Function>"
           "<Function Name=\"One\" Dim=\"1\" Type=\"parabolic\"><P0>1</P0></Function>"
           "</Functions><Morphs><Morph Name=\"M\" Dim=\"2\"><Functions><Function Name=\"Go\"/>"
           "</Functions></Morph><Morph Name=\"S\" Dim=\"1\"><Functions><Function Name=\"One\"/>"
           "</Functions></Morph>" +
           morphs + "</Morphs><Particles><Particle Name=\"P\">" + particle +
           "</Particle></Particles><ParticleSystems><ParticleSystem Name=\"Sys\" "
           "Template=\"P\">" +
           system + "</ParticleSystem></ParticleSystems></ParticleEffect>";
}

TEST(ParticleEffect, LoadsDescriptionAndStandardParameters) {
    const auto effect = LoadFile("Staggered.xml");
    EXPECT_EQ(effect->Name(), "Staggered");
    EXPECT_FALSE(effect->HasLifetime);
    EXPECT_FALSE(effect->HasMinimum);
    ASSERT_EQ(effect->Templates.Count(), 1);
    const TNyxParticleTemplate& dot = *effect->Templates.Template(0);
    ASSERT_EQ(dot.ParamCount(), 6);
    const char* names[] = {"Position", "Alpha", "Color", "ColorValue", "Frame", "Size"};
    const int dims[] = {2, 1, 3, 1, 1, 2};
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(dot.Param(i).Name, names[i]);
        EXPECT_EQ(dot.Param(i).Dimension, dims[i]);
    }
    EXPECT_EQ(dot.Param(2).Default, (TVector3{255, 255, 255}));
    EXPECT_EQ(dot.Param(2).MorphIndex, -1);
    const TNyxParticleSystem& line = *effect->System(0);
    EXPECT_EQ(line.Template, &dot);
    EXPECT_TRUE(line.InitIntervalDivided);
    EXPECT_EQ(line.InitDivisor, 4);
    EXPECT_EQ(line.Resource, "Spark.png");
    EXPECT_EQ(line.FrameCount, 3);
    EXPECT_EQ(line.MaxParticles, 2147483647);

    const auto sparks = LoadFile("Sparks.xml");
    EXPECT_TRUE(sparks->HasLifetime);
    EXPECT_EQ(sparks->Lifetime, 1500);
    EXPECT_EQ(sparks->System(0)->ThrowInterval, 100);
    EXPECT_EQ(sparks->System(0)->MaxLifetime, 500);
    EXPECT_TRUE(sparks->Templates.Template(0)->Param(0).Cloned);
}

TEST(ParticleEffect, StaggeredInitialParticlesWithoutLifetime) {
    const auto prototype = LoadFile("Staggered.xml");
    const auto effect = Occurrence(*prototype, 1000);
    const TNyxParticleSystem& line = *effect->System(0);
    ASSERT_EQ(line.ParticleCount(), 4);
    for (int32_t k = 0; k < 4; ++k) {
        const TNyxParticle& particle = line.Particle(k);
        EXPECT_EQ(particle.Name(), "Dot" + std::to_string(k));
        EXPECT_EQ(particle.StartOffset, 500 * k);
        EXPECT_FLOAT_EQ(particle.Position()[0], 10 + 50.0f * k);
        EXPECT_FLOAT_EQ(particle.Position()[1], 20);
        EXPECT_FLOAT_EQ(particle.Alpha(), 1);
        EXPECT_EQ(particle.Color(), (TVector3{255, 255, 255}));
    }
    effect->Update(1500);
    EXPECT_FLOAT_EQ(line.Particle(3).Position()[0], 10 + 200);
    EXPECT_FLOAT_EQ(line.Particle(0).Alpha(), 0.75f);
    // Nothing ends an effect without lifetime or minimum.
    for (int32_t t = 2000; t < 200000; t += 10000) {
        effect->Update(t);
        EXPECT_FALSE(effect->Finished);
    }
    EXPECT_EQ(effect->LiveCount, 4);
    // The prototype is untouched.
    EXPECT_EQ(prototype->System(0)->ParticleCount(), 0);
}

TEST(ParticleEffect, ThrowsLifetimesAndSkippedThrows) {
    Random().Seed(42);
    const auto prototype = LoadFile("Sparks.xml");
    const auto effect = Occurrence(*prototype, 0);
    const TNyxParticleSystem& fountain = *effect->System(0);
    EXPECT_EQ(fountain.ParticleCount(), 0);
    effect->Update(50);
    EXPECT_EQ(fountain.ParticleCount(), 0);
    effect->Update(100);
    EXPECT_EQ(fountain.ParticleCount(), 3);
    effect->Update(200);
    EXPECT_EQ(fountain.ParticleCount(), 6);
    // 6 + 3 would pass the maximum of 7: the throw is skipped whole.
    effect->Update(300);
    EXPECT_EQ(fountain.ParticleCount(), 6);
    EXPECT_EQ(effect->LiveCount, 6);
    // The first three are older than 0.5 s at 601 and go; three more are thrown.
    effect->Update(601);
    EXPECT_EQ(fountain.ParticleCount(), 6);
    EXPECT_EQ(fountain.Particle(0).BirthTime, 200);
    EXPECT_EQ(fountain.Particle(5).BirthTime, 601);
    EXPECT_FALSE(effect->Finished);
    effect->Update(1500);
    EXPECT_FALSE(effect->Finished);
    effect->Update(1501);
    EXPECT_TRUE(effect->Finished);
}

TEST(ParticleEffect, RandomRangesConstantsAndReadOut) {
    Random().Seed(3);
    const auto prototype = LoadFile("Sparks.xml");
    const auto effect = Occurrence(*prototype, 0);
    effect->Update(100);
    const TNyxParticleSystem& fountain = *effect->System(0);
    ASSERT_EQ(fountain.ParticleCount(), 3);
    std::vector<float> xs;
    for (int32_t k = 0; k < 3; ++k) {
        const TNyxParticle& spark = fountain.Particle(k);
        const TVector3 at = spark.Position();
        EXPECT_GE(at[0], 0);
        EXPECT_LT(at[0], 100);
        EXPECT_GE(at[1], 0);
        EXPECT_LT(at[1], 50);
        xs.push_back(at[0]);
        EXPECT_EQ(spark.Color(), (TVector3{255, 128, 0}));
        EXPECT_NEAR(spark.Alpha(), 0.5f, 1e-5);
        EXPECT_EQ(spark.Frame(), 0);
    }
    EXPECT_NE(xs[0], xs[1]);
    // Each spark flies from its own start: 1 s later its height has grown by 100 - 50.
    const float startY = fountain.Particle(0).Position()[1];
    effect->Update(350);
    EXPECT_NEAR(fountain.Particle(0).Position()[1], startY + 0.25f * 100 - 0.0625f * 50, 1e-3);
    EXPECT_EQ(fountain.Particle(0).Frame(), 2);
    EXPECT_NEAR(fountain.Particle(0).Alpha(), 1.0f, 1e-4);

    // A constant puts every particle at the same place.
    const auto constant = LoadText(Effect(
        "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\" ClonedMorph=\"true\"><InitMorphs>"
        "<InitMorph Name=\"M\"><Property Name=\"Position\">5,7</Property></InitMorph>"
        "</InitMorphs></Parameter>",
        "<InitParticles>3</InitParticles>"));
    const auto copy = Occurrence(*constant, 0);
    for (int32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(copy->System(0)->Particle(k).Position(), (TVector3{5, 7, 0}));
    }
    // ".." at the second or third character is no range: the vector conversion fails.
    EXPECT_EQ(LoadError(Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"><InitMorphs>"
                               "<InitMorph Name=\"M\"><Property Name=\"Position\">1..5</Property>"
                               "</InitMorph></InitMorphs></Parameter>",
                               "")),
              "'1..5' is not a valid floating point value");
}

TEST(ParticleEffect, LiveRangeUsesParameterDimensionAndMinimumKeepsParticles) {
    const auto prototype = LoadFile("Bursts.xml");
    const auto effect = Occurrence(*prototype, 0);
    const TNyxParticleSystem& puffs = *effect->System(0);
    ASSERT_EQ(puffs.ParticleCount(), 1);
    // y is far outside 0..10 but the parameter has one component.
    effect->Update(200);
    EXPECT_EQ(puffs.ParticleCount(), 1);
    effect->Update(300);
    EXPECT_EQ(puffs.ParticleCount(), 3);
    effect->Update(320);
    EXPECT_EQ(puffs.ParticleCount(), 3);
    effect->Update(350);
    EXPECT_EQ(puffs.ParticleCount(), 5);
    // The emission pauses from 350 to 650.
    effect->Update(600);
    EXPECT_EQ(puffs.ParticleCount(), 5);
    // The first particle leaves the strip (x > 60.5) and is removed.
    effect->Update(606);
    EXPECT_EQ(puffs.ParticleCount(), 4);
    EXPECT_FALSE(effect->Finished);
    effect->Update(650);
    EXPECT_EQ(puffs.ParticleCount(), 6);

    // With a minimum equal to the count, dead and over-age particles stay.
    const auto kept = LoadText(Effect(
        "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"><LiveValue>(0,0)-(10,10)</LiveValue>"
        "</Parameter>",
        "<InitParticles>2</InitParticles><MinParticles>2</MinParticles>"
        "<MaxLifetime>0.1</MaxLifetime>",
        "", " MinParticles=\"3\""));
    const auto keptCopy = Occurrence(*kept, 0);
    keptCopy->Update(900);
    EXPECT_EQ(keptCopy->System(0)->ParticleCount(), 2);
    EXPECT_TRUE(keptCopy->System(0)->Particle(0).Dead);
    EXPECT_EQ(keptCopy->LiveCount, 2);
    EXPECT_TRUE(keptCopy->Finished);
}

TEST(ParticleEffect, UnsafeSettingsStaySafe) {
    // MaxParticles 0 throws the initial particles and nothing after them.
    const auto none = LoadText(Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"/>",
                                      "<InitParticles>5</InitParticles><MaxParticles>0"
                                      "</MaxParticles><ThrowInterval>0.01</ThrowInterval>"
                                      "<ParticlesPerThrow>2</ParticlesPerThrow>"));
    const auto noneCopy = Occurrence(*none, 0);
    EXPECT_EQ(noneCopy->System(0)->ParticleCount(), 5);
    for (int32_t t = 0; t <= 100; t += 10) {
        noneCopy->Update(t);
        EXPECT_LE(noneCopy->System(0)->ParticleCount(), 5) << t;
    }

    // A zero or negative divisor gives no staggering.
    for (const char* divisor : {"/0", "/-2", "/x"}) {
        const std::string system = std::string("<InitParticles>3</InitParticles><InitInterval>") +
                                   divisor + "</InitInterval>";
        if (std::string(divisor) == "/x") {
            EXPECT_EQ(
                LoadError(Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"/>", system)),
                "'x' is not a valid integer value");
            continue;
        }
        const auto effect =
            LoadText(Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"/>", system));
        const auto copy = Occurrence(*effect, 0);
        ASSERT_EQ(copy->System(0)->ParticleCount(), 3);
        EXPECT_EQ(copy->System(0)->Particle(2).StartOffset, 0) << divisor;
    }

    // A morph naming itself, and a zero-length looping path, load and run.
    const auto self = LoadText(
        Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"Loop\"><InitMorphs><InitMorph "
               "Name=\"Loop\"><Property Name=\"StartTime\">Loop</Property></InitMorph></InitMorphs>"
               "</Parameter>",
               "<InitParticles>2</InitParticles><ThrowInterval>0.01</ThrowInterval>"
               "<ParticlesPerThrow>1</ParticlesPerThrow>",
               "<Morph Name=\"Loop\" Dim=\"2\"><Functions><Function Name=\"Go\"/></Functions>"
               "<Properties><Property Name=\"Position\">Loop</Property><Property "
               "Name=\"Scale\">Loop</Property></Properties></Morph>"));
    const auto selfCopy = Occurrence(*self, 0);
    for (int32_t t = 0; t <= 200; t += 20) {
        selfCopy->Update(t);
    }
    EXPECT_EQ(selfCopy->LiveCount, 12);
}

TEST(ParticleEffect, LibraryInitMorphsAndSorting) {
    // The library entry (S) sorts before the collected one (M); M's position reads S's
    // initialised copy, whose Position was set to 40 first.
    const auto effect = LoadText(Effect(
        "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\" ClonedMorph=\"true\"><InitMorphs>"
        "<InitMorph Name=\"M\"><Property Name=\"Go.Weight\">S</Property></InitMorph>"
        "<InitMorph Name=\"S\"><Property Name=\"Position\">40</Property></InitMorph>"
        "</InitMorphs></Parameter>",
        "<InitParticles>1</InitParticles>"));
    const TNyxParticleParamType& param = effect->Templates.Template(0)->Param(0);
    ASSERT_EQ(param.Inits.size(), 2u);
    EXPECT_FALSE(param.Inits[0].InList);
    EXPECT_TRUE(param.Inits[1].InList);
    EXPECT_EQ(param.Inits[1].Properties[0].Source, isEntryCopy);
    const auto copy = Occurrence(*effect, 0);
    copy->Update(500);
    EXPECT_FLOAT_EQ(copy->System(0)->Particle(0).Position()[0], 50 * 41);
}

TEST(ParticleEffect, DescriptionErrors) {
    EXPECT_EQ(LoadError(""), "Invalid effect XML stream");
    EXPECT_EQ(LoadError("<Other/>"),
              "Effect \"NyxParticleEffect_Default\" XML description has no <ParticleEffect> tag");
    EXPECT_EQ(LoadError("<ParticleEffect/>"), "Tag <ParticleEffect> has no \"Name\" attribute");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"/>"),
              "Effect \"E\" XML description has no <Functions> tag");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"><Functions/></ParticleEffect>"),
              "Effect \"E\" XML description has no <Morphs> tag");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"><Functions/><Morphs/></ParticleEffect>"),
              "Effect \"E\" XML description has no <Particles> tag");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"><Functions/><Morphs/><Particles/>"
                        "</ParticleEffect>"),
              "Effect \"E\" XML description has no <ParticleSystems> tag");
    EXPECT_EQ(LoadError(Effect("", "", "<Morph Dim=\"1\"/>")),
              "<Morph> tag has no \"Name\" attribute");
    EXPECT_EQ(LoadError(Effect("", "", "<Morph Name=\"X\"/>")),
              "<Morph> tag has no \"Dim\" attribute");
    EXPECT_EQ(LoadError(Effect("<Param/>", "")), "<Particle> tag contains invalid tag \"Param\"");
    EXPECT_EQ(LoadError(Effect("<Parameter Dim=\"1\"/>", "")),
              "<Parameter> tag has no \"Name\" attribute");
    EXPECT_EQ(LoadError(Effect("<Parameter Name=\"Alpha\"/>", "")),
              "<Parameter> tag has no \"Dim\" attribute");
    EXPECT_EQ(LoadError(Effect("<Parameter Name=\"Alpha\" Dim=\"1\"/>", "")),
              "<Parameter> tag has no \"Morph\" attribute");
    EXPECT_EQ(LoadError(Effect("<Parameter Name=\"Alpha\" Dim=\"1\" Morph=\"Q\"/>", "")),
              "<Parameter> tag \"Morph\" attribute contains unknown Morph name \"Q\"");
    const auto withInit = [](const std::string& inits) {
        return Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"><InitMorphs>" + inits +
                          "</InitMorphs></Parameter>",
                      "");
    };
    EXPECT_EQ(LoadError(withInit("<Init/>")), "<InitMorphs> tag contains invalid tag \"Init\"");
    EXPECT_EQ(LoadError(withInit("<InitMorph/>")), "<InitMorph> tag has no \"Name\" attribute");
    EXPECT_EQ(LoadError(withInit("<InitMorph Name=\"Z\"/>")),
              "<InitMorph> tag \"Name\" attribute contains unknown Morph name \"Z\"");
    EXPECT_EQ(LoadError(withInit("<InitMorph Name=\"M\"><Prop/></InitMorph>")),
              "<InitMorph> tag contains invalid tag <Prop>");
    EXPECT_EQ(LoadError(withInit("<InitMorph Name=\"M\"><Property/></InitMorph>")),
              "<Property> tag has no \"Name\" attribute");
    EXPECT_EQ(LoadError(withInit("<InitMorph Name=\"M\"><Property Name=\"Go\">1</Property>"
                                 "</InitMorph>")),
              "<Property> tag \"Name\" attribute has invalid value \"Go\"");
    EXPECT_EQ(LoadError(withInit("<InitMorph Name=\"M\"><Property Name=\"No.Weight\">1"
                                 "</Property></InitMorph>")),
              "<Property> tag \"Name\" attribute value \"No.Weight\" contains unknown Function "
              "name");
    EXPECT_EQ(LoadError(withInit("<InitMorph Name=\"M\"><Property Name=\"Go.Speed\">1"
                                 "</Property></InitMorph>")),
              "<Property> tag \"Name\" attribute value \"Go.Speed\" contains unknown parameter "
              "name");
    EXPECT_EQ(LoadError(Effect("<Parameter Name=\"Position\" Dim=\"2\" Morph=\"M\"><LiveValue>"
                               "(0,0)(1,1)</LiveValue></Parameter>",
                               "")),
              "<LiveValue> tag value \"(0,0)(1,1)\" has invalid syntax");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"><Functions/><Morphs/><Particles/>"
                        "<ParticleSystems><ParticleSystem/></ParticleSystems></ParticleEffect>"),
              "<ParticleSystem> tag has no \"Name\" attribute");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"><Functions/><Morphs/><Particles/>"
                        "<ParticleSystems><ParticleSystem Name=\"S\"/></ParticleSystems>"
                        "</ParticleEffect>"),
              "<ParticleSystem> tag has no \"Template\" attribute");
    EXPECT_EQ(LoadError("<ParticleEffect Name=\"E\"><Functions/><Morphs/><Particles><Particle/>"
                        "</Particles></ParticleEffect>"),
              "<Particle> tag has no \"Name\" attribute");
    // A system bound to a missing template throws nothing and never fails an update.
    const auto orphan = LoadText("<ParticleEffect Name=\"E\"><Functions/><Morphs/><Particles/>"
                                 "<ParticleSystems><ParticleSystem Name=\"S\" Template=\"None\">"
                                 "<InitParticles>3</InitParticles></ParticleSystem>"
                                 "</ParticleSystems></ParticleEffect>");
    const auto orphanCopy = Occurrence(*orphan, 0);
    orphanCopy->Update(100);
    EXPECT_EQ(orphanCopy->LiveCount, 0);
}

} // namespace
} // namespace qz::fx
