#include "game/Definitions.h"

#include "GameTestSupport.h"
#include "archive/Error.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

TEST(DefinitionInt, ReadsTheDigitsBeforeAStrayCharacterWithoutTheSign) {
    EXPECT_EQ(DefinitionInt("12abc"), 12);
    EXPECT_EQ(DefinitionInt("-3a"), 3);
    EXPECT_EQ(DefinitionInt(""), 0);
    EXPECT_EQ(DefinitionInt("abc"), 0);
    EXPECT_EQ(DefinitionInt("  -7"), -7);
    EXPECT_EQ(DefinitionInt("+5"), 5);
    EXPECT_EQ(DefinitionInt("$1F"), 31);
    EXPECT_EQ(DefinitionInt("0x10"), 16);
    EXPECT_EQ(DefinitionInt("-$10"), -16);
    EXPECT_EQ(DefinitionInt("12 "), 12);
}

TEST(Lattice, PointsAndFragmentsFollowTheRowLayout) {
    const TPoints points = BuildBoardPoints();
    ASSERT_EQ(points.size(), 6321u);
    EXPECT_EQ(points[2 * 21 + 3], (TPoint{48 * 3 + 42, 84}));
    EXPECT_EQ(points[2 * 21 + 11 + 4], (TPoint{48 * 4 + 42 + 34, 105}));
    EXPECT_EQ(points[300 * 21 + 10], (TPoint{480 + 6300, 12600}));
    EXPECT_EQ(points[300 * 21 + 20], (TPoint{432 + 6300 + 34, 12621}));

    std::vector<int32_t> shown;
    const std::vector<TFrag> frags = BuildFrags([&shown](int32_t p) { shown.push_back(p); });
    ASSERT_EQ(frags.size(), 12000u);
    EXPECT_EQ(shown, (std::vector<int32_t>{1, 2}));
    const TFrag& last = frags[11999];
    EXPECT_EQ(last.Kind, 3);
    EXPECT_EQ(last.Points, (TIntegers{299 * 21 + 9, 300 * 21 + 9, 299 * 21 + 20}));
    const int32_t cell = (5 * 10 + 2) * 4;
    EXPECT_EQ(frags[cell + 0].Points, (TIntegers{6 * 21 + 2, 6 * 21 + 3, 5 * 21 + 13}));
    EXPECT_EQ(frags[cell + 1].Points, (TIntegers{5 * 21 + 13, 6 * 21 + 3, 5 * 21 + 3}));
    EXPECT_EQ(frags[cell + 2].Points, (TIntegers{5 * 21 + 2, 5 * 21 + 13, 5 * 21 + 3}));

    // Each kind's top and left positions name the highest and the leftmost point.
    const std::vector<TFragType> kinds = BuildFragTypes();
    for (int k = 0; k < 4; ++k) {
        const TFrag& f = frags[static_cast<size_t>(cell + k)];
        int32_t top = 0;
        int32_t left = 0;
        for (int32_t i = 1; i < 3; ++i) {
            if (points[f.Points[i]].Y > points[f.Points[top]].Y) {
                top = i;
            }
            if (points[f.Points[i]].X < points[f.Points[left]].X) {
                left = i;
            }
        }
        EXPECT_EQ(kinds[k].TopPoint, top) << k;
        EXPECT_EQ(kinds[k].LeftPoint, left) << k;
    }
    EXPECT_EQ(kinds[2].NeighbourCount, 2);
    EXPECT_EQ(kinds[3].Image, "Frag4.png");
}

