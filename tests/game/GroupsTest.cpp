#include "GameTestSupport.h"
#include "archive/Error.h"
#include "game/Outline.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

// A main Cell (colour 1, main boss) at row 5 (or another) cell 1; Cells of colour 0 at cells
// 2 and 3; a colour 2 Tri hanging at cell 5.
struct GroupsTest : GameFixture, ::testing::Test {
    void BuildRow(int32_t mainColour = 1, int32_t row = 5) {
        Main = Place(Type("Cell", mainColour), Frag(row, 1, 2));
        Place(Type("Cell", 0), Frag(row, 2, 2));
        Place(Type("Cell", 0), Frag(row, 3, 2));
        Hanging = Place(Type("Tri", 2), Frag(row, 5, 2));
        Board->Level.Bosses.push_back({160 + 21 * (row - 5), 238 + 42 * (row - 5), 0, 1});
        Board->AttachBosses();
        Board->Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 0);
        Board->Level.ShapeWeights[Type("Cell", 0)] = 1;
    }
    void PutCellAt(int32_t frag) {
        ASSERT_TRUE(HandTo(frag));
        Board->Fishka(Board->Game.InHand).FType = Type("Cell", 0);
        ASSERT_TRUE(HandTo(frag));
    }
    int32_t Main = -1;
    int32_t Hanging = -1;
};

TEST_F(GroupsTest, CornersDoNotJoinEdgesDo) {
    const int32_t a = Place(Type("Tri", 0), Frag(5, 2, 2));
    const int32_t b = Place(Type("Tri", 0), Frag(5, 3, 2));
    const int32_t c = Place(Type("TriDown", 0), Frag(4, 2, 0));
    EXPECT_TRUE(Board->Touches(a, b));
    EXPECT_FALSE(Board->SharesEdge(a, b));
    EXPECT_TRUE(Board->SharesEdge(a, c));
    Board->CollectGroup(b);
    EXPECT_EQ(Board->Group, (TIntegers{b}));
    Board->Group.clear();
    Board->CollectGroup(a);
    EXPECT_EQ(Board->Group, (TIntegers{a, c}));
}

