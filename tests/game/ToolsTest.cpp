#include "GameTestSupport.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

struct ToolsTest : GameFixture, ::testing::Test {
    ToolsTest() {
        Board->Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 0);
        Board->Level.ShapeWeights[Type("Tri", 0)] = 1;
        Base = Place(Type("Tri", 0), Frag(5, 0, 2));
        for (int i = 0; i < QueueLength; ++i) {
            Board->DealFishka();
        }
    }
    void PutTriAt(int32_t cell, int32_t colour = 0) {
        ASSERT_TRUE(HandTo(Frag(5, cell, 2)));
        Board->Fishka(Board->Game.InHand).FType = Type("Tri", colour);
        ASSERT_TRUE(HandTo(Frag(5, cell, 2)));
        ASSERT_TRUE(Board->PlayerPut());
    }
    int32_t Base = -1;
};

TEST_F(ToolsTest, SwapTurnsTheQueueAndFliesOnCurves) {
    const TIntegers before = Board->Game.Queue;
    ASSERT_EQ(before.size(), 3u);
    Board->MovePointer(300, 400);
    Effects.Added.clear();
    Board->Swap();
    EXPECT_EQ(Board->Game.Queue, (TIntegers{before[1], before[2], before[0]}));
    EXPECT_EQ(Board->Game.InHand, before[1]);
    ASSERT_EQ(Effects.Added.size(), 3u);
    EXPECT_EQ(Effects.Added[0].Path,
              "Set Linear; Set Timing 0.3; Path (646,440) (688,356); Ending Stop;");
    EXPECT_EQ(Effects.Added[1].Name, "ToMouseMove3");
    EXPECT_EQ(Effects.Added[1].Path,
              "Set Bezier; Set Timing 0.15; Path (688,356) (397,367) (300,400); Ending Stop;");
    EXPECT_EQ(Effects.Added[2].Path,
              "Set Bezier; Set Timing 0.15; Path (300,400) (386,430) (646,440); Ending Stop;");
    EXPECT_EQ(Effects.Added[2].List, TEffectList::Game);
    EXPECT_EQ(Effects.Added[2].Effect, "SwapEffect.xml");
    EXPECT_EQ(Board->Fishka(before[0]).AnimTime, Clock.Tick + 300);
    EXPECT_EQ(Sounds.Last(), "4_change.ogg");
}

TEST_F(ToolsTest, ShuffleNeedsAChargeAndDealsAFreshQueue) {
    Board->Game.Shuffles = 0;
    EXPECT_FALSE(Board->Shuffle());
    EXPECT_TRUE(Sounds.Played.empty());
    Board->Game.Shuffles = 2;
    const size_t crystals = Board->Layer().Fishkas.size();
    ASSERT_TRUE(Board->Shuffle());
    EXPECT_EQ(Board->Layer().Fishkas.size(), crystals);
    EXPECT_EQ(Board->Game.Queue, (TIntegers{1, 2, 3}));
    EXPECT_EQ(Board->Game.InHand, 1);
    EXPECT_EQ(Board->Game.Shuffles, 1);
    EXPECT_EQ(Controls.Get("WGame_LShuffleCount", "Caption"), "1");
    EXPECT_EQ(Sounds.Last(), "12_magic.ogg");
    const auto shuffle = Effects.With("ShuffleEffect.xml");
    ASSERT_EQ(shuffle.size(), 1u);
    EXPECT_EQ(shuffle[0].Image, "particle_shuffle.png");
    EXPECT_EQ(Effects.Added.front().Path,
              "Set Linear; Set Timing 0.3; Path (688,356) (814,104); Ending Stop;");
}

TEST_F(ToolsTest, ShiftMovesTheLineBackOnlyWhenTheStructureIsLow) {
    Board->Game.Shifts = 1;
    Board->Game.CurrentY = 100;
    Board->Level.MoveInterval = 5000;
    ASSERT_TRUE(Board->Shift()); // bottom 210: 210 - 0 < 252
    EXPECT_EQ(Board->Game.CurrentY, 0);
    EXPECT_EQ(Board->Game.ScrollMid, 1);
    EXPECT_EQ(Board->Level.NextMoveTime, Clock.Tick + 5000);
    EXPECT_EQ(Controls.Get("WGame_LShiftCount", "Caption"), "0");
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "0");
    EXPECT_EQ(Sounds.Last(), "11_magic.ogg");
    EXPECT_FALSE(Board->Shift());
}

TEST_F(ToolsTest, TwoUndosTakeBackTwoPutsLosingTheLastDealtEachTime) {
    StartPlay(gmStrategy);
    Board->Level.Strategic = 2;
    Board->Level.PutLeft = 2;
    PutTriAt(1, 1);
    const int32_t first = 1;
    PutTriAt(2, 2);
    const int32_t second = 2;
    EXPECT_EQ(Board->Game.CurrentY, 42); // the second put moved the line
    ASSERT_EQ(Board->Game.UndoList.size(), 2u);
    const TIntegers queue = Board->Game.Queue;
    ASSERT_EQ(queue.size(), 3u);
    const size_t crystals = Board->Layer().Fishkas.size();

    ASSERT_TRUE(Board->Undo());
    EXPECT_EQ(Board->Game.InHand, second);
    EXPECT_EQ(Board->Game.Queue, (TIntegers{second, queue[0], queue[1]}));
    EXPECT_EQ(Board->Layer().Fishkas.size(), crystals - 1);
    EXPECT_EQ(Board->Fishka(second).State, fsRemoved);
    EXPECT_EQ(Board->Layer().Owners, (TIntegers{Base, first}));
    EXPECT_EQ(Board->Game.CurrentY, 0); // refunded past the count: the line comes back
    EXPECT_EQ(Board->Level.PutLeft, 1);
    EXPECT_EQ(Controls.Get("WGame_LPutsLeftCount", "Caption"), "1");
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "50");
    EXPECT_EQ(Sounds.Last(), "8_undo.ogg");

    ASSERT_TRUE(Board->Undo());
    EXPECT_EQ(Board->Game.Queue, (TIntegers{first, second, queue[0]}));
    EXPECT_EQ(Board->Layer().Owners, (TIntegers{Base}));
    EXPECT_EQ(Board->Level.PutLeft, 2);
    EXPECT_FALSE(Board->Undo());

    // The crystal taken back can be put again.
    ASSERT_TRUE(HandTo(Frag(5, 1, 2)));
    EXPECT_TRUE(Board->PlayerPut());
}

