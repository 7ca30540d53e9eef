#include "BoardLists.h"

#include "archive/Helpers.h"
#include "game/Definitions.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace qz::test {

namespace {

struct Sorter {
    bool operator()(TPoint a, TPoint b) const { return a.X != b.X ? a.X < b.X : a.Y < b.Y; }
};

} // namespace

void ExpectConsistentLists(const TBoard& board, const std::string& where) {
    const TDefinitions& defs = board.Defs;
    ASSERT_TRUE(board.HasLayer()) << where;
    const TLayer& layer = board.Layer();
    const auto n = static_cast<int32_t>(layer.Fishkas.size());
    ASSERT_EQ(layer.Frags.size(), layer.Owners.size()) << where;
    std::set<int32_t> frags;
    for (size_t i = 0; i < layer.Frags.size(); ++i) {
        const int32_t owner = layer.Owners[i];
        ASSERT_TRUE(owner >= 0 && owner < n) << where;
        ASSERT_EQ(layer.Fishkas[owner].State, fsOnBoard) << where;
        ASSERT_TRUE(layer.Frags[i] >= 0 && layer.Frags[i] < FragCount) << where;
        ASSERT_TRUE(frags.insert(layer.Frags[i]).second) << where;
        ASSERT_EQ(IndexOfInteger(board.Level.NullFrags, layer.Frags[i]), -1) << where;
    }
    for (int32_t i = 0; i < n; ++i) {
        const TFishka& f = layer.Fishkas[i];
        if (f.State != fsOnBoard) {
            continue;
        }
        // Every crystal on the board covers exactly the lattice triangles of its fishes.
        std::multiset<TPoint, Sorter> own;
        std::multiset<TPoint, Sorter> covered;
        for (size_t k = 0; k < defs.ShapeOf(f.FType).Fishes.size(); ++k) {
            for (const TPoint& p : board.FishkaPoints(f, k)) {
                own.insert(p);
            }
        }
        for (size_t j = 0; j < layer.Frags.size(); ++j) {
            if (layer.Owners[j] == i) {
                for (const int32_t p : defs.Frags[layer.Frags[j]].Points) {
                    covered.insert(defs.BoardPoints[p]);
                }
            }
        }
        ASSERT_EQ(own, covered) << where << " crystal " << i;
    }
    std::set<int32_t> drawn(board.DrawOrder.begin(), board.DrawOrder.end());
    ASSERT_EQ(drawn.size(), board.DrawOrder.size()) << where;
    for (const int32_t d : board.DrawOrder) {
        ASSERT_TRUE(d >= 0 && d < n) << where;
    }
    ASSERT_EQ(board.Game.Queue.size(), static_cast<size_t>(QueueLength)) << where;
    ASSERT_EQ(board.Game.InHand, board.Game.Queue.front()) << where;
    std::set<int32_t> queued(board.Game.Queue.begin(), board.Game.Queue.end());
    ASSERT_EQ(queued.size(), board.Game.Queue.size()) << where;
    for (const int32_t q : board.Game.Queue) {
        ASSERT_TRUE(q >= 0 && q < n) << where;
        ASSERT_NE(layer.Fishkas[q].State, fsOnBoard) << where;
        ASSERT_EQ(IndexOfInteger(board.DrawOrder, q), -1) << where;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (layer.Fishkas[i].State == fsQueued) {
            ASSERT_TRUE(queued.count(i)) << where << " orphan " << i;
        }
    }
    ASSERT_TRUE(layer.MainFishka >= 0 && layer.MainFishka < std::max(n, 1)) << where;
    std::set<int32_t> bosses;
    for (const TLayer& any : board.Level.Layers) {
        for (const TFishka& f : any.Fishkas) {
            ASSERT_TRUE(f.Boss >= -1 && f.Boss < static_cast<int32_t>(board.Level.Bosses.size()))
                << where;
            if (f.Boss >= 0) {
                ASSERT_TRUE(bosses.insert(f.Boss).second) << where;
                ASSERT_NE(f.State, fsRemoved) << where << " boss outlives its crystal";
            }
        }
    }
    for (const TUndoRecord& r : board.Game.UndoList) {
        ASSERT_TRUE(r.Index >= 0 && r.Index < n) << where;
        const TFishka& f = layer.Fishkas[r.Index];
        ASSERT_EQ(f.State, fsOnBoard) << where;
        ASSERT_EQ(f.x, r.x) << where;
        ASSERT_EQ(f.y, r.y) << where;
        ASSERT_EQ(f.FType, r.FType) << where;
    }
}

} // namespace qz::test