TEST_F(GroupsTest, ABreakingPutScoresDropsTheCutOffAndDeletesLater) {
    StartPlay(gmPuzzle);
    BuildRow();
    PutCellAt(Frag(5, 4, 2));
    const int32_t put = Board->Game.InHand;
    const int32_t now = Clock.Tick;
    ASSERT_TRUE(Board->PlayerPut());
    EXPECT_EQ(Board->Group, (TIntegers{put, 2, 1}));
    EXPECT_EQ(Board->Game.Score, 3 * 20 + 2 * 10);
    EXPECT_EQ(Controls.Get("WGame_LScoreCount", "Caption"), "80");
    EXPECT_EQ(Sounds.Count("2_crystal.ogg"), 1);
    EXPECT_TRUE(Board->Game.UndoList.empty());
    for (const int32_t m : {1, 2, put}) {
        EXPECT_EQ(Board->Fishka(m).State, fsRemoved);
        EXPECT_EQ(Board->Fishka(m).HitTime, now + 1000);
    }
    const TFishka& hanging = Board->Fishka(Hanging);
    EXPECT_EQ(hanging.State, fsRemoved);
    EXPECT_EQ(hanging.FallTime, now + 500);
    EXPECT_EQ(Board->Level.PendingSound, "3_crystal.ogg");
    EXPECT_EQ(Board->Fishka(Main).State, fsOnBoard);
    EXPECT_EQ(Board->Layer().Owners, (TIntegers{Main, Main, Main, Main}));
    const auto outlines = Effects.With("contour.xml");
    ASSERT_EQ(outlines.size(), 2u);
    EXPECT_EQ(outlines[0].StartTick, now);
    EXPECT_EQ(outlines[1].StartTick, now + 500);
    EXPECT_EQ(outlines[0].Image, "particle1.png");
    // The group's points rise from its middle at once, the fallen crystal's when it falls.
    const auto texts = Effects.With("ScoreTextEffect.xml");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "+60");
    EXPECT_EQ(texts[0].StartTick, now);
    EXPECT_EQ(texts[1].Text, "+20");
    EXPECT_EQ(texts[1].StartTick, now + 500);
    EXPECT_EQ(texts[1].Position, Board->FishkaCentre(hanging));
    const TPoint left = Board->FishkaCentre(Board->Fishka(1));
    const TPoint right = Board->FishkaCentre(Board->Fishka(put));
    EXPECT_GT(texts[0].Position.X, left.X);
    EXPECT_LT(texts[0].Position.X, right.X);

    const TIntegers queue = Board->Game.Queue;
    const size_t crystals = Board->Layer().Fishkas.size();
    Board->FrameTick(now + 1001);
    EXPECT_EQ(Sounds.Last(), "3_crystal.ogg");
    EXPECT_TRUE(Board->Level.PendingSound.empty());
    // Crystals 1, 2 and the put one are gone; the queue indexes moved down.
    ASSERT_EQ(Board->Layer().Fishkas.size(), crystals - 3);
    ASSERT_EQ(Board->Game.Queue.size(), queue.size());
    for (size_t i = 0; i < queue.size(); ++i) {
        EXPECT_EQ(Board->Game.Queue[i], queue[i] - 3);
    }
    EXPECT_EQ(Board->Game.InHand, Board->Game.Queue[0]);
    EXPECT_EQ(Board->Fishka(1).FType, Type("Tri", 2)); // the hanging crystal, now hit
    EXPECT_EQ(Board->Fishka(1).Hit, 1);
    const size_t before = Board->Layer().Fishkas.size();
    Board->FrameTick(now + 2600);
    EXPECT_EQ(Board->Layer().Fishkas.size(), before - 1);
    EXPECT_EQ(Board->Fishka(1).State, fsQueued); // a queued crystal took its place
}

TEST_F(GroupsTest, InStrategyModeADropThatMovesTheViewGivesBackAFullCountOfPuts) {
    StartPlay(gmStrategy);
    BuildRow(1, 8); // high enough that the view follows the structure after the drop
    Board->Level.Strategic = 4;
    Board->Level.PutLeft = 1; // this put would move the dead line
    PutCellAt(Frag(8, 4, 2));
    ASSERT_TRUE(Board->PlayerPut());
    ASSERT_EQ(Board->Fishka(Hanging).State, fsRemoved);
    EXPECT_EQ(Board->Game.CurrentY, Board->BottomOf(0) - 252);
    EXPECT_EQ(Board->Level.PutLeft, 4);
    EXPECT_EQ(Controls.Get("WGame_LPutsLeftCount", "Caption"), "4");
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "0");
}

