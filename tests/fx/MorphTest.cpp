#include "archive/Error.h"
#include "archive/Random.h"
#include "fx/NyxMorph.h"
#include "fx/NyxPiecewiseFunc.h"
#include "xml/NyxParser.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

namespace qz::fx {
namespace {

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

// A function library with a linear path "Line" (0,0) to (100,0) over 1000 ms and a morph
// library, both private to the test.
class MorphTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto line = std::make_unique<TNyxPiecewiseFunc>();
        line->SetName("Line");
        line->SetScript("Set Linear; Path (0,0) (100,0);");
        funcs.Add(std::move(line));
        auto still = std::make_unique<TNyxParabolicFunc>();
        still->SetName("Still");
        still->P0 = {5, 7, 0};
        funcs.Add(std::move(still));
    }

    TNyxMorph* NewMorph(const std::string& name, int dimension = 2) {
        auto morph = std::make_unique<TNyxMorph>();
        morph->SetName(name);
        morph->SetDimension(dimension);
        morph->BindLibraries(&funcs, &morphs);
        TNyxMorph* result = morph.get();
        morphs.Add(std::move(morph));
        return result;
    }

    // Reads <Morph>...</Morph> children from text.
    void Read(TNyxMorph& morph, const std::string& children) {
        TNyxParser parser;
        parser.LoadFromStream(
            TMemoryStream("<Morph Name=\"M\" Dim=\"2\">" + children + "</Morph>"));
        const TNyxXMLTag* tag = parser.FindTag("Morph");
        ASSERT_NE(tag, nullptr);
        morph.ReadXML(*tag);
    }

    TNyxMorphFuncLib funcs;
    TNyxMorphLib morphs;
};

TEST_F(MorphTest, WeightTwoAndPosition) {
    TNyxMorph* morph = NewMorph("Fly");
    Read(*morph, "<Functions><Function Name=\"line\" Weight=\"2\"/></Functions>"
                 "<Properties><Property Name=\"Position\">10,10</Property></Properties>");
    ASSERT_EQ(morph->FunctionCount(), 1);
    const TVector3 v = morph->GetValue(500);
    EXPECT_FLOAT_EQ(v[0], 110);
    EXPECT_FLOAT_EQ(v[1], 10);
    EXPECT_EQ(v[2], 0);
}

TEST_F(MorphTest, ZeroScaleAndZeroPositionAreLeftOff) {
    TNyxMorph* morph = NewMorph("Fly");
    Read(*morph, "<Functions><Function Name=\"Line\"/></Functions>"
                 "<Properties><Property Name=\"Scale\">0,0</Property>"
                 "<Property Name=\"Position\">0</Property></Properties>");
    EXPECT_FALSE(morph->ScaleOn);
    EXPECT_FALSE(morph->PositionOn);
    EXPECT_FLOAT_EQ(morph->GetValue(500)[0], 50);
    Read(*morph, "<Properties><Property Name=\"Scale\">2,3</Property></Properties>");
    EXPECT_FLOAT_EQ(morph->GetValue(500)[0], 100);
}

TEST_F(MorphTest, PropertyNameErrors) {
    TNyxMorph* morph = NewMorph("Fly");
    Read(*morph, "<Functions><Function Name=\"Line\"/></Functions>");
    EXPECT_EQ(ErrorText([&] {
                  Read(*morph, "<Properties><Property Name=\"Path\">1</Property></Properties>");
              }),
              "<Property> tag \"Name\" attribute has invalid value \"Path\"");
    EXPECT_EQ(ErrorText([&] {
                  Read(*morph, "<Properties><Property Name=\".Weight\">1</Property></Properties>");
              }),
              "<Property> tag \"Name\" attribute has invalid value \".Weight\"");
    EXPECT_EQ(
        ErrorText([&] {
            Read(*morph, "<Properties><Property Name=\"Nope.Weight\">1</Property></Properties>");
        }),
        "<Property> tag \"Name\" attribute value contains unknown Function name \"Nope.Weight\"");
    EXPECT_EQ(ErrorText([&] {
                  Read(*morph, "<Properties><Property Name=\"Line.Speed\">1</Property>"
                               "</Properties>");
              }),
              "Invalid TNyxPiecewiseFunc function \"Line\" parameter \"Speed\"");
    EXPECT_EQ(ErrorText([&] { Read(*morph, "<Properties><Prop Name=\"X\"/></Properties>"); }),
              "Morph + \"Fly\" <Properties> tag contains invalid tag \"Prop\"");
    EXPECT_EQ(ErrorText([&] { Read(*morph, "<Functions><F Name=\"X\"/></Functions>"); }),
              "<Functions> tag contains invalid child tag <F>");
    EXPECT_EQ(ErrorText([&] { Read(*morph, "<Functions><Function/></Functions>"); }),
              "<Function> tag has no \"Name\" attribute");
    EXPECT_EQ(ErrorText([&] { Read(*morph, "<Properties><Property>1</Property></Properties>"); }),
              "<Property> tag has no \"Name\" attribute");
    // A function parameter property is written into the function.
    Read(*morph, "<Properties><Property Name=\"Line.Weight\">3</Property></Properties>");
    EXPECT_FLOAT_EQ(funcs.Find("Line")->Weight, 3);
}

