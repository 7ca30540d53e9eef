#include "GameTestSupport.h"
#include "archive/Random.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

struct BoardTest : GameFixture, ::testing::Test {
    TFishka Hand(int32_t type, TPoint window) const {
        TFishka f;
        f.FType = type;
        f.x = window.X;
        f.y = window.Y;
        return f;
    }
    // The lattice points a crystal covers, fish by fish.
    TPoints Covered(const TFishka& f) const {
        TPoints all;
        for (size_t i = 0; i < Defs.ShapeOf(f.FType).Fishes.size(); ++i) {
            const TPoints p = Board->FishkaPoints(f, i);
            all.insert(all.end(), p.begin(), p.end());
        }
        std::sort(all.begin(), all.end(),
                  [](TPoint a, TPoint b) { return a.X != b.X ? a.X < b.X : a.Y < b.Y; });
        return all;
    }
    TPoints FragPoints(const TIntegers& frags) const {
        TPoints all;
        for (const int32_t f : frags) {
            for (const int32_t p : Defs.Frags[f].Points) {
                all.push_back(Defs.BoardPoints[p]);
            }
        }
        std::sort(all.begin(), all.end(),
                  [](TPoint a, TPoint b) { return a.X != b.X ? a.X < b.X : a.Y < b.Y; });
        return all;
    }
};

TEST_F(BoardTest, CanPutMatchesWithin24PixelsAndSnapsOntoTheMatchedFragments) {
    NewLayer();
    for (const char* shape : {"Tri", "TriDown", "Cell", "Big"}) {
        const int32_t type = Type(shape, 0);
        const int32_t first = Defs.ShapeOf(type).Fishes[0].Type;
        const int32_t frag = Frag(6, 3, first);
        const TPoint at = WindowFor(type, frag);
        for (const TPoint d : {TPoint{0, 0}, TPoint{0, -24}, TPoint{24, 0}}) {
            const TFit fit = Board->CanPut(Hand(type, {at.X + d.X, at.Y + d.Y}));
            ASSERT_TRUE(fit.Fits) << shape << " " << d.X << "," << d.Y;
            ASSERT_EQ(fit.Frags.size(), Defs.ShapeOf(type).Fishes.size()) << shape;
            EXPECT_EQ(fit.Frags.front(), frag) << shape;
            TFishka snapped = Hand(type, at);
            snapped.x = fit.Position.X;
            snapped.y = fit.Position.Y;
            EXPECT_EQ(Covered(snapped), FragPoints(fit.Frags)) << shape;
        }
        EXPECT_FALSE(Board->CanPut(Hand(type, {at.X, at.Y - 25})).Fits) << shape;
    }
    // A Tri pushed 24 px down has its row past the searched rows (they follow its points).
    const int32_t low = Type("Tri", 0);
    const TPoint lowAt = WindowFor(low, Frag(6, 3, 2));
    EXPECT_FALSE(Board->CanPut(Hand(low, {lowAt.X, lowAt.Y + 24})).Fits);
    // 24 px to the left is as near the neighbour cell, which comes first.
    EXPECT_EQ(Board->CanPut(Hand(low, {lowAt.X - 24, lowAt.Y})).Frags, (TIntegers{Frag(6, 2, 2)}));
    // With the view moved up, the same window position lands one row higher.
    const int32_t tri = Type("Tri", 0);
    const TPoint at = WindowFor(tri, Frag(6, 3, 2));
    Board->Game.ViewY = 42;
    Board->Game.ViewX = 21;
    EXPECT_EQ(Board->CanPut(Hand(tri, {at.X + 21, at.Y})).Frags, (TIntegers{Frag(7, 3, 2)}));
}

TEST_F(BoardTest, NullAndCoveredFragmentsNeverFitEvenAtLevelLoad) {
    const int32_t tri = Type("Tri", 0);
    Board->Level.NullFrags = {Frag(5, 2, 2)};
    const int32_t nulled = Place(tri, Frag(5, 2, 2));
    EXPECT_TRUE(Board->Layer().Frags.empty());
    EXPECT_EQ(Board->Fishka(nulled).x, WindowFor(tri, Frag(5, 2, 2)).X);
    Place(tri, Frag(5, 3, 2));
    EXPECT_EQ(Board->Layer().Frags, (TIntegers{Frag(5, 3, 2)}));
    EXPECT_FALSE(Board->CanPut(Hand(tri, WindowFor(tri, Frag(5, 3, 2)))).Fits);
}