TEST_F(GroupsTest, BossPowerPerModeAndPreventionFeedback) {
    Place(Type("Cell", 0), Frag(5, 1, 2));
    Place(Type("Cell", 0), Frag(5, 2, 2));
    Place(Type("Cell", 0), Frag(5, 3, 2));
    Place(Type("Cell", 0), Frag(5, 4, 2));
    Board->Level.Bosses.push_back({160, 238, 0, 0}); // power 2 on crystal 0
    Board->AttachBosses();
    ASSERT_EQ(Board->Fishka(0).Boss, 0);
    Board->Group = {0, 1, 2};
    Board->Game.Mode = gmPuzzle;
    EXPECT_FALSE(Board->GroupBreaks());
    ASSERT_EQ(Effects.With("BossContour.xml").size(), 1u);
    const auto prevent = Effects.With("BossPreventEffect.xml");
    ASSERT_EQ(prevent.size(), 1u);
    EXPECT_EQ(prevent[0].Image, "boss.png");
    EXPECT_EQ(prevent[0].Position, (TPoint{180, 223}));
    EXPECT_EQ(Board->Level.Bosses[0].PreventTime, Clock.Tick + 700);
    ASSERT_EQ(Effects.With("BossTextEffect.xml").size(), 1u);
    EXPECT_EQ(Effects.With("BossTextEffect.xml").back().Text, "+2");
    EXPECT_EQ(Sounds.Count("BossPrevent.ogg"), 1);

    Board->Game.Mode = gmStrategy;
    EXPECT_FALSE(Board->GroupBreaks());
    ASSERT_EQ(Effects.With("BossTextEffect.xml").size(), 2u);
    EXPECT_EQ(Effects.With("BossTextEffect.xml").back().Text, "+1");
    Board->Group = {0, 1, 2, 3};
    EXPECT_TRUE(Board->GroupBreaks());
    Board->Game.Mode = gmNoLose;
    Board->Group = {0, 1, 2};
    EXPECT_TRUE(Board->GroupBreaks());
    Board->Group = {0, 1};
    Board->Game.Mode = gmPuzzle;
    EXPECT_FALSE(Board->GroupBreaks());
    EXPECT_EQ(Sounds.Count("BossPrevent.ogg"), 2); // two crystals: no feedback

    // Strategy mode adds half the power rounded up, for each power the game's bosses have.
    Place(Type("Cell", 0), Frag(5, 5, 2));
    Board->Game.Mode = gmStrategy;
    for (const auto& [power, need] : {std::pair{1, 4}, {2, 4}, {3, 5}, {4, 5}}) {
        Defs.BossTypes[0].Power = power;
        Board->Group = {0, 1, 2, 3, 4};
        Board->Group.resize(static_cast<size_t>(need) - 1);
        EXPECT_FALSE(Board->GroupBreaks()) << "power " << power;
        Board->Group.push_back(need - 1);
        EXPECT_TRUE(Board->GroupBreaks()) << "power " << power;
    }
}

TEST_F(GroupsTest, ACount2CrystalHitTwiceWithinASecondGoesAndTakesItsBoss) {
    StartPlay(gmPuzzle);
    Place(Type("Cell", 0), Frag(5, 1, 2));
    Place(Type("Cell", 0), Frag(5, 2, 2), 2);
    Place(Type("Cell", 0), Frag(5, 3, 2));
    Place(Type("Cell", 0), Frag(5, 6, 2), 2);
    Board->Level.Bosses.push_back({208, 238, 1, 0});
    Board->AttachBosses();
    ASSERT_EQ(Board->Fishka(1).Boss, 0);
    Board->Game.FrameTime = Clock.Tick;
    Board->Group = {0, 1, 2, 3};
    Board->RemoveGroup(Clock.Tick);
    ASSERT_EQ(Board->Level.Bosses.size(), 1u);
    const TFishka& twice = Board->Fishka(1);
    EXPECT_EQ(twice.State, fsOnBoard);
    EXPECT_EQ(twice.Count, 2);
    EXPECT_EQ(twice.Hit, 1);
    EXPECT_EQ(Board->Level.Bosses[0].y, 238 - 9);
    ASSERT_EQ(Effects.With("BossTextEffect.xml").size(), 1u);
    EXPECT_EQ(Effects.With("BossTextEffect.xml")[0].Text, "1"); // one more hit to go
    EXPECT_EQ(Board->Game.Score, 80);
    EXPECT_EQ(Board->Fishka(3).State, fsOnBoard);

    Clock.Tick += 600;
    Board->FrameTick(Clock.Tick);
    Board->Group = {1};
    Board->RemoveGroup(Clock.Tick);
    EXPECT_EQ(Board->Fishka(1).State, fsRemoved);
    EXPECT_EQ(Board->Game.Score, 100);
    EXPECT_TRUE(Board->Level.Bosses.empty());
    EXPECT_EQ(Board->Fishka(1).Boss, -1);
    EXPECT_EQ(Effects.With("BossDieEffect.xml").size(), 1u);

    // Hit once: a second later it simply needs one hit less.
    Board->FrameTick(Clock.Tick + 500);
    ASSERT_EQ(Board->Layer().Fishkas.size(), 2u); // crystals 0 and 2 were deleted
    EXPECT_EQ(Board->Fishka(1).Count, 1);         // the former crystal 3
    EXPECT_EQ(Board->Fishka(1).Hit, 0);
    EXPECT_EQ(Board->Fishka(1).State, fsOnBoard);
}

