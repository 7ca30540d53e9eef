// The player's tools: swap, shuffle, shift and undo, and the queue's flights after a put.

#include "game/Board.h"

#include <algorithm>
#include <cmath>

namespace qz {

namespace {

constexpr TRect PanelClip{400, 305, 800, 566};
constexpr TRect ScreenClip{0, 0, 800, 600};

int32_t Round(double value) {
    return static_cast<int32_t>(std::nearbyint(value));
}

TPoint Control(TPoint from, TPoint to, double a, double b) {
    const int32_t dx = to.X - from.X;
    const int32_t dy = to.Y - from.Y;
    return {from.X + Round(dx * a), from.Y + Round(dy * b)};
}

} // namespace

void TBoard::Fly(int32_t index, TPoint from, TPoint to, const TRect& clip, std::string name) {
    TFishka& f = Fishka(index);
    const int32_t now = Now();
    f.AnimTime = now + 300;
    TEffectRequest request;
    request.List = TEffectList::Game;
    request.Name = std::move(name);
    request.Effect = "SwapEffect.xml";
    request.Image = Defs.FishkaTypes[static_cast<size_t>(f.FType)].Image;
    request.Clip = clip;
    request.StartTick = now;
    request.Path = LinePath(from, to);
    Services.Effects.AddEffect(request);
}

void TBoard::FlyCurve(int32_t index, TPoint from, TPoint control, TPoint to, std::string name) {
    TFishka& f = Fishka(index);
    const int32_t now = Now();
    f.AnimTime = now + 300;
    TEffectRequest request;
    request.List = TEffectList::Game;
    request.Name = std::move(name);
    request.Effect = "SwapEffect.xml";
    request.Image = Defs.FishkaTypes[static_cast<size_t>(f.FType)].Image;
    request.StartTick = now;
    request.Path = CurvePath(from, control, to);
    Services.Effects.AddEffect(request);
}

void TBoard::QueueAdvance() {
    const TPoint pointer{Game.PointerX, Game.PointerY};
    const auto size = static_cast<int32_t>(Game.Queue.size());
    if (size == 0) {
        return;
    }
    Fly(Game.Queue[0], Slot(1), pointer, ScreenClip, "ToMouseMove2");
    for (int32_t k = 1; k <= QueueLength - 2 && k < size; ++k) {
        Fly(Game.Queue[static_cast<size_t>(k)], Slot(k + 1), Slot(k), ScreenClip);
    }
    const int32_t k = QueueLength - 1;
    if (k < size) {
        Fly(Game.Queue[static_cast<size_t>(k)], {604 - 42 * k, 524 + 84 * k}, Slot(k), PanelClip);
    }
}

void TBoard::Swap() {
    if (!HasLayer() || Game.Queue.empty()) {
        return;
    }
    const TPoint pointer{Game.PointerX, Game.PointerY};
    const auto size = static_cast<int32_t>(Game.Queue.size());
    for (int32_t k = 2; k <= QueueLength - 1 && k < size; ++k) {
        Fly(Game.Queue[static_cast<size_t>(k)], {730 - 42 * k, 272 + 84 * k},
            {772 - 42 * k, 188 + 84 * k}, ScreenClip);
    }
    std::rotate(Game.Queue.begin(), Game.Queue.begin() + 1, Game.Queue.end());
    Game.InHand = Game.Queue.front();
    FollowPointer(Fishka(Game.InHand));

    const TPoint slot1{688, 356};
    const bool upward = 356 - Game.PointerY < 1;
    FlyCurve(Game.InHand, slot1,
             Control(pointer, slot1, upward ? 0.25 : 0.75, upward ? 0.75 : 0.25), pointer,
             "ToMouseMove3");
    const int32_t n = QueueLength;
    const TPoint back{772 - 42 * n, 188 + 84 * n};
    const bool up = back.Y - pointer.Y < 1;
    FlyCurve(Game.Queue.back(), pointer, Control(pointer, back, up ? 0.75 : 0.25, up ? 0.25 : 0.75),
             back);
    UpdateHover();
    Play("4_change.ogg");
}

bool TBoard::Shuffle() {
    if (!HasLayer() || Game.Shuffles <= 0) {
        return false;
    }
    const auto size = static_cast<int32_t>(Game.Queue.size());
    for (int32_t k = 1; k <= QueueLength - 1 && k < size; ++k) {
        Fly(Game.Queue[static_cast<size_t>(k)], Slot(k), {856 - 42 * k, 20 + 84 * k}, PanelClip);
    }
    TIntegers doomed = Game.Queue;
    std::sort(doomed.begin(), doomed.end(), std::greater<>());
    for (const int32_t index : doomed) {
        DeleteFishka(index);
    }
    Game.Queue.clear();
    for (int32_t i = 0; i < QueueLength; ++i) {
        DealFishka();
    }
    if (Game.InHand >= 0) {
        FollowPointer(Fishka(Game.InHand));
    }
    TEffectRequest magic;
    magic.List = TEffectList::Game;
    magic.Effect = "ShuffleEffect.xml";
    magic.Image = "particle_shuffle.png";
    magic.StartTick = Now();
    Services.Effects.AddEffect(magic);
    for (int32_t k = 1; k <= QueueLength - 1 && k < static_cast<int32_t>(Game.Queue.size()); ++k) {
        Fly(Game.Queue[static_cast<size_t>(k)], {604 - 42 * k, 524 + 84 * k}, Slot(k), PanelClip);
    }
    Play("12_magic.ogg");
    Game.Shuffles -= 1;
    SetProperty("WGame_LShuffleCount", "Caption", std::to_string(Game.Shuffles));
    UpdateHover();
    DeadEndCheck();
    return true;
}

bool TBoard::Shift() {
    if (!HasLayer() || Game.Shifts <= 0) {
        return false;
    }
    const int32_t a = BottomOf(Level.LayerIndex);
    if (a - Game.ViewY < 252) {
        Game.CurrentY = std::max(a - 252, 0);
        Game.ScrollMid = (Game.CurrentY + Game.ViewY) / 2 + 1;
        Level.NextMoveTime = Now() + Level.MoveInterval;
    }
    TEffectRequest magic;
    magic.List = TEffectList::Game;
    magic.Effect = "ShiftEffect.xml";
    magic.Image = "particle_shift.png";
    magic.StartTick = Now();
    Services.Effects.AddEffect(magic);
    Game.Danger = false;
    SetProperty("WGame_PBDead", "Position", "0");
    Play("11_magic.ogg");
    Game.Shifts -= 1;
    SetProperty("WGame_LShiftCount", "Caption", std::to_string(Game.Shifts));
    return true;
}

TPoint TBoard::BoardWindowCentre(const TFishka& fishka) const {
    const TPoint centre = ShapeCentre(Defs.ShapeOf(fishka.FType));
    return {fishka.x + centre.X - Game.ViewX + 11, Game.ViewY + centre.Y - fishka.y + 593};
}

bool TBoard::Undo() {
    if (!HasLayer() || Game.UndoList.empty() || Game.Queue.empty()) {
        return false;
    }
    const TPoint pointer{Game.PointerX, Game.PointerY};
    const int32_t u = Game.UndoList.back().Index;
    const auto size = static_cast<int32_t>(Game.Queue.size());
    Fly(Game.Queue[0], pointer, Slot(1), ScreenClip);
    for (int32_t k = 1; k <= QueueLength - 2 && k < size; ++k) {
        Fly(Game.Queue[static_cast<size_t>(k)], Slot(k), {688 - 42 * k, 356 + 84 * k}, ScreenClip);
    }
    const int32_t n = QueueLength - 1;
    if (n < size) {
        Fly(Game.Queue[static_cast<size_t>(n)], Slot(n), {646 - 42 * n, 440 + 84 * n}, PanelClip);
    }
    Fly(u, BoardWindowCentre(Fishka(u)), pointer, ScreenClip);

    Game.InHand = u;
    const int32_t last = Game.Queue.back();
    Game.Queue.pop_back();
    DeleteFishka(last);
    Game.Queue.insert(Game.Queue.begin(), Game.InHand);
    const int32_t now = Now();
    for (const int32_t index : Game.Queue) {
        Fishka(index).AnimTime = now + 300;
    }
    TFishka& back = Fishka(Game.InHand);
    back.State = fsRemoved;
    FollowPointer(back);
    RemoveOwnedFrags(Game.InHand);
    std::erase(DrawOrder, Game.InHand);
    Game.UndoList.pop_back();
    BuildContour();
    if (Game.Mode == gmStrategy) {
        Level.PutLeft += 1;
        if (Level.PutLeft > Level.Strategic) {
            Level.PutLeft = 1;
            Game.CurrentY -= 42;
            Game.ScrollMid = (Game.CurrentY - Game.ViewY) / 2 + Game.ViewY;
        }
        DangerCheck();
        StrategyBar();
        SetProperty("WGame_LPutsLeftCount", "Caption", std::to_string(Level.PutLeft));
    }
    UpdateHover();
    Play("8_undo.ogg");
    return true;
}

} // namespace qz