TEST_F(BoardTest, PlayerPutNeedsContactAndThenDealsCountsAndRecordsUndo) {
    StartPlay(gmStrategy);
    Board->Level.Strategic = 5;
    Board->Level.PutLeft = 5;
    Board->Level.PutFishkaSound = "put.ogg";
    Board->Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 0);
    Board->Level.ShapeWeights[Type("Tri", 0)] = 1;
    const int32_t tri = Type("Tri", 0);
    Place(tri, Frag(5, 0, 2));
    // A crystal that has just broken stays in the layer for a while, its fragments freed.
    const int32_t broken = Place(tri, Frag(5, 6, 2));
    Board->Fishka(broken).State = fsRemoved;
    ASSERT_EQ(Board->Layer().Owners, (TIntegers{0, broken}));
    Board->Layer().Frags.pop_back();
    Board->Layer().Owners.pop_back();

    // Far from the structure, a corner away from the broken crystal.
    ASSERT_TRUE(HandTo(Frag(5, 5, 2)));
    // The landing preview promises only a put the click makes.
    EXPECT_TRUE(Board->Level.HoverFrags.empty());
    const int32_t hand = Board->Game.InHand;
    const TPoint pointer{Board->Game.PointerX, Board->Game.PointerY};
    const size_t soundsBefore = Sounds.Played.size();
    EXPECT_FALSE(Board->PlayerPut());
    // The input handler knows whether the pointer is over the board; the rules stay quiet.
    EXPECT_EQ(Sounds.Played.size(), soundsBefore);
    EXPECT_EQ(Board->Fishka(hand).State, fsQueued);
    TFishka expected = Board->Fishka(hand);
    Board->FollowPointer(expected);
    EXPECT_EQ(Board->Fishka(hand).x, expected.x);
    EXPECT_EQ(pointer.X, Board->Game.PointerX);
    // Nor is a queued crystal contact, wherever it lies.
    ASSERT_EQ(Board->Game.Queue.size(), 3u);
    TFishka& queued = Board->Fishka(Board->Game.Queue[1]);
    const TFit lattice = Board->CanPut(Hand(queued.FType, WindowFor(queued.FType, Frag(5, 7, 2))));
    ASSERT_TRUE(lattice.Fits);
    queued.x = lattice.Position.X;
    queued.y = lattice.Position.Y;
    ASSERT_TRUE(HandTo(Frag(5, 8, 2)));
    EXPECT_FALSE(Board->PlayerPut());

    const std::vector<std::string> bars{"20", "40", "60", "80"};
    for (int32_t put = 1; put <= 5; ++put) {
        ASSERT_TRUE(HandTo(Frag(5, put, 2)));
        EXPECT_FALSE(Board->Level.HoverFrags.empty()) << put;
        const int32_t in = Board->Game.InHand;
        Clock.Tick += 100;
        ASSERT_TRUE(Board->PlayerPut()) << put;
        EXPECT_EQ(Board->Fishka(in).State, fsOnBoard);
        EXPECT_EQ(Board->Fishka(in).FlashTime, Clock.Tick + 200);
        ASSERT_FALSE(Board->Game.UndoList.empty()) << put;
        EXPECT_EQ(Board->Game.UndoList.back().Index, in);
        ASSERT_EQ(Board->Game.Queue.size(), 3u);
        EXPECT_EQ(Board->Game.InHand, Board->Game.Queue.front());
        EXPECT_EQ(Controls.Get("WGame_LPutsLeftCount", "Caption"),
                  std::to_string(put < 5 ? 5 - put : 5));
        if (put < 5) {
            EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), bars[put - 1]);
            EXPECT_EQ(Board->Game.CurrentY, 0);
        }
    }
    EXPECT_EQ(Board->Game.CurrentY, 42);
    EXPECT_EQ(Board->Level.PutLeft, 5);
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "0");
    EXPECT_EQ(Controls.Get("WGame_LScoreCount", "Caption"), "0");
    EXPECT_EQ(Sounds.Count("put.ogg"), 5);
    EXPECT_EQ(Board->Game.UndoList.size(), 5u);
    EXPECT_EQ(Effects.With("SwapEffect.xml").size(), 15u); // three flights per put
}