TEST_F(GroupsTest, BreakingTheMainCrystalEndsTheLayerWithoutDropping) {
    StartPlay(gmNoLose);
    BuildRow(0);
    Board->Level.Layers.emplace_back();
    Board->Level.Layers.back().Fishkas.push_back(Board->Fishka(Hanging));
    PutCellAt(Frag(5, 4, 2));
    Board->Layer().Fishkas[Hanging].State = fsOnBoard;
    ASSERT_TRUE(Board->PlayerPut());
    EXPECT_EQ(Board->Game.Score, 0);
    EXPECT_EQ(Board->Level.LayerIndex, 1);
    EXPECT_EQ(Board->Level.Layers[0].Fishkas[Hanging].State, fsOnBoard);
    EXPECT_TRUE(Board->Level.Bosses.empty());
    EXPECT_EQ(Sounds.Count("5_crystal.ogg"), 1);
    EXPECT_EQ(Board->Game.Queue, (TIntegers{1, 2, 3}));
    EXPECT_EQ(Board->DrawOrder, (TIntegers{0}));
    EXPECT_FALSE(Board->Level.LayerDone);

    Sounds.Music = "level.mo3";
    Board->NextLayer();
    EXPECT_TRUE(Board->Level.LevelDone);
    EXPECT_EQ(Board->Level.LevelEndTime, Clock.Tick + 3000);
    EXPECT_EQ(Board->Fishka(0).State, fsRemoved);
    EXPECT_EQ(Board->Fishka(0).FallTime, Clock.Tick + 1500);
    EXPECT_TRUE(Board->Layer().Frags.empty());
    EXPECT_EQ(Sounds.Music, "");
    EXPECT_EQ(Sounds.Last(), "6_next_level.ogg");
    EXPECT_EQ(Board->Game.Score, 0);
}

TEST_F(GroupsTest, InStrategyModeTheNextLayerStartsWithAFullCountOfPuts) {
    StartPlay(gmStrategy);
    BuildRow(0);
    Board->Level.Layers.emplace_back();
    Board->Level.Layers.back().Fishkas.push_back(Board->Fishka(Hanging));
    Board->Level.Strategic = 4;
    Board->Level.PutLeft = 1;
    Board->NextLayer();
    ASSERT_EQ(Board->Level.LayerIndex, 1);
    EXPECT_EQ(Board->Level.PutLeft, 4);
    EXPECT_EQ(Controls.Get("WGame_LPutsLeftCount", "Caption"), "4");
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "0");
}

TEST_F(GroupsTest, ALayerWithoutAMainBossDropsNothing) {
    StartPlay(gmPuzzle);
    BuildRow();
    Board->Level.Bosses.clear();
    Board->Fishka(Main).Boss = -1;
    Board->Layer().MainFishka = 0;
    EXPECT_FALSE(Board->HasAnchor());
    PutCellAt(Frag(5, 4, 2));
    ASSERT_TRUE(Board->PlayerPut());
    EXPECT_EQ(Board->Game.Score, 60);
    EXPECT_EQ(Board->Fishka(Hanging).State, fsOnBoard);
    EXPECT_EQ(Board->Fishka(Main).State, fsOnBoard);
    EXPECT_TRUE(Board->Level.PendingSound.empty());
}