TEST_F(ToolsTest, UndoAfterABreakingPutDoesNothing) {
    StartPlay(gmPuzzle);
    Board->Level.Layers.clear();
    Board->Game.Queue.clear();
    Place(Type("Cell", 1), Frag(5, 1, 2));
    Place(Type("Cell", 0), Frag(5, 2, 2));
    Place(Type("Cell", 0), Frag(5, 3, 2));
    Board->Level.Bosses.push_back({160, 238, 0, 1});
    Board->AttachBosses();
    ASSERT_TRUE(HandTo(Frag(5, 4, 2)));
    Board->Fishka(Board->Game.InHand).FType = Type("Cell", 0);
    ASSERT_TRUE(HandTo(Frag(5, 4, 2)));
    ASSERT_TRUE(Board->PlayerPut());
    EXPECT_GT(Board->Game.Score, 0);
    EXPECT_FALSE(Board->Undo());
    EXPECT_EQ(Sounds.Count("8_undo.ogg"), 0);
}

TEST_F(ToolsTest, QueueAdvanceFliesEachCrystalOneSlotForward) {
    Board->MovePointer(100, 200);
    Effects.Added.clear();
    Board->QueueAdvance();
    ASSERT_EQ(Effects.Added.size(), 3u);
    EXPECT_EQ(Effects.Added[0].Name, "ToMouseMove2");
    EXPECT_EQ(Effects.Added[0].Path,
              "Set Linear; Set Timing 0.3; Path (688,356) (100,200); Ending Stop;");
    EXPECT_EQ(Effects.Added[1].Path,
              "Set Linear; Set Timing 0.3; Path (646,440) (688,356); Ending Stop;");
    EXPECT_EQ(Effects.Added[2].Path,
              "Set Linear; Set Timing 0.3; Path (520,692) (646,440); Ending Stop;");
    EXPECT_EQ(Effects.Added[2].Clip, (TRect{400, 305, 800, 566}));
    EXPECT_EQ(Effects.Added[1].Clip, (TRect{0, 0, 800, 600}));
}

// Strategy play has no clock: a board where no crystal of the hand and the queue can touch
// the structure, with no shuffle and no undo left, is lost at once; a shuffle or an undo
// left keeps it going, and so does one place to put.
TEST_F(ToolsTest, StrategyPlayThatCanNeverGoOnIsLost) {
    StartPlay(gmStrategy);
    Board->Game.Shuffles = 0;
    const TIntegers around = Board->Level.NullFrags;
    for (int32_t row = 2; row <= 8; ++row) {
        for (int32_t f = row * FragsPerRow; f < (row + 1) * FragsPerRow; ++f) {
            if (IndexOfInteger(Board->Layer().Frags, f) < 0) {
                Board->Level.NullFrags.push_back(f);
            }
        }
    }
    for (const int32_t index : Board->Game.Queue) {
        EXPECT_FALSE(Board->HasPlace(index)) << index;
    }
    const TFishka hand = Board->Fishka(Board->Game.InHand);

    Board->Game.Shuffles = 1;
    Board->DeadEndCheck();
    EXPECT_EQ(Board->Game.GameState, gsGamePlay) << "a shuffle may bring a crystal that fits";
    Board->Game.Shuffles = 0;
    Board->Game.UndoList.push_back({hand.FType, hand.x, hand.y, Base});
    Board->DeadEndCheck();
    EXPECT_EQ(Board->Game.GameState, gsGamePlay) << "an undo brings back a crystal that fits";
    Board->Game.UndoList.clear();
    Board->Game.Mode = gmNoLose;
    Board->DeadEndCheck();
    EXPECT_EQ(Board->Game.GameState, gsGamePlay) << "only strategy play waits for puts";

    Board->Game.Mode = gmStrategy;
    Board->DeadEndCheck();
    EXPECT_EQ(Board->Game.GameState, gsGameOver);
    EXPECT_EQ(Controls.Windows.back(), "WGameOver");
    EXPECT_EQ(Sounds.Played.back(), "10_looser.ogg");
    // The crystal in hand was tried in every turn and left as it was.
    EXPECT_EQ(Board->Fishka(Board->Game.InHand).FType, hand.FType);
    EXPECT_EQ(Board->Fishka(Board->Game.InHand).x, hand.x);

    // With the lattice free again, the same queue has its places.
    Board->Level.NullFrags = around;
    Board->Game.GameState = gsGamePlay;
    EXPECT_TRUE(Board->HasPlace(Board->Game.InHand));
    Board->DeadEndCheck();
    EXPECT_EQ(Board->Game.GameState, gsGamePlay);
}

} // namespace
} // namespace qz::test