TEST_F(BoardTest, RotationFollowsTheShapeCyclesAndGivesUpOnOpenOnes) {
    NewLayer();
    Board->DealFishka();
    ASSERT_EQ(Board->Game.InHand, 0);
    TFishka& hand = Board->Fishka(Board->Game.InHand);
    hand.FType = Type("Tri", 1);
    Board->RotateNext();
    EXPECT_EQ(hand.FType, Type("TriDown", 1));
    Board->RotatePrevious();
    EXPECT_EQ(hand.FType, Type("Tri", 1));
    Board->RotatePrevious();
    EXPECT_EQ(hand.FType, Type("TriDown", 1));
    hand.FType = Type("Cell", 2);
    Board->RotateNext();
    Board->RotatePrevious();
    EXPECT_EQ(hand.FType, Type("Cell", 2));
    EXPECT_EQ(Sounds.Count("rotate.ogg"), 5);

    Defs.FishkaTypes[Type("Tri", 0)].NextRotateName = "Cell_0";
    hand.FType = Type("Tri", 0);
    Board->RotatePrevious();
    EXPECT_EQ(hand.FType, Type("Tri", 0));
    EXPECT_EQ(Sounds.Count("rotate.ogg"), 6);
}

TEST_F(BoardTest, WeightedChoiceAndDealing) {
    Random().Seed(3);
    EXPECT_EQ(WeightedChoice({}), 0);
    EXPECT_EQ(WeightedChoice({0, 0}), 2);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(WeightedChoice({0, 3, 0}), 1);
    }
    Place(Type("Tri", 2), Frag(5, 0, 2));
    Place(Type("Tri", 2), Frag(30, 0, 2)); // above the view: its colour does not count
    Board->Layer().Fishkas.back().FType = Type("Tri", 1);
    Board->Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 0);
    Board->Level.ShapeWeights[Type("Cell", 0)] = 4;
    Board->Level.NoColorFishka = 1.0;
    for (int i = 0; i < 20; ++i) {
        Board->DealFishka();
        const TFishka& f = Board->Layer().Fishkas.back();
        EXPECT_EQ(f.FType, Type("Cell", 2));
        EXPECT_EQ(f.ColorHidden, 1);
        EXPECT_EQ(f.Count, 1);
        EXPECT_EQ(f.FallTime, -1);
        EXPECT_EQ(f.State, fsQueued);
    }
    EXPECT_EQ(Board->Game.InHand, 2);
    // No positive weight: every shape the level names is equally likely, never out of range.
    Board->Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 0);
    Board->Level.WeightedShapes = {1, 3};
    std::set<int32_t> shapes;
    for (int i = 0; i < 40; ++i) {
        Board->DealFishka();
        const int32_t type = Board->Layer().Fishkas.back().FType;
        ASSERT_TRUE(type >= 0 && static_cast<size_t>(type) < Defs.FishkaTypes.size()) << type;
        shapes.insert(Defs.FishkaTypes[type].Shape);
    }
    EXPECT_EQ(shapes, (std::set<int32_t>{1, 3}));
}

TEST_F(BoardTest, RecolourQueueGivesQueuedCrystalsAColourOnView) {
    Place(Type("Cell", 1), Frag(5, 0, 2));
    Board->Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 1);
    for (int i = 0; i < 3; ++i) {
        Board->DealFishka();
    }
    for (const int32_t q : Board->Game.Queue) {
        Board->Fishka(q).FType = Type("Big", 2);
    }
    Board->RecolourQueue();
    for (const int32_t q : Board->Game.Queue) {
        EXPECT_EQ(Board->Fishka(q).FType, Type("Big", 1));
    }
}

