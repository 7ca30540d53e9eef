// Thousands of random puts, rotations, tools and frame ticks on random boards; after every
// step the board's lists must still agree with each other.

#include "BoardLists.h"
#include "GameTestSupport.h"
#include "archive/Random.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

class RulesProperty : public GameFixture {
public:
    explicit RulesProperty(uint64_t seed) : gen_(seed) {}

    void BuildBoard() {
        TBoard& b = *Board;
        b.Game.Mode = 1 + gen_.Next(3);
        b.Game.GameState = gsGamePlay;
        b.Game.Rescue = gen_.Next(2) == 0;
        b.Level.Colors = {1, 2, 3};
        b.Level.ShapeWeights.assign(Defs.FishkaTypes.size(), 1);
        b.Level.MoveInterval = 2000;
        b.Level.Strategic = 1 + gen_.Next(5);
        b.Level.PutLeft = b.Level.Strategic;
        b.Level.BonusTypeWeights = {1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 0, 0, 0, 0, 1};
        b.Level.FishkaWithBonus = 0.5;
        for (int i = 0; i < 3; ++i) {
            b.Level.NullFrags.push_back(gen_.Next(FragCount));
        }
        const int32_t layers = 1 + gen_.Next(2);
        for (int32_t l = 0; l < layers; ++l) {
            NewLayer();
            const int32_t row = 4 + gen_.Next(3);
            const int32_t cell = gen_.Next(9);
            const int32_t main = Place(Type("Cell", gen_.Next(3)), Frag(row, cell, 2));
            const TFishka& m = b.Fishka(main);
            b.Level.Bosses.push_back({m.x + 7, m.y - 21 + 20 + 8, 0, 1});
            for (int i = 0; i < 25; ++i) {
                const int32_t type = gen_.Next(static_cast<int32_t>(Defs.FishkaTypes.size()));
                const int32_t kind = Defs.ShapeOf(type).Fishes[0].Type;
                const int32_t frag = Frag(row - 1 + gen_.Next(5), gen_.Next(10), kind);
                TFishka f;
                f.FType = type;
                const TPoint at = WindowFor(type, frag);
                f.x = at.X;
                f.y = at.Y;
                if (!b.CanPut(f).Fits) {
                    continue;
                }
                const int32_t index = Place(type, frag, static_cast<uint8_t>(1 + gen_.Next(2)));
                if (Defs.ShapeOf(type).Fishes.size() >= 5 && gen_.Next(2) == 0) {
                    b.GiveBonus(index, -1);
                }
                if (gen_.Next(6) == 0) {
                    const TFishka& c = b.Fishka(index);
                    const TPoints p = b.FishkaPoints(c, 0);
                    const TPoint inside{(p[0].X + p[1].X + p[2].X) / 3,
                                        (p[0].Y + p[1].Y + p[2].Y) / 3};
                    b.Level.Bosses.push_back({inside.X - 20, inside.Y + 20, 1, 0});
                }
            }
        }
        b.Level.LayerIndex = 0;
        b.DrawOrder.clear();
        for (size_t i = 0; i < b.Layer().Fishkas.size(); ++i) {
            b.DrawOrder.push_back(static_cast<int32_t>(i));
        }
        b.AttachBosses();
        b.Level.PutFishkaSound = "put.ogg";
        for (int i = 0; i < QueueLength; ++i) {
            b.DealFishka();
        }
        b.Game.Shifts = 2;
        b.Game.Shuffles = 2;
    }

    // One random action; false when the level has ended one way or the other.
    bool Step() {
        TBoard& b = *Board;
        const int32_t action = gen_.Next(20);
        if (action < 11) {
            const int32_t type = b.Fishka(b.Game.InHand).FType;
            const int32_t kind = Defs.ShapeOf(type).Fishes[0].Type;
            const int32_t lowest = std::max(0, (b.BottomOf(b.Level.LayerIndex)) / 42 - 2);
            const int32_t row = std::min(290, lowest + gen_.Next(8));
            if (HandTo(Frag(row, gen_.Next(10), kind))) {
                b.PlayerPut();
            }
        } else if (action == 11) {
            b.RotateNext();
        } else if (action == 12) {
            b.RotatePrevious();
        } else if (action == 13) {
            b.Swap();
        } else if (action == 14) {
            b.Shuffle();
        } else if (action == 15) {
            b.Shift();
        } else if (action <= 17) {
            b.Undo();
        } else {
            Clock.Tick += gen_.Next(1500);
            b.FrameTick(Clock.Tick);
        }
        if (gen_.Next(4) == 0) {
            Clock.Tick += gen_.Next(400);
            b.FrameTick(Clock.Tick);
        }
        return b.Game.GameState == gsGamePlay && !b.Level.LevelDone;
    }

    void Check(const std::string& where) const { ExpectConsistentLists(*Board, where); }

private:
    TRandom gen_;
};

TEST(RulesProperty, RandomPlayKeepsEveryListConsistent) {
    int32_t steps = 0;
    int32_t puts = 0;
    int32_t breaks = 0;
    int32_t undos = 0;
    int32_t layers = 0;
    for (uint64_t seed = 1; seed <= 30; ++seed) {
        RulesProperty p(seed);
        Random().Seed(seed * 977);
        p.BuildBoard();
        ASSERT_TRUE(p.Board->HasAnchor()) << seed;
        p.Check("start " + std::to_string(seed));
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
        for (int i = 0; i < 200; ++i) {
            const bool going = p.Step();
            ++steps;
            if (!going) {
                break;
            }
            p.Check("seed " + std::to_string(seed) + " step " + std::to_string(i));
            if (::testing::Test::HasFatalFailure()) {
                return;
            }
        }
        puts += p.Sounds.Count("put.ogg");
        breaks += p.Sounds.Count("2_crystal.ogg");
        undos += p.Sounds.Count("8_undo.ogg");
        layers += p.Sounds.Count("5_crystal.ogg") + p.Sounds.Count("6_next_level.ogg");
    }
    EXPECT_GT(steps, 3000);
    EXPECT_GT(puts, 500);
    EXPECT_GT(breaks, 20);
    EXPECT_GT(undos, 100);
    EXPECT_GT(layers, 0);
    std::printf("steps %d puts %d breaks %d undos %d layer ends %d\n", steps, puts, breaks, undos,
                layers);
}

} // namespace
} // namespace qz::test