TEST(Definitions, LoadsTablesInFileOrderWithBoundsAndTypes) {
    GameFixture fx;
    const TDefinitions& d = fx.Defs;
    EXPECT_EQ(fx.Controls.Log,
              (std::vector<std::string>{"WGameLoading_PBGameLoading.Position=10",
                                        "WGameLoading_PBGameLoading.Position=20"}));
    ASSERT_EQ(d.FishkaShapes.size(), 4u);
    const TFishkaShape& tri = d.FishkaShapes[0];
    EXPECT_EQ(tri.Name, "Tri");
    EXPECT_EQ(tri.NextRotateName, "TriDown");
    EXPECT_EQ(tri.Height, -21);
    EXPECT_EQ(tri.MinX, 0);
    EXPECT_EQ(tri.MaxY, 21);
    EXPECT_EQ(tri.MaxX, 48);
    EXPECT_EQ(tri.AnchorDX, 0);
    EXPECT_EQ(tri.AnchorDY, 21);
    EXPECT_EQ(d.FishkaShapes[3].Fishes.size(), 5u);
    EXPECT_EQ(d.FishkaShapes[3].MaxX, 96);

    ASSERT_EQ(d.FishkaColors.size(), 3u); // the entry without a Sign is skipped
    EXPECT_EQ(d.FishkaColors[2].H, 240);
    EXPECT_EQ(d.FishkaColors[2].L, 16);
    EXPECT_EQ(d.FishkaColors[0].S, -20);

    ASSERT_EQ(d.FishkaTypes.size(), 12u);
    const TFishkaType& t = d.FishkaTypes[1 * 3 + 2];
    EXPECT_EQ(t.Name, "TriDown_2");
    EXPECT_EQ(t.NextRotateName, "Tri_2");
    EXPECT_EQ(t.Image, "TriDown_2");
    EXPECT_EQ(t.Shape, 1);
    EXPECT_EQ(t.Color, 2);

    ASSERT_EQ(d.BossTypes.size(), 3u);
    EXPECT_EQ(d.BossTypes[0].Width, 40);
    EXPECT_EQ(d.BossTypes[0].Height, 30);
    EXPECT_EQ(d.BossTypes[1].Power, 1);
    EXPECT_EQ(d.BossTypes[2].Width, 0);
    for (const char* asked : {"sign0.png", "sign1.png", "sign2.png", "missing.png"}) {
        EXPECT_NE(std::find(fx.Pictures.Asked.begin(), fx.Pictures.Asked.end(), asked),
                  fx.Pictures.Asked.end())
            << asked;
    }
}

TEST(Definitions, ShapeQuirksCutNamesReadOddNumbersAndSkipIncompleteEntries) {
    auto game = DataArchive({"quirkShapes.xml"});
    TDefinitions d;
    LoadShapes(d, *game, "quirkShapes.xml");
    ASSERT_EQ(d.FishkaShapes.size(), 2u);
    const TFishkaShape& far = d.FishkaShapes[0];
    EXPECT_EQ(far.Name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    EXPECT_EQ(far.Height, 12);
    EXPECT_EQ(far.Sx, 3);
    EXPECT_EQ(far.Sy, 31);
    EXPECT_EQ(far.Score, 16);
    EXPECT_EQ(far.MinX, 1000);
    EXPECT_EQ(far.MinXY, 0);
    EXPECT_EQ(far.MaxX, 1200);

    const TFishkaShape& spread = d.FishkaShapes[1];
    EXPECT_EQ(spread.Height, -4);
    EXPECT_EQ(spread.Sx, 0);
    EXPECT_EQ(spread.Sy, 7);
    ASSERT_EQ(spread.Fishes.size(), 2u);
    EXPECT_EQ(spread.Fishes[0].Points.size(), 3u);
    EXPECT_EQ(spread.Fishes[1].Type, 3);
    EXPECT_EQ(spread.MinX, 10);
    EXPECT_EQ(spread.MinXY, 20);
    EXPECT_EQ(spread.MaxY, 20);
    EXPECT_EQ(spread.MaxX, 60);
    EXPECT_EQ(spread.AnchorDX, 10 - 30);
    EXPECT_EQ(spread.AnchorDY, 20 - 2);

    GenerateFishkaTypes(d);
    EXPECT_TRUE(d.FishkaTypes.empty()); // no colours yet
}

TEST(Definitions, MissingFilesAndEmptyDocumentsRaiseTheGameMessages) {
    auto game = DataArchive({"fishkaShapes.xml", "MetaColors.xml"});
    TDefinitions d;
    SizedPictures pictures;
    RecordingControls controls;
    try {
        LoadDefinitions(d, *game, pictures, controls);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can not find BossTypes.xmlin file folder");
    }
    AddEntry(*game, "Empty.xml", "<?xml version=\"1.0\"?>\r\n");
    try {
        LoadColors(d, *game, "Empty.xml", pictures);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Empty.xmlXML file does not has tags!");
    }
}

} // namespace
} // namespace qz::test