TEST_F(BoardTest, BottomFollowAndDangerNumbers) {
    EXPECT_EQ(Board->BottomOf(0), 100000);
    Place(Type("Tri", 0), Frag(10, 0, 2)); // top 441, bottom 420
    EXPECT_EQ(Board->BottomOf(0), 420);
    EXPECT_TRUE(Board->FollowBottom());
    EXPECT_EQ(Board->Game.CurrentY, 168);
    EXPECT_EQ(Board->Game.ScrollMid, 85);
    Board->Game.ViewY = 168;
    EXPECT_FALSE(Board->FollowBottom());

    StartPlay(gmPuzzle);
    Board->Level.MoveInterval = 4000;
    Board->Game.CurrentY = 380; // 40 px below the structure: not yet
    EXPECT_FALSE(Board->DangerCheck());
    EXPECT_FALSE(Board->Game.Danger);
    Board->Game.CurrentY = 381; // 39 px
    EXPECT_FALSE(Board->DangerCheck());
    EXPECT_TRUE(Board->Game.Danger);
    EXPECT_EQ(Board->Level.DangerTime, 3000);
    EXPECT_EQ(Board->Game.DangerStart, Clock.Tick);
    EXPECT_EQ(Board->Level.NextMoveTime, Clock.Tick + 4000);
    Board->Game.CurrentY = 421;
    EXPECT_FALSE(Board->DangerCheck()); // d + 1 = 0 still stands
    Board->Game.CurrentY = 422;
    EXPECT_TRUE(Board->DangerCheck());
    Board->Game.CurrentY = 0;
    EXPECT_FALSE(Board->DangerCheck());
    EXPECT_FALSE(Board->Game.Danger);
    EXPECT_EQ(Controls.Get("WGame_PBDead", "BarPicture"), "DeadProgressBar.png");
    Board->Game.Mode = gmStrategy;
    Board->Level.PutLeft = 2;
    Board->DangerCheck();
    EXPECT_EQ(Controls.Get("WGame_PBDead", "BarPicture"), "DeadProgressBarGreen.png");
}

TEST_F(BoardTest, RealTimeMovesWarnRescueOnceAndThenEndTheGame) {
    StartPlay(gmPuzzle);
    Board->Game.Rescue = true;
    Place(Type("Tri", 0), Frag(2, 0, 2)); // bottom 84
    Board->Level.MoveInterval = 1000;
    Board->Level.NextMoveTime = 11000;
    Board->Game.CurrentY = 0;
    Board->FrameTick(11001);
    EXPECT_EQ(Board->Game.CurrentY, 42);
    EXPECT_FALSE(Board->Game.Danger); // 84 - 42 = 42 px: not yet within 40
    Board->Game.Danger = false;
    Board->Game.CurrentY = 50;
    Clock.Tick = 12000;
    Board->DangerCheck();
    ASSERT_TRUE(Board->Game.Danger);
    EXPECT_EQ(Board->Level.NextMoveTime, 13000);
    Board->FrameTick(12500);
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "50");
    Board->FrameTick(13100); // past the move time, inside the danger delay: the bar blinks
    EXPECT_EQ(Controls.Get("WGame_PBDead", "BarPicture"), "DeadProgressBarOn.png");
    Board->FrameTick(13200);
    EXPECT_EQ(Controls.Get("WGame_PBDead", "BarPicture"), "DeadProgressBarOn.png");
    Board->FrameTick(13400);
    EXPECT_EQ(Controls.Get("WGame_PBDead", "BarPicture"), "DeadProgressBar.png");
    EXPECT_EQ(Sounds.Count("alert.ogg"), 2);

    Board->Game.CurrentY = 84;
    Board->FrameTick(16001); // the move: 84 + 42 crosses the structure
    EXPECT_EQ(Controls.Hints, (std::vector<std::string>{"WGame_HLose"}));
    EXPECT_EQ(Board->Game.CurrentY, 84 - 126);
    EXPECT_FALSE(Board->Game.Rescue);
    EXPECT_FALSE(Board->Game.Danger);
    EXPECT_EQ(Board->Game.GameState, gsGamePlay);

    Board->Game.CurrentY = 84;
    Board->Level.DangerTime = 0;
    Board->Level.NextMoveTime = 0;
    Sounds.Music = "level.mo3";
    Board->FrameTick(17000);
    EXPECT_EQ(Board->Game.GameState, gsGameOver);
    EXPECT_EQ(Controls.Windows, (std::vector<std::string>{"WGameOver"}));
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "100");
    EXPECT_EQ(Sounds.Music, "");
    EXPECT_EQ(Sounds.Last(), "10_looser.ogg");
}

