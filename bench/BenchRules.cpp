// The hot paths of the rules: the fit test that runs on every pointer move, and a put that
// breaks a whole row of a full board and drops everything hanging below it.

#include "game/Board.h"

#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

using namespace qz;

struct NullControls : IGameControls {
    void SetProperty(std::string_view, std::string_view, std::string_view) override {}
    void ShowHint(std::string_view, std::optional<TPoint>) override {}
    void ShowWindow(std::string_view) override {}
};
struct NullSounds : IGameSounds {
    void PlaySound(std::string_view) override {}
    void PlayMusic(std::string_view) override {}
    void StopMusic() override {}
    std::string CurrentMusic() const override { return {}; }
};
struct NullEffects : IGameEffects {
    int32_t AddEffect(const TEffectRequest&) override { return 500; }
    void ClearLevelEffects() override {}
};
struct FixedClock : IGameClock {
    int32_t Now() const override { return 100000; }
};
struct ShapePictures : IGamePictures {
    std::optional<TPictureSize> Find(std::string_view name) override {
        const auto it = Sizes.find(std::string(name));
        return it == Sizes.end() ? std::nullopt : std::optional<TPictureSize>(it->second);
    }
    std::map<std::string, TPictureSize> Sizes;
};

TFishkaShape CellShape() {
    TFishkaShape s;
    s.Name = "Cell";
    s.NextRotateName = "Cell";
    s.Height = -21;
    s.Score = 20;
    s.Fishes = {{2, {{0, 0}, {34, 21}, {48, 0}}},
                {1, {{34, 21}, {69, 42}, {48, 0}}},
                {0, {{21, 42}, {69, 42}, {34, 21}}},
                {3, {{0, 0}, {21, 42}, {34, 21}}}};
    s.MinX = 0;
    s.MaxX = 69;
    s.MaxY = 42;
    s.AnchorDX = 0;
    s.AnchorDY = 42;
    s.Sx = 34;
    s.Sy = 21;
    return s;
}

struct FullBoard {
    FullBoard() {
        defs.BoardPoints = BuildBoardPoints();
        defs.FragTypes = BuildFragTypes();
        defs.Frags = BuildFrags();
        defs.FishkaShapes = {CellShape()};
        defs.FishkaColors = {{"a", 0, 0, 0, "s0"}, {"b", 0, 0, 0, "s1"}, {"c", 0, 0, 0, "s2"}};
        GenerateFishkaTypes(defs);
        defs.BossTypes = {{"boss.png", 20, 20, 2, 40, 30}};
        for (const TFishkaType& t : defs.FishkaTypes) {
            pictures.Sizes[t.Image] = {69, 42};
        }
        board = std::make_unique<TBoard>(defs,
                                         TGameServices{controls, sounds, effects, clock, pictures});
        TBoard& b = *board;
        b.Game.Mode = gmPuzzle;
        b.Game.GameState = gsGamePlay;
        b.Level.Colors = {1, 2, 3};
        b.Level.ShapeWeights.assign(defs.FishkaTypes.size(), 1);
        b.Level.Layers.emplace_back();
        // Rows 5..34 full of Cells; row 20 is colour 0 but for one gap; the main crystal
        // sits on top at row 34.
        for (int32_t row = 34; row >= 5; --row) {
            for (int32_t cell = 0; cell < 10; ++cell) {
                if (row == 20 && cell == 5) {
                    continue;
                }
                const int32_t colour = row == 20 ? 0 : 1 + (row + cell) % 2;
                Place(colour, row, cell);
            }
        }
        const TFishka& main = b.Fishka(0);
        b.Level.Bosses.push_back({main.x + 7, main.y - 14, 0, 1});
        b.AttachBosses();
        for (int i = 0; i < QueueLength; ++i) {
            b.DealFishka();
        }
        b.Fishka(b.Game.InHand).FType = defs.FindType(0, 0);
        const TPoint at = Window(20, 5);
        b.Game.PointerX = 0;
        b.Game.PointerY = 0;
        b.FollowPointer(b.Fishka(b.Game.InHand));
        b.MovePointer(at.X - b.Fishka(b.Game.InHand).x, at.Y - b.Fishka(b.Game.InHand).y);
        level = b.Level;
        game = b.Game;
        drawOrder = b.DrawOrder;
    }
    TPoint Window(int32_t row, int32_t cell) const {
        const TPoint p = defs.BoardPoints[static_cast<size_t>(row * 21 + cell)];
        const int32_t y = p.Y + 42;
        return {p.X + 11, 593 - 42 - y + 42};
    }
    void Place(int32_t colour, int32_t row, int32_t cell) {
        TFishka f;
        f.FType = defs.FindType(0, colour);
        f.State = fsOnBoard;
        const TPoint at = Window(row, cell);
        f.x = at.X;
        f.y = at.Y;
        board->Layer().Fishkas.push_back(f);
        board->PutFishka(static_cast<int32_t>(board->Layer().Fishkas.size()) - 1, TPutMode::Level);
    }
    void Restore() {
        board->Level = level;
        board->Game = game;
        board->DrawOrder = drawOrder;
    }

    TDefinitions defs;
    NullControls controls;
    NullSounds sounds;
    NullEffects effects;
    FixedClock clock;
    ShapePictures pictures;
    std::unique_ptr<TBoard> board;
    TLevel level;
    TGame game;
    TIntegers drawOrder;
};

void BM_CanPutAtPointer(benchmark::State& state) {
    FullBoard full;
    const TFishka& hand = full.board->Fishka(full.board->Game.InHand);
    for (auto _ : state) {
        benchmark::DoNotOptimize(full.board->CanPut(hand));
    }
}
BENCHMARK(BM_CanPutAtPointer);

void BM_PutBreakingARowOfAFullBoard(benchmark::State& state) {
    FullBoard full;
    size_t fallen = 0;
    for (auto _ : state) {
        state.PauseTiming();
        full.Restore();
        state.ResumeTiming();
        full.board->PlayerPut();
        state.PauseTiming();
        fallen = full.board->Layer().Frags.size();
        state.ResumeTiming();
    }
    state.counters["frags_left"] = static_cast<double>(fallen);
}
BENCHMARK(BM_PutBreakingARowOfAFullBoard)->Unit(benchmark::kMicrosecond);

} // namespace