TEST_F(GroupsTest, DeletingACrystalKeepsEveryStoredIndexRight) {
    for (int32_t cell = 0; cell < 6; ++cell) {
        Place(Type("Tri", cell % 3), Frag(5, cell, 2));
    }
    Board->Game.Queue = {3, 4, 5};
    Board->Game.InHand = 3;
    Board->DrawOrder = {0, 1, 2, 5};
    Board->Game.UndoList = {{0, 0, 0, 2}, {0, 0, 0, 1}, {0, 0, 0, 0}};
    Board->Layer().MainFishka = 4;
    Board->DeleteFishka(1);
    EXPECT_EQ(Board->Layer().Fishkas.size(), 5u);
    EXPECT_EQ(Board->Game.Queue, (TIntegers{2, 3, 4}));
    EXPECT_EQ(Board->Game.InHand, 2);
    EXPECT_EQ(Board->DrawOrder, (TIntegers{0, 1, 4}));
    ASSERT_EQ(Board->Game.UndoList.size(), 2u);
    EXPECT_EQ(Board->Game.UndoList[0].Index, 1);
    EXPECT_EQ(Board->Game.UndoList[1].Index, 0);
    EXPECT_EQ(Board->Layer().MainFishka, 3);
    ASSERT_EQ(Board->Layer().Owners, (TIntegers{0, 1, 2, 3, 4}));
    EXPECT_EQ(Board->Layer().Frags[1], Frag(5, 2, 2));

    TIntegers from{0, 2};
    TIntegers connected;
    try {
        Board->GetFishkaGroup(1, from, connected, TJoin::Touch);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Error in GetFishkagroup, FN not in FromFishes");
    }
}

TEST(Outline, SingleTriangleHexagonAndSeparatePieces) {
    const TOutline one = TraceOutline({{{0, 0}, {34, 21}, {48, 0}}});
    EXPECT_EQ(one.Points, (TPoints{{0, 0}, {34, 21}, {48, 0}}));
    EXPECT_EQ(one.Starts, (TIntegers{0, 2}));

    const TPoints ring{{40, 0}, {20, 35}, {-20, 35}, {-40, 0}, {-20, -35}, {20, -35}};
    std::vector<TPoints> fan;
    for (size_t i = 0; i < ring.size(); ++i) {
        fan.push_back({{0, 0}, ring[i], ring[(i + 1) % ring.size()]});
    }
    const TOutline hexagon = TraceOutline(fan);
    EXPECT_EQ(hexagon.Points, ring);
    EXPECT_EQ(hexagon.Starts, (TIntegers{0, 5}));
    ASSERT_EQ(hexagon.Count(), 1u);

    const TOutline two =
        TraceOutline({{{0, 0}, {34, 21}, {48, 0}}, {{100, 0}, {134, 21}, {148, 0}}});
    ASSERT_EQ(two.Count(), 2u);
    EXPECT_EQ(two.Range(1), (std::pair<int32_t, int32_t>{0, 2}));
    EXPECT_EQ(two.Range(2), (std::pair<int32_t, int32_t>{3, 5}));
    EXPECT_EQ(two.Points[3], (TPoint{100, 0}));
}

TEST_F(GroupsTest, OutlineEffectPathIsRelativeToTheAveragePoint) {
    const int32_t tri = Place(Type("Tri", 0), Frag(5, 2, 2));
    Board->OutlineEffect({tri}, 1234);
    ASSERT_EQ(Effects.Added.size(), 1u);
    const TEffectRequest& e = Effects.Added[0];
    EXPECT_EQ(e.Effect, "contour.xml");
    EXPECT_EQ(e.Position, (TPoint{228, 217 + 9}));
    EXPECT_EQ(e.Path, " Path (-27,-7) (7,14) (21,-7) (-27,-7);");
    EXPECT_EQ(e.StartTick, 1234);
    EXPECT_EQ(e.Clip, (TRect{0, 0, 800, 600}));
}

} // namespace
} // namespace qz::test