TEST_F(MorphTest, SharedWeightsAndClones) {
    TNyxMorph* first = NewMorph("A");
    TNyxMorph* second = NewMorph("B");
    TNyxMorph* third = NewMorph("C");
    Read(*first, "<Functions><Function Name=\"Line\" Weight=\"3\"/></Functions>");
    Read(*second, "<Functions><Function Name=\"Line\" Weight=\"5\"/></Functions>");
    Read(*third, "<Functions><Function Name=\"Line\" Clone=\" TRUE \" Weight=\"7\"/>"
                 "<Function Name=\"Missing\" Weight=\"x\"/></Functions>");
    EXPECT_FLOAT_EQ(first->GetValue(1000)[0], 500);
    EXPECT_FLOAT_EQ(second->GetValue(1000)[0], 500);
    EXPECT_FLOAT_EQ(third->GetValue(1000)[0], 700);
    EXPECT_EQ(third->FunctionCount(), 1);
    EXPECT_EQ(third->GetFunction(0)->Owned, 1);
    EXPECT_NE(third->GetFunction(0), funcs.Find("Line"));

    // A copy clones the private function again and shares the library one.
    TNyxMorph copy;
    ASSERT_TRUE(copy.Assign(third));
    EXPECT_NE(copy.GetFunction(0), third->GetFunction(0));
    TNyxMorph sharedCopy;
    sharedCopy.Assign(first);
    EXPECT_EQ(sharedCopy.GetFunction(0), funcs.Find("Line"));

    // A function of another dimension is not added.
    EXPECT_EQ(NewMorph("D", 1)->AddFunction("Line", false), -1);
}

TEST_F(MorphTest, TimeShiftBaseTimeAndChildMorphs) {
    TNyxMorph* offset = NewMorph("Offset");
    Read(*offset, "<Functions><Function Name=\"Still\"/></Functions>");
    TNyxMorph* morph = NewMorph("Fly");
    Read(*morph, "<Functions><Function Name=\"Line\"/></Functions>"
                 "<Properties><Property Name=\"Position\">offset</Property>"
                 "<Property Name=\"StartTime\">0.25</Property></Properties>");
    EXPECT_EQ(morph->TimeShift, 250);
    EXPECT_EQ(offset->TimeShift, 250);
    ASSERT_EQ(morph->ChildMorphCount(), 1);
    TVector3 v = morph->GetValue(250);
    EXPECT_FLOAT_EQ(v[0], 55);
    EXPECT_FLOAT_EQ(v[1], 7);
    morph->SetBaseTime(100);
    EXPECT_EQ(offset->BaseTime, 100);
    morph->ExtraShift = 50;
    EXPECT_FLOAT_EQ(morph->GetValue(250)[0], 45 + 5);
}

TEST_F(MorphTest, MorphNamingItselfTerminates) {
    TNyxMorph* morph = NewMorph("Self");
    Read(*morph, "<Functions><Function Name=\"Line\"/></Functions>"
                 "<Properties><Property Name=\"Position\">Self</Property>"
                 "<Property Name=\"StartTime\">Self</Property></Properties>");
    ASSERT_EQ(morph->ChildMorphCount(), 1);
    morph->SetBaseTime(10);
    morph->SetTimeShift(0);
    const TVector3 v = morph->GetValue(500);
    EXPECT_TRUE(std::isfinite(v[0]));
    TNyxMorph copy;
    copy.Assign(morph);
    copy.GetValue(100);
}

TEST_F(MorphTest, RangePropertiesAreDrawnOnInitialize) {
    TNyxMorph* morph = NewMorph("Spark");
    Read(*morph, "<Properties><Property Name=\"Position\">(10,20)..(30,40)</Property>"
                 "</Properties>");
    EXPECT_FALSE(morph->PositionOn);
    Random().Seed(7);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(morph->Initialize());
        EXPECT_GE(morph->Position[0], 10);
        EXPECT_LT(morph->Position[0], 30);
        EXPECT_GE(morph->Position[1], 20);
        EXPECT_LT(morph->Position[1], 40);
    }
}

