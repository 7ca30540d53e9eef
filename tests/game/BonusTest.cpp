#include "GameTestSupport.h"
#include "archive/Error.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

struct BonusTest : GameFixture, ::testing::Test {
    // A main Cell with the main boss at cell 1, Cells at 2..4 and a Tri at 5, colour 0.
    void BuildRow() {
        for (int32_t cell = 1; cell <= 4; ++cell) {
            Place(Type("Cell", cell == 1 ? 1 : 0), Frag(5, cell, 2));
        }
        Place(Type("Tri", 2), Frag(5, 5, 2));
        Board->Level.Bosses.push_back({160, 238, 0, 1});
        Board->AttachBosses();
    }
};

TEST_F(BonusTest, BossesAttachToTheFirstCrystalUnderThemAndDyingShiftsIndexes) {
    BuildRow();
    Board->Level.Bosses.push_back({0, 0, 1, 0});          // over nothing
    Board->Level.Bosses.push_back({208 + 48, 238, 1, 0}); // over crystal 2
    Board->Level.Bosses.push_back({0, 0, 2, 0});
    for (TFishka& f : Board->Layer().Fishkas) {
        f.Boss = -1;
    }
    Board->Fishka(2).BType = 3;
    Board->Fishka(2).BonusEffect.Active = true;
    Board->AttachBosses();
    EXPECT_EQ(Board->Fishka(0).Boss, 0);
    EXPECT_EQ(Board->Fishka(2).Boss, 2);
    EXPECT_EQ(Board->Fishka(2).BType, -1);
    EXPECT_FALSE(Board->Fishka(2).BonusEffect.Active);
    EXPECT_EQ(Board->Layer().MainFishka, 0);

    Board->KillBoss(0);
    EXPECT_EQ(Board->Fishka(0).Boss, -1);
    EXPECT_EQ(Board->Fishka(2).Boss, 1);
    const auto die = Effects.With("BossDieEffect.xml");
    ASSERT_EQ(die.size(), 1u);
    EXPECT_EQ(die[0].Position, (TPoint{180, 223}));
    const auto particles = Effects.With("BossDieParticlesEffect.xml");
    ASSERT_EQ(particles.size(), 1u);
    EXPECT_EQ(particles[0].Position, (TPoint{180, 218}));
    Board->KillBoss(2); // its picture is missing: no effects
    EXPECT_EQ(Effects.With("BossDieEffect.xml").size(), 1u);
    EXPECT_EQ(Board->Level.Bosses.size(), 2u);
}

TEST_F(BonusTest, BossFadesWhileThePointerIsOverIt) {
    BuildRow();
    Board->MovePointer(160 + 11 + 5, 593 - 238 + 5);
    EXPECT_EQ(Board->Level.Bosses[0].Faded, 1);
    EXPECT_EQ(Board->Level.Bosses[0].FadeStart, Clock.Tick);
    Clock.Tick += 50;
    Board->MovePointer(10, 10);
    EXPECT_EQ(Board->Level.Bosses[0].Faded, 0);
    EXPECT_EQ(Board->Level.Bosses[0].FadeEnd, Clock.Tick);
}

TEST_F(BonusTest, CoinsAndChargesAreCollectedWithTheirLabelsAndSound) {
    StartPlay(gmPuzzle);
    BuildRow();
    Board->GiveBonus(2, 2);
    EXPECT_EQ(Board->Fishka(2).BonusEffect.Image, "gold_coin_line.png");
    Board->GiveBonus(3, 4);
    EXPECT_EQ(Board->Fishka(3).BonusEffect.Position.Y, Board->SignPoint(Board->Fishka(3)).Y + 9);
    EXPECT_EQ(Board->Fishka(3).BonusEffect.Effect, "BonusBomb.xml");
    Board->Fishka(2).State = fsRemoved;
    Board->Fishka(3).State = fsRemoved;
    Board->CollectBonus(2);
    Board->CollectBonus(3);
    EXPECT_EQ(Board->Game.Score, 200);
    EXPECT_EQ(Controls.Get("WGame_LScoreCount", "Caption"), "200");
    EXPECT_EQ(Board->Game.Shuffles, 5);
    EXPECT_EQ(Controls.Get("WGame_LShuffleCount", "Caption"), "5");
    EXPECT_EQ(Sounds.Count("7_bonus.ogg"), 2);
    EXPECT_EQ(Effects.With("GiveBonus.xml").size(), 2u);
    Board->Game.Mode = gmNoLose;
    Board->CollectBonus(2);
    EXPECT_EQ(Board->Game.Score, 200);
    Board->GiveBonus(4, 20); // past the table: no mark, nothing collected
    EXPECT_FALSE(Board->Fishka(4).BonusEffect.Active);
}

