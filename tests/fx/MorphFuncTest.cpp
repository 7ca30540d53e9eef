#include "archive/Error.h"
#include "fx/NyxPiecewiseFunc.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

namespace qz::fx {
namespace {

void ExpectValue(TNyxMorphFunc& f, int64_t t, float x, float y, float tolerance = 1e-3f) {
    const TVector3 v = f.GetValue(t);
    EXPECT_NEAR(v[0], x, tolerance) << "at " << t << " ms";
    EXPECT_NEAR(v[1], y, tolerance) << "at " << t << " ms";
}

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(PiecewiseFunc, LinearPathStopsAtEndPoint) {
    TNyxPiecewiseFunc f;
    f.SetScript("Set Linear; Path (0,0) (100,0); Ending Stop;");
    ASSERT_EQ(f.PieceCount(), 1);
    EXPECT_EQ(f.GetPiece(0).Duration, 1000);
    EXPECT_EQ(f.TotalDuration(), 1000);
    EXPECT_FLOAT_EQ(f.TotalLength(), 100);
    EXPECT_EQ(f.PointCount(), 2);
    ExpectValue(f, 0, 0, 0);
    ExpectValue(f, 500, 50, 0);
    ExpectValue(f, 1000, 100, 0);
    ExpectValue(f, 1001, 0, 0);
    // A time before zero is a huge unsigned time: the path has ended.
    ExpectValue(f, -5, 0, 0);
}

TEST(PiecewiseFunc, LoopReverseAndReverseStop) {
    TNyxPiecewiseFunc loop;
    loop.SetScript("Set Linear; Path (0,0) (100,0); Ending Loop;");
    ExpectValue(loop, 1500, 50, 0);
    ExpectValue(loop, 1200, 20, 0);

    TNyxPiecewiseFunc reverse;
    reverse.SetScript("Set Linear; Path (0,0) (100,0); Ending Reverse;");
    EXPECT_EQ(reverse.Ending, peReverse);
    ExpectValue(reverse, 1500, 50, 0);
    ExpectValue(reverse, 1200, 80, 0);
    ExpectValue(reverse, 2000, 0, 0);
    ExpectValue(reverse, 2200, 20, 0);

    TNyxPiecewiseFunc reverseStop;
    reverseStop.SetScript("Set Linear; Path (0,0) (100,0); Ending ReverseStop (5, 6);");
    EXPECT_EQ(reverseStop.Ending, peReverseStop);
    ExpectValue(reverseStop, 1200, 80, 0);
    ExpectValue(reverseStop, 2000, 0, 0);
    ExpectValue(reverseStop, 2001, 5, 6);

    TNyxPiecewiseFunc bare;
    bare.SetScript("Set Linear; Path (0,0) (100,0); Ending ReverseStop;");
    EXPECT_EQ(bare.Ending, peStop);
    ExpectValue(bare, 1500, 0, 0);
}

TEST(PiecewiseFunc, ZeroTotalDurationNeverDividesByZero) {
    for (const char* ending : {"Loop", "Reverse", "ReverseStop (7,7)", "Stop (3,3)"}) {
        TNyxPiecewiseFunc f;
        f.SetScript(std::string("Set Linear; Set Timing 0; Path (10,0) (20,0); Ending ") + ending +
                    ";");
        ASSERT_EQ(f.TotalDuration(), 0);
        const TVector3 at0 = f.GetValue(0);
        EXPECT_FLOAT_EQ(at0[0], 10) << ending;
        const TVector3 later = f.GetValue(12345);
        if (f.Ending == peLoop || f.Ending == peReverse) {
            EXPECT_FLOAT_EQ(later[0], 10) << ending;
        } else {
            EXPECT_FLOAT_EQ(later[0], f.EndPoint[0]) << ending;
        }
    }
}

TEST(PiecewiseFunc, TimingsDurationsAndSpeeds) {
    TNyxPiecewiseFunc speed;
    speed.SetScript("Set Linear; Path (0,0) \"+0.5\" (100,0) (100,50);");
    ASSERT_EQ(speed.PieceCount(), 2);
    EXPECT_EQ(speed.GetPiece(0).Duration, 200);
    EXPECT_EQ(speed.GetPiece(1).Duration, 1000);
    EXPECT_EQ(speed.TotalDuration(), 1200);
    ExpectValue(speed, 100, 50, 0);
    ExpectValue(speed, 700, 100, 25);

    TNyxPiecewiseFunc settings;
    settings.SetScript("Set Linear; Set Timing +0.25; Path (0,0) (50,0) \"2\" (50,30);");
    EXPECT_FLOAT_EQ(settings.Timing, -0.25f);
    EXPECT_EQ(settings.GetPiece(0).Duration, 200);
    EXPECT_EQ(settings.GetPiece(1).Duration, 2000);
    settings.SetScript("set timing 0.3;");
    EXPECT_FLOAT_EQ(settings.Timing, 0.3f);
    settings.SetScript("Set Timing abc;");
    EXPECT_FLOAT_EQ(settings.Timing, 0.0f);

    TNyxPiecewiseFunc zeroSpeed;
    zeroSpeed.SetScript("Set Linear; Path (0,0) \"+0\" (100,0);");
    EXPECT_EQ(zeroSpeed.GetPiece(0).Duration, 0);
    zeroSpeed.SetDuration(0, -50);
    EXPECT_EQ(zeroSpeed.GetPiece(0).Duration, 0);
    zeroSpeed.SetDuration(7, 100);
    EXPECT_EQ(zeroSpeed.TotalDuration(), 0);
}

TEST(PiecewiseFunc, ScriptSyntaxEdges) {
    TNyxPiecewiseFunc noFinal;
    noFinal.SetScript("Set Linear; Path (0,0) (10,10)");
    EXPECT_EQ(noFinal.PieceCount(), 0);
    EXPECT_EQ(noFinal.Interpolation, pmLinear);

    TNyxPiecewiseFunc onePoint;
    onePoint.SetScript("Path (5,5); Unknown stuff; Lonely;");
    EXPECT_EQ(onePoint.PieceCount(), 0);

    // CR LF and tabs are blanks; per-point modes override the setting; text after the
    // last ";" is ignored; unreadable numbers are 0; a fourth coordinate is dropped.
    TNyxPiecewiseFunc mixed;
    mixed.SetDimension(3);
    mixed.SetScript("Set\tBezier;\r\nPATH (1,2,3,4) -- (x,5) .. (7,8,9);garbage");
    ASSERT_EQ(mixed.PieceCount(), 2);
    EXPECT_EQ(mixed.GetPiece(0).Mode, pmLinear);
    EXPECT_EQ(mixed.GetPiece(1).Mode, pmBezier);
    EXPECT_EQ(mixed.GetPiece(0).P[0], (TVector3{1, 2, 3}));
    EXPECT_EQ(mixed.GetPiece(0).P[3], (TVector3{0, 5, 0}));

    // The game's run-time form.
    TNyxPiecewiseFunc game;
    game.SetScript("Set Linear; Set Timing 0.3; Path (10,20) (30,40) (50,60); Ending Stop;");
    EXPECT_EQ(game.TotalDuration(), 600);
    ExpectValue(game, 450, 40, 50);

    // A later script appends to the pieces already held.
    game.SetScript("Path (50,60) (70,80);");
    EXPECT_EQ(game.PieceCount(), 3);
    EXPECT_EQ(game.PointCount(), 4);
}

TEST(PiecewiseFunc, BezierArcLength) {
    TNyxPiecewiseFunc straight;
    straight.SetScript("Set Bezier; Path (0,0) (100,0);");
    EXPECT_NEAR(straight.TotalLength(), 100, 1e-4);

    TNyxPiecewiseFunc curve;
    curve.SetScript("Set Bezier; Path (0,0) (100,0) (100,100) (0,100);");
    ASSERT_EQ(curve.PieceCount(), 3);
    for (int32_t p = 0; p < curve.PieceCount(); ++p) {
        const TNyxPiece piece = curve.GetPiece(p);
        double polyline = 0;
        double px = piece.P[0][0];
        double py = piece.P[0][1];
        const int steps = 50000;
        for (int i = 1; i <= steps; ++i) {
            const double x = static_cast<double>(i) / steps;
            const double u = 1 - x;
            const auto at = [&](size_t k) {
                return u * u * u * piece.P[0][k] +
                       3 * x * u * (u * piece.P[1][k] + x * piece.P[2][k]) +
                       x * x * x * piece.P[3][k];
            };
            polyline += std::hypot(at(0) - px, at(1) - py);
            px = at(0);
            py = at(1);
        }
        EXPECT_NEAR(piece.Length, polyline, 1e-3) << "piece " << p;
    }
    float sum = 0;
    for (int32_t p = 0; p < curve.PieceCount(); ++p) {
        sum += curve.GetPiece(p).Length;
    }
    EXPECT_FLOAT_EQ(curve.TotalLength(), sum);
}

TEST(PiecewiseFunc, SmoothingHandlesAndAngles) {
    TNyxPiecewiseFunc line;
    line.SetScript("Set Bezier; Path (0,0) (50,0) (100,0);");
    EXPECT_EQ(line.GetPiece(0).P[2], (TVector3{30, 0, 0}));
    EXPECT_EQ(line.GetPiece(1).P[1], (TVector3{70, 0, 0}));
    ExpectValue(line, 1000, 50, 0);

    // A 90 degree angle turns both handles of the joint (clockwise for y up).
    TNyxPiecewiseFunc turned;
    turned.SetScript("Set Bezier; Path (0,0) (50,0) [90] (100,0);");
    const TNyxPiece in = turned.GetPiece(0);
    const TNyxPiece out = turned.GetPiece(1);
    EXPECT_NEAR(in.P[2][0], 50, 1e-4);
    EXPECT_NEAR(in.P[2][1], 20, 1e-4);
    EXPECT_NEAR(out.P[1][0], 50, 1e-4);
    EXPECT_NEAR(out.P[1][1], -20, 1e-4);

    // Correction scales the handle; a linear neighbour keeps its thirds.
    TNyxPiecewiseFunc mixed;
    mixed.SetScript("Set Bezier; Path (0,0) -- (50,0) {2} (50,50);");
    EXPECT_EQ(mixed.GetPiece(0).P[1], (TVector3{50.0f / 3, 0, 0}));
    EXPECT_NEAR(mixed.GetPiece(1).P[1][0], 90, 1e-4);
    EXPECT_NEAR(mixed.GetPiece(1).P[1][1], 0, 1e-4);
}

TEST(PiecewiseFunc, ClosedPathJointsAndMovePoint) {
    TNyxPiecewiseFunc square;
    square.SetScript("Set Linear; Path (0,0) (10,0) (10,10) (0,0);");
    ASSERT_EQ(square.PieceCount(), 3);
    EXPECT_EQ(square.PointCount(), 3);
    const std::vector<TNyxPiecewiseFunc::TJoint> joints = square.Joints();
    ASSERT_EQ(joints.size(), 3u);
    EXPECT_EQ(joints[0].In, 2);
    EXPECT_EQ(joints[0].Out, 0);

    // Point 1 of the closed path is both the first start and the last end.
    square.SetParamByName("Points[1]", {-10, -10, 0});
    EXPECT_EQ(square.GetPiece(0).P[0], (TVector3{-10, -10, 0}));
    EXPECT_EQ(square.GetPiece(2).P[3], (TVector3{-10, -10, 0}));
    EXPECT_NEAR(square.GetPiece(0).P[1][0], -10 + 20.0f / 3, 1e-4);
    float sum = 0;
    for (int32_t p = 0; p < square.PieceCount(); ++p) {
        sum += square.GetPiece(p).Length;
    }
    EXPECT_FLOAT_EQ(square.TotalLength(), sum);
    square.MovePoint(99, 1, 1, 1);

    TNyxPiecewiseFunc open;
    open.SetScript("Set Linear; Path (0,0) (10,0);");
    open.SetScript("Path (20,0) (30,0);");
    EXPECT_EQ(open.Joints().size(), 4u);
    open.MovePoint(2, 10, 10, 0);
    ExpectValue(open, 1000, 10, 10);
    ExpectValue(open, 1001, 20, 0, 0.1f);
}

TEST(PiecewiseFunc, ParameterErrors) {
    TNyxPiecewiseFunc f;
    f.SetName("Path");
    EXPECT_EQ(f.GetParamIndex("Weight"), 0);
    EXPECT_EQ(f.GetParamIndex("P[3]"), 3);
    EXPECT_EQ(ErrorText([&] { f.GetParamIndex("weight"); }),
              "Invalid TNyxPiecewiseFunc function \"Path\" parameter \"weight\"");
    EXPECT_EQ(ErrorText([&] { f.SetParam(-1, {}); }),
              "Invalid TNyxPiecewiseFunc function \"Path\" parameter index -1");
    EXPECT_EQ(ErrorText([&] { f.GetPiece(0); }), "Invalid piece index");
    f.SetParamByName("Weight", {2.5f, 0, 0});
    EXPECT_FLOAT_EQ(f.Weight, 2.5f);
}

TEST(Vector, StringToVector) {
    EXPECT_EQ(StrToVector("1, 2"), (TVector3{1, 2, 0}));
    EXPECT_EQ(StrToVector(" 3 "), (TVector3{3, 0, 0}));
    EXPECT_EQ(StrToVector("1,2,-3.5"), (TVector3{1, 2, -3.5f}));
    EXPECT_EQ(ErrorText([] { StrToVector("1,2,3,4"); }),
              "\"1,2,3,4\" string-to-vector convertation failed");
    EXPECT_EQ(ErrorText([] { StrToVector("1,x"); }), "'x' is not a valid floating point value");
    EXPECT_EQ(ErrorText([] { StrToVector(""); }), "'' is not a valid floating point value");
}

TEST(PeriodicFunc, SumOfSines) {
    TNyxPeriodicFunc f;
    f.SetDimension(1);
    f.SetParamText(0, "G1 = 2; a1=3.14159265; junk; c");
    EXPECT_FALSE(f.Component(0).SecondFactor);
    for (int64_t t : {0, 250, 500, 1500}) {
        EXPECT_NEAR(f.GetValue(t)[0], 2 * std::sin(std::numbers::pi * t / 1000.0), 1e-4);
    }

    TNyxPeriodicFunc full;
    full.SetParamText(0, "g1=1; a1=1; b1=0.5; a2=2; b2=0.25; g3=0.5; a3=3; b3=0.1; c=10");
    EXPECT_TRUE(full.Component(0).SecondFactor);
    EXPECT_TRUE(full.Component(0).Modulation);
    const double t = 1.2;
    const double expected =
        std::sin(t + 0.5 * std::sin(3 * t + 0.1) + 0.5) * std::sin(2 * t + 0.25) + 10;
    EXPECT_NEAR(full.GetValue(1200)[0], expected, 1e-4);
    EXPECT_NEAR(full.GetValue(1200)[1], std::sin(1.2), 1e-4);

    full.SetParam(full.GetParamIndex("c"), {1, 2, 3});
    EXPECT_NEAR(full.GetValue(0)[1], 2, 1e-5);
    EXPECT_EQ(full.GetParamIndex("b3"), 8);
}

TEST(ParabolicFunc, QuadraticInSeconds) {
    TNyxParabolicFunc f;
    f.SetParamByName("P0", {1, 2, 0});
    f.SetParamByName("V0", {3, 0, 0});
    f.SetParamByName("A", {1, -1, 0});
    ExpectValue(f, 2000, 11, -2);
    TNyxParabolicFunc copy;
    ASSERT_TRUE(copy.Assign(&f));
    ExpectValue(copy, 2000, 11, -2);
    TNyxPeriodicFunc other;
    EXPECT_FALSE(other.Assign(&f));
}

TEST(Collection, NamesCopiesAndLookups) {
    TNyxPiecewiseFunc unnamed;
    EXPECT_EQ(unnamed.Name(), "NyxPiecewiseFunc_Default");
    unnamed.SetName(std::string(40, 'a'));
    EXPECT_EQ(unnamed.Name().size(), 32u);

    TNyxMorphFuncLib lib;
    auto path = std::make_unique<TNyxPiecewiseFunc>();
    path->SetName("Fly");
    path->SetScript("Set Linear; Path (0,0) (100,0); Ending Loop;");
    lib.Add(std::move(path));
    lib.Add(nullptr);
    auto wave = std::make_unique<TNyxPeriodicFunc>();
    wave->SetName("Wave");
    lib.Add(std::move(wave));
    EXPECT_EQ(lib.IndexOf("fLY"), 0);
    EXPECT_EQ(lib.IndexOf("wave"), 2);
    EXPECT_EQ(lib.IndexOf("none"), -1);
    EXPECT_EQ(lib.Get(1), nullptr);
    EXPECT_EQ(lib.Get(3), nullptr);

    TNyxMorphFuncLib copy;
    ASSERT_TRUE(copy.Assign(&lib));
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Get(1), nullptr);
    ASSERT_NE(dynamic_cast<TNyxPiecewiseFunc*>(copy.Get(0)), nullptr);
    ExpectValue(*copy.Function(0), 1500, 50, 0);
    EXPECT_NE(copy.Get(0), lib.Get(0));
    EXPECT_TRUE(copy.Initialize());
}

} // namespace
} // namespace qz::fx