TEST_F(MorphTest, RotationsAndRotator) {
    TNyxMorph* flat = NewMorph("Flat");
    flat->AddFunction("Line", false);
    flat->SetRotation({std::numbers::pi_v<float> / 2, 0, 0});
    TVector3 v = flat->GetValue(500);
    EXPECT_NEAR(v[0], 0, 1e-4);
    EXPECT_NEAR(v[1], 50, 1e-4);

    TNyxMorph* scalar = NewMorph("Scalar", 1);
    scalar->SetRotation({std::numbers::pi_v<float> / 3, 0, 0});
    EXPECT_FLOAT_EQ(scalar->Angle, std::numbers::pi_v<float> / 3);

    auto spin = std::make_unique<TNyxParabolicFunc>();
    spin->SetName("Unit");
    spin->SetDimension(3);
    spin->P0 = {1, 0, 0};
    funcs.Add(std::move(spin));
    TNyxMorph* solid = NewMorph("Solid", 3);
    ASSERT_EQ(solid->Rotator.Rotations().size(), 3u);
    solid->AddFunction("Unit", false);
    solid->SetRotation({0, 0, std::numbers::pi_v<float> / 2});
    v = solid->GetValue(0);
    EXPECT_NEAR(v[0], 0, 1e-5);
    EXPECT_NEAR(v[1], 1, 1e-5);
    // Y then Z about the fixed axes takes (1,0,0) to (0,0,-1); Y then z about the turned
    // axis applies z first and gives (0,1,0).
    const float quarter = std::numbers::pi_v<float> / 2;
    Read(*solid, "<Properties><Property Name=\"RotationPattern\">Y2 Z3</Property>"
                 "</Properties>");
    solid->SetRotation({0, quarter, quarter});
    v = solid->GetValue(0);
    EXPECT_NEAR(v[0], 0, 1e-5);
    EXPECT_NEAR(v[1], 0, 1e-5);
    EXPECT_NEAR(v[2], -1, 1e-5);
    Read(*solid, "<Properties><Property Name=\"RotationPattern\">Y2, z3</Property>"
                 "</Properties>");
    solid->SetRotation({0, quarter, quarter});
    v = solid->GetValue(0);
    EXPECT_NEAR(v[0], 0, 1e-5);
    EXPECT_NEAR(v[1], 1, 1e-5);
    EXPECT_NEAR(v[2], 0, 1e-5);

    EXPECT_EQ(ErrorText([&] { solid->Rotator.SetPattern("Q1"); }), "Invalid base axis value \"Q\"");
    EXPECT_EQ(ErrorText([&] { solid->Rotator.SetPattern("X4"); }),
              "Invalid rotation pattern parameter index");
    EXPECT_EQ(ErrorText([&] { solid->Rotator.SetPattern("X"); }),
              "Invalid rotation pattern parameter index");
}

TEST(MorphFunctionXml, ReadsEveryKind) {
    TNyxParser parser;
    parser.LoadFromStream(TMemoryStream(
        "<Functions>"
        "<Function Name=\"P\" Dim=\"2\" Type=\"Piecewise\"><Script>Set Linear; Path (0,0) "
        "(10,0);</Script></Function>"
        "<Function Name=\"S\" Dim=\"1\" Type=\"periodic\"><XParam>g1=2;c=1</XParam></Function>"
        "<Function Dim=\"3\" Type=\"parabolic\"><P0>1,2,3</P0><A>0,0,1</A></Function>"
        "<Function Dim=\"1\"/><Function Type=\"periodic\"/>"
        "<Function Dim=\"1\" Type=\"sawtooth\"/>"
        "</Functions>"));
    const TNyxXMLTag* list = parser.FindTag("Functions");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->TagCount(), 6u);
    const auto path = ReadMorphFunction(*list->GetTag(0));
    EXPECT_EQ(path->Name(), "P");
    EXPECT_FLOAT_EQ(path->GetValue(500)[0], 5);
    const auto wave = ReadMorphFunction(*list->GetTag(1));
    EXPECT_EQ(wave->Dimension(), 1);
    EXPECT_FLOAT_EQ(wave->GetValue(0)[0], 1);
    const auto throwing = ReadMorphFunction(*list->GetTag(2));
    EXPECT_EQ(throwing->Name(), "");
    EXPECT_FLOAT_EQ(throwing->GetValue(2000)[2], 7);
    EXPECT_EQ(ErrorText([&] { ReadMorphFunction(*list->GetTag(3)); }),
              "<Function> tag has no \"Type\" attribute");
    EXPECT_EQ(ErrorText([&] { ReadMorphFunction(*list->GetTag(4)); }),
              "<Function> tag has no \"Dim\" attribute");
    EXPECT_EQ(ErrorText([&] { ReadMorphFunction(*list->GetTag(5)); }),
              "Invalid <Function> tag \"Type\" attribute value");
}

} // namespace
} // namespace qz::fx