TEST_F(BonusTest, ABombSparesBossCrystalsAndDropsWhatItCutsOff) {
    StartPlay(gmPuzzle);
    BuildRow();
    // Within 60 px of crystal 1's sign point lie crystals 0..2; 0 carries the main boss.
    const TPoint centre = Board->SignPoint(Board->Fishka(1));
    Board->Explode(centre, 60);
    EXPECT_EQ(Board->Fishka(0).State, fsOnBoard);
    EXPECT_EQ(Board->Fishka(0).Boss, 0);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(Board->Fishka(i).State, fsRemoved) << i;
        EXPECT_EQ(Board->Fishka(i).FallTime, Clock.Tick + 500) << i;
    }
    // Crystal 3 and the Tri lost their hold and fall for double points.
    for (int i = 3; i <= 4; ++i) {
        EXPECT_EQ(Board->Fishka(i).State, fsRemoved) << i;
        EXPECT_EQ(Board->Fishka(i).FallTime, Clock.Tick + 1500) << i;
    }
    EXPECT_EQ(Board->Game.Score, 2 * (20 + 10));
    EXPECT_EQ(Effects.With("GiveBonusBomb.xml").size(), 2u);
    EXPECT_EQ(Board->Layer().Owners, (TIntegers{0, 0, 0, 0}));
    EXPECT_EQ(Sounds.Last(), "BonusBoom.ogg");
}

TEST_F(BonusTest, ColourBombsRepaintOnlyOtherColoursAndTheThreeColourMarkAll) {
    BuildRow();
    const TPoint centre = Board->SignPoint(Board->Fishka(2));
    Board->Repaint(centre, 100, 0);
    EXPECT_EQ(Board->Fishka(2).FlashTime, 0);           // already colour 0
    EXPECT_EQ(Board->Fishka(0).FType, Type("Cell", 0)); // bosses do not protect
    EXPECT_EQ(Board->Fishka(0).FlashTime, Clock.Tick + 600);
    Board->Repaint(centre, 100, 2);
    EXPECT_EQ(Board->Fishka(2).FType, Type("Cell", 2));
    EXPECT_EQ(Board->Fishka(4).FType, Type("Tri", 2));

    Board->Fishka(4).State = fsRemoved;
    Board->Fishka(4).BType = 9;
    Board->CollectBonus(4);
    const auto star = Effects.With("GiveBonusColorBomb.xml");
    ASSERT_EQ(star.size(), 1u);
    EXPECT_EQ(star[0].Image, "boomcolorstar1");

    Board->Level.Colors = {2};
    Board->RepaintView();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Defs.ColorOf(Board->Fishka(i).FType), 1) << i;
    }

    // The three-colour mark is collected when its crystal breaks: the view is repainted.
    Board->GiveBonus(2, 15);
    EXPECT_EQ(Board->Fishka(2).BonusEffect.Image, "tricolor_line.png");
    Board->Level.Colors = {3};
    Clock.Tick += 1000;
    Board->Group = {1, 2, 3};
    Board->RemoveGroup(Clock.Tick);
    EXPECT_EQ(Board->Fishka(0).FType, Type("Cell", 2));
    EXPECT_EQ(Board->Fishka(0).FlashTime, Clock.Tick + 600);
    const auto collected = Effects.With("GiveBonus.xml");
    ASSERT_EQ(collected.size(), 1u);
    EXPECT_EQ(collected[0].Image, "tricolor_line.png");
    EXPECT_EQ(collected[0].Position, Board->SignPoint(Board->Fishka(2)));
}

} // namespace
} // namespace qz::test

namespace qz::test {
namespace {

TEST_F(BonusTest, TheBossHintShowsOncePerGameWhenABossIsWellInView) {
    StartPlay(gmNoLose);
    BuildRow();
    Board->Game.BossHint = true;
    Board->Level.Bosses[0].x = 5; // window left 16: too near the edge
    Board->FrameTick(100);
    EXPECT_TRUE(Controls.Hints.empty());
    Board->Level.Bosses[0].x = 160;
    Board->FrameTick(200);
    Board->FrameTick(300);
    EXPECT_EQ(Controls.Hints, (std::vector<std::string>{"WGame_HBoss"}));
}

TEST_F(BonusTest, RestoredBoardsWithIndexesOutOfRangeAreRefused) {
    BuildRow();
    EXPECT_NO_THROW(Board->CheckIndexes());
    Board->Fishka(2).FType = 12;
    EXPECT_THROW(
        {
            try {
                Board->CheckIndexes();
            } catch (const Error& e) {
                EXPECT_STREQ(e.what(), "layer 1 crystal 3 has the crystal type 12, which does not "
                                       "exist (12 crystal types)");
                throw;
            }
        },
        Error);
    Board->Fishka(2).FType = 0;
    Board->Level.Bosses[0].Type = 3;
    EXPECT_THROW(Board->CheckIndexes(), Error);
    Board->Level.Bosses[0].Type = 0;
    ASSERT_FALSE(Board->Layer().Frags.empty());
    Board->Layer().Frags[0] = 12000;
    EXPECT_THROW(Board->CheckIndexes(), Error);
}

} // namespace
} // namespace qz::test