// A level picture of several images shows each for its own time in turn; one image stays.
TEST_F(BoardTest, LevelPicturesStepThroughTheirImages) {
    TLevelPicture lamp;
    lamp.Images = {"a.png", "b.png", "c.png"};
    lamp.Times = {100, 300, 50};
    TLevelPicture still;
    still.Images = {"s.png"};
    still.Times = {10};
    Board->Level.Pictures = {lamp, still};
    std::vector<int32_t> shown;
    for (int32_t t = 10000; t <= 11000; t += 10) {
        Board->AnimatePictures(t);
        if (shown.empty() || shown.back() != Board->Level.Pictures[0].Counter) {
            shown.push_back(Board->Level.Pictures[0].Counter);
        }
    }
    // From load it changes at once, then b for 300 ms, c for 50, a for 100, ...
    EXPECT_EQ(shown, (std::vector<int32_t>{1, 2, 0, 1, 2, 0, 1}));
    EXPECT_EQ(Board->Level.Pictures[1].Counter, 0);
    // A pause of minutes does not make it race through its images to catch up.
    Board->AnimatePictures(500000);
    const int32_t after = Board->Level.Pictures[0].Counter;
    Board->AnimatePictures(500010);
    EXPECT_EQ(Board->Level.Pictures[0].Counter, after);
}

TEST_F(BoardTest, ViewAcceleratesToTheMidpointAndBrakesAfterIt) {
    StartPlay(gmNoLose);
    NewLayer();
    Board->Game.CurrentY = 42;
    Board->Game.ScrollMid = 21;
    std::vector<int32_t> seen;
    for (int32_t t = 0; t < 400; t += 30) {
        Board->FrameTick(t);
        seen.push_back(Board->Game.ViewY);
    }
    EXPECT_EQ(std::vector<int32_t>(seen.begin(), seen.begin() + 11),
              (std::vector<int32_t>{1, 3, 6, 10, 15, 21, 28, 34, 39, 42, 42}));
    EXPECT_EQ(Board->Game.ViewX, 21);
    EXPECT_EQ(Board->Game.ScrollSpeed, 0);
    Board->Game.CurrentY = 0;
    Board->Game.ScrollMid = 21;
    Board->FrameTick(1000);
    EXPECT_EQ(Board->Game.ViewY, 41);
}

TEST_F(BoardTest, ContourRunsAlongRowLinesAndSkipsCoveredCells) {
    Place(Type("Tri", 0), Frag(5, 2, 2));
    Board->BuildContour();
    EXPECT_EQ(Board->Layer().Contour,
              (TPoints{{201, 210}, {222, 252}, {153, 210}, {174, 252}, {249, 210}, {270, 252}}));
    Place(Type("Cell", 0), Frag(5, 3, 2));
    Board->BuildContour();
    const TPoints& contour = Board->Layer().Contour;
    EXPECT_EQ(std::count(contour.begin(), contour.end(), TPoint{270, 252}), 0);
    EXPECT_EQ(std::count(contour.begin(), contour.end(), TPoint{318, 252}), 1);
    // On the left edge no point is added further left.
    Board->Level.Layers.clear();
    Place(Type("Tri", 0), Frag(5, 0, 2));
    Board->BuildContour();
    EXPECT_EQ(std::count(Board->Layer().Contour.begin(), Board->Layer().Contour.end(),
                         TPoint{105 - 48, 210}),
              0);
}

} // namespace
} // namespace qz::test
