#include "game/Board.h"

#include "archive/Random.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace qz {

namespace {

// Rounding of the game's percentages and curve points: to the nearest, halves to even.
int32_t Round(double value) {
    return static_cast<int32_t>(std::nearbyint(value));
}

// Within 24 px, the distance rounded to the nearest integer: squares up to 600.
constexpr int32_t MatchDistanceSquared = 600;

bool Near(TPoint a, TPoint b) {
    const int64_t dx = a.X - b.X;
    const int64_t dy = a.Y - b.Y;
    return dx * dx + dy * dy <= MatchDistanceSquared;
}

bool Contains(const TIntegers& list, int32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

TPoint Slot(int32_t k) {
    return {730 - 42 * k, 272 + 84 * k};
}

int32_t WeightedChoice(const TIntegers& weights) {
    int64_t total = 0;
    for (const int32_t w : weights) {
        total += w;
    }
    const int64_t r = static_cast<int64_t>(Random().Next(
                          static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)))) +
                      1;
    int64_t sum = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        sum += weights[i];
        if (sum >= r) {
            return static_cast<int32_t>(i);
        }
    }
    return static_cast<int32_t>(weights.size());
}

std::string LinePath(TPoint from, TPoint to) {
    return "Set Linear; Set Timing 0.3; Path (" + std::to_string(from.X) + "," +
           std::to_string(from.Y) + ") (" + std::to_string(to.X) + "," + std::to_string(to.Y) +
           "); Ending Stop;";
}

std::string CurvePath(TPoint from, TPoint control, TPoint to) {
    return "Set Bezier; Set Timing 0.15; Path (" + std::to_string(from.X) + "," +
           std::to_string(from.Y) + ") (" + std::to_string(control.X) + "," +
           std::to_string(control.Y) + ") (" + std::to_string(to.X) + "," + std::to_string(to.Y) +
           "); Ending Stop;";
}

TBoard::TBoard(const TDefinitions& defs, TGameServices services) : Defs(defs), Services(services) {
    RefreshPictureSizes();
}

void TBoard::RefreshPictureSizes() {
    typeSizes_.clear();
    for (const TFishkaType& type : Defs.FishkaTypes) {
        typeSizes_.push_back(Services.Pictures.Find(type.Image).value_or(TPictureSize{}));
    }
}

TFit TBoard::CanPut(const TFishka& fishka) const {
    TFit fit;
    const TFishkaShape& shape = Defs.ShapeOf(fishka.FType);
    if (shape.Fishes.empty()) {
        return fit;
    }
    const int32_t height = TypeSize(fishka.FType).Height;
    const TIntegers* covered = HasLayer() ? &Layer().Frags : nullptr;
    TPoints points;
    for (const TOneFish& fish : shape.Fishes) {
        points.clear();
        int32_t minY = INT32_MAX;
        int32_t maxY = INT32_MIN;
        for (const TPoint& p : fish.Points) {
            const TPoint q{p.X + fishka.x - 11 + Game.ViewX - shape.MinX,
                           593 + Game.ViewY - fishka.y - height + p.Y};
            minY = std::min(minY, q.Y);
            maxY = std::max(maxY, q.Y);
            points.push_back(q);
        }
        if (points.empty()) {
            return {};
        }
        const int32_t first = std::max(0, (minY / 42) * FragsPerRow - FragsPerRow);
        const int32_t last = std::min(FragCount - 1, (maxY / 42) * FragsPerRow + FragsPerRow);
        int32_t match = -1;
        for (int32_t i = first; i <= last && match < 0; ++i) {
            const TFrag& frag = Defs.Frags[static_cast<size_t>(i)];
            if (frag.Kind != fish.Type || frag.Points.size() != points.size()) {
                continue;
            }
            bool all = true;
            for (const TPoint& q : points) {
                bool near = false;
                for (const int32_t index : frag.Points) {
                    if (Near(q, Defs.BoardPoints[static_cast<size_t>(index)])) {
                        near = true;
                        break;
                    }
                }
                if (!near) {
                    all = false;
                    break;
                }
            }
            if (all) {
                match = i;
            }
        }
        if (match < 0 || (covered != nullptr && Contains(*covered, match)) ||
            Contains(Level.NullFrags, match)) {
            return {};
        }
        fit.Frags.push_back(match);
    }
    const TFrag& frag = Defs.Frags[static_cast<size_t>(fit.Frags.front())];
    const TFragType& kind = Defs.FragTypes[frag.Kind];
    fit.Fits = true;
    fit.Position.X =
        Defs.BoardPoints[static_cast<size_t>(frag.Points[static_cast<size_t>(kind.LeftPoint)])].X +
        shape.AnchorDX;
    fit.Position.Y =
        Defs.BoardPoints[static_cast<size_t>(frag.Points[static_cast<size_t>(kind.TopPoint)])].Y +
        shape.AnchorDY + shape.Height;
    return fit;
}

bool TBoard::PutFishka(int32_t index, TPutMode mode) {
    TFishka& fishka = Fishka(index);
    const TFit fit = CanPut(fishka);
    if (!fit.Fits) {
        return false;
    }
    fishka.x = fit.Position.X;
    fishka.y = fit.Position.Y;
    const bool player = mode == TPutMode::Player;
    if (player) {
        if (!TouchesBoard(index)) {
            FollowPointer(fishka);
            return false;
        }
    }
    fishka.State = fsOnBoard;
    Game.InHand = -1;
    if (player) {
        DrawOrder.push_back(index);
    }
    for (const int32_t frag : fit.Frags) {
        Layer().Frags.push_back(frag);
        Layer().Owners.push_back(index);
    }
    if (!Game.Queue.empty() && Game.Queue.front() == index) {
        Game.Queue.erase(Game.Queue.begin());
    }
    if (player) {
        Group.clear();
        CollectGroup(index);
        if (GroupBreaks()) {
            RemoveGroup(Now());
        } else {
            TFishka& put = Fishka(index);
            put.FlashTime = Now() + 200;
            Game.UndoList.push_back({put.FType, put.x, put.y, index});
        }
    }
    SetProperty("WGame_LScoreCount", "Caption", std::to_string(Game.Score));
    return true;
}

bool TBoard::PlayerPut() {
    if (!HasLayer() || Game.InHand < 0) {
        return false;
    }
    if (!PutFishka(Game.InHand, TPutMode::Player)) {
        return false;
    }
    if (!Level.PutFishkaSound.empty()) {
        Play(Level.PutFishkaSound);
    }
    if (Game.DisappearHint) {
        Services.Controls.ShowHint("WGame_HDisappear", std::nullopt);
        Game.DisappearHint = false;
    }
    if (Level.LayerDone) {
        Level.LayerDone = false;
        NextLayer();
        if (!Level.LevelDone) {
            FollowBottom();
        }
        DeadEndCheck();
        return true;
    }
    BuildContour();
    DealFishka();
    QueueAdvance();
    if (Game.InHand >= 0) {
        FollowPointer(Fishka(Game.InHand));
    }
    UpdateHover();
    if (Game.Mode == gmPuzzle) {
        DangerCheck();
    } else if (Game.Mode == gmStrategy) {
        TurnBasedPut();
        DeadEndCheck();
    }
    return true;
}

TPoint TBoard::ShapeCentre(const TFishkaShape& shape) const {
    int32_t sumX = 0;
    int32_t sumY = 0;
    int32_t count = 0;
    for (const TOneFish& fish : shape.Fishes) {
        for (const TPoint& p : fish.Points) {
            sumX += p.X;
            sumY += p.Y;
            ++count;
        }
    }
    if (count == 0) {
        return {};
    }
    return {sumX / count - shape.MinX, sumY / count};
}

void TBoard::FollowPointer(TFishka& fishka) const {
    const TPoint centre = ShapeCentre(Defs.ShapeOf(fishka.FType));
    fishka.x = Game.PointerX - centre.X;
    fishka.y = Game.PointerY - centre.Y;
}

TPoint TBoard::HandPositionFor(int32_t type, int32_t frag) const {
    const TFishkaShape& shape = Defs.ShapeOf(type);
    const TFrag& f = Defs.Frags[static_cast<size_t>(frag)];
    const TFragType& kind = Defs.FragTypes[f.Kind];
    const int32_t x =
        Defs.BoardPoints[static_cast<size_t>(f.Points[static_cast<size_t>(kind.LeftPoint)])].X +
        shape.AnchorDX;
    const int32_t y =
        Defs.BoardPoints[static_cast<size_t>(f.Points[static_cast<size_t>(kind.TopPoint)])].Y +
        shape.AnchorDY + shape.Height;
    return {x + 11 - Game.ViewX, 593 + Game.ViewY - TypeSize(type).Height - y + shape.MaxY};
}

TPoint TBoard::PointerFor(int32_t type, int32_t frag) const {
    const TPoint at = HandPositionFor(type, frag);
    const TPoint centre = ShapeCentre(Defs.ShapeOf(type));
    return {at.X + centre.X, at.Y + centre.Y};
}

void TBoard::AimHand(int32_t frag) {
    if (!HasLayer() || Game.InHand < 0) {
        return;
    }
    const TPoint pointer = PointerFor(Fishka(Game.InHand).FType, frag);
    MovePointer(pointer.X, pointer.Y);
}

TIntegers TBoard::PutPlaces() {
    TIntegers places;
    if (!HasLayer() || Game.InHand < 0) {
        return places;
    }
    TFishka& hand = Fishka(Game.InHand);
    const TPoint pointer{Game.PointerX, Game.PointerY};
    const TPoint held{hand.x, hand.y};
    const int32_t kind = Defs.ShapeOf(hand.FType).Fishes.front().Type;
    const auto [lowRow, highRow] = RowsNearStructure();
    for (int32_t row = lowRow; row <= highRow; ++row) {
        for (int32_t cell = 0; cell < 10; ++cell) {
            const int32_t frag = (row * 10 + cell) * 4 + kind;
            const TPoint aim = PointerFor(hand.FType, frag);
            Game.PointerX = aim.X;
            Game.PointerY = aim.Y;
            FollowPointer(hand);
            const TIntegers covered = HoverPlace();
            if (!covered.empty() && covered.front() == frag) {
                places.push_back(frag);
            }
        }
    }
    Game.PointerX = pointer.X;
    Game.PointerY = pointer.Y;
    hand.x = held.X;
    hand.y = held.Y;
    return places;
}

void TBoard::MovePointer(int32_t x, int32_t y) {
    Game.PointerX = x;
    Game.PointerY = y;
    if (HasLayer() && Game.InHand >= 0) {
        FollowPointer(Fishka(Game.InHand));
    }
    UpdateHover();
    BossHover();
}

void TBoard::RotateNext() {
    if (!HasLayer() || Game.InHand < 0) {
        return;
    }
    TFishka& hand = Fishka(Game.InHand);
    const int32_t next =
        Defs.FindTypeByName(Defs.FishkaTypes[static_cast<size_t>(hand.FType)].NextRotateName);
    if (next >= 0) {
        hand.FType = next;
    }
    FollowPointer(hand);
    Play("rotate.ogg");
}

void TBoard::RotatePrevious() {
    if (!HasLayer() || Game.InHand < 0) {
        return;
    }
    TFishka& hand = Fishka(Game.InHand);
    const int32_t start = hand.FType;
    const std::string& startName = Defs.FishkaTypes[static_cast<size_t>(start)].Name;
    int32_t current = start;
    bool closed = false;
    // A cycle that never comes back is given up after one pass over all types.
    for (size_t pass = 0; pass <= Defs.FishkaTypes.size(); ++pass) {
        const int32_t next =
            Defs.FindTypeByName(Defs.FishkaTypes[static_cast<size_t>(current)].NextRotateName);
        if (next < 0) {
            break;
        }
        if (Defs.FishkaTypes[static_cast<size_t>(next)].Name == startName) {
            closed = true;
            break;
        }
        current = next;
    }
    hand.FType = closed ? current : start;
    FollowPointer(hand);
    Play("rotate.ogg");
}

TIntegers TBoard::ColoursOnView() const {
    TIntegers colours;
    for (const TFishka& f : Layer().Fishkas) {
        if (f.State == fsOnBoard && f.y < Game.CurrentY + 590) {
            const int32_t colour = Defs.ColorOf(f.FType);
            if (!Contains(colours, colour)) {
                colours.push_back(colour);
            }
        }
    }
    if (colours.empty()) {
        const auto count = static_cast<int32_t>(Level.Colors.size());
        colours.push_back(count > 0 ? Level.Colors[static_cast<size_t>(Random().Next(count))] - 1
                                    : 0);
    }
    return colours;
}

void TBoard::DealFishka() {
    if (!HasLayer() || Defs.FishkaTypes.empty()) {
        return;
    }
    const TIntegers colours = ColoursOnView();
    const auto typeCount = static_cast<int32_t>(Defs.FishkaTypes.size());
    TFishka fishka;
    int32_t type = WeightedChoice(Level.ShapeWeights);
    bool weighted = false;
    for (const int32_t w : Level.ShapeWeights) {
        weighted = weighted || w > 0;
    }
    if (!weighted || type < 0 || type >= typeCount) {
        // No usable weight: every shape the level names is equally likely.
        TIntegers shapes = Level.WeightedShapes;
        if (shapes.empty()) {
            for (size_t s = 0; s < Defs.FishkaShapes.size(); ++s) {
                shapes.push_back(static_cast<int32_t>(s));
            }
        }
        const int32_t shape =
            shapes[static_cast<size_t>(Random().Next(static_cast<int32_t>(shapes.size())))];
        type = std::max(0, Defs.FindType(shape, 0));
    }
    const int32_t colour =
        colours[static_cast<size_t>(Random().Next(static_cast<int32_t>(colours.size())))];
    if (Defs.ColorOf(type) != colour) {
        const int32_t same =
            Defs.FindType(Defs.FishkaTypes[static_cast<size_t>(type)].Shape, colour);
        if (same >= 0) {
            type = same;
        }
    }
    fishka.FType = type;
    fishka.ColorHidden = Random().NextReal() < Level.NoColorFishka ? 1 : 0;
    Layer().Fishkas.push_back(fishka);
    Game.Queue.push_back(static_cast<int32_t>(Layer().Fishkas.size()) - 1);
    Game.InHand = Game.Queue.front();
}

void TBoard::SetRecolour(TFishka& fishka, int32_t colour) {
    const int32_t type =
        Defs.FindType(Defs.FishkaTypes[static_cast<size_t>(fishka.FType)].Shape, colour);
    if (type >= 0) {
        fishka.FType = type;
    }
}

void TBoard::RecolourQueue() {
    if (!HasLayer()) {
        return;
    }
    const TIntegers colours = ColoursOnView();
    for (const int32_t index : Game.Queue) {
        TFishka& f = Fishka(index);
        if (!Contains(colours, Defs.ColorOf(f.FType))) {
            SetRecolour(
                f,
                colours[static_cast<size_t>(Random().Next(static_cast<int32_t>(colours.size())))]);
        }
    }
}

int32_t TBoard::BottomOf(int32_t layer) const {
    int32_t bottom = 100000;
    if (layer < 0 || static_cast<size_t>(layer) >= Level.Layers.size()) {
        return bottom;
    }
    for (const TFishka& f : Level.Layers[static_cast<size_t>(layer)].Fishkas) {
        if (f.State == fsOnBoard) {
            bottom = std::min(bottom, f.y - TypeSize(f.FType).Height);
        }
    }
    return bottom;
}

bool TBoard::FollowBottom() {
    const int32_t a = BottomOf(Level.LayerIndex);
    if (a - Game.ViewY < 253) {
        return false;
    }
    Game.CurrentY = a - 252;
    Game.ScrollSpeed = 0;
    Game.ScrollMid = (a + Game.ViewY - 252) / 2 + 1;
    return true;
}

bool TBoard::DangerCheck() {
    bool danger = false;
    bool lost = false;
    if (HasLayer()) {
        for (const TFishka& f : Layer().Fishkas) {
            if (f.State != fsOnBoard) {
                continue;
            }
            const int32_t d = f.y - TypeSize(f.FType).Height - Game.CurrentY;
            danger = danger || d < 40;
            lost = lost || d + 1 < 0;
        }
    }
    const int32_t now = Now();
    if (danger) {
        if (Game.Mode == gmStrategy) {
            SetProperty("WGame_PBDead", "BarPicture", "DeadProgressBar.png");
        }
        if (!Game.Danger) {
            Game.Danger = true;
            Level.DangerTime = Game.DangerDelay;
            Game.DangerStart = now;
            Level.NextMoveTime = now + Level.MoveInterval;
        }
    } else {
        Game.Danger = false;
        Level.DangerTime = 0;
        SetProperty("WGame_PBDead", "Position", "0");
        SetProperty("WGame_PBDead", "BarPicture",
                    Game.Mode == gmStrategy && Level.PutLeft > 1 ? "DeadProgressBarGreen.png"
                                                                 : "DeadProgressBar.png");
    }
    return lost;
}

void TBoard::GameOver() {
    Game.GameState = gsGameOver;
    Services.Controls.ShowWindow("WGameOver");
    SetProperty("WGame_PBDead", "Position", "100");
    Services.Sounds.StopMusic();
    Play("10_looser.ogg");
}

void TBoard::RescueOnce() {
    Services.Controls.ShowHint("WGame_HLose", std::nullopt);
    Game.CurrentY = BottomOf(Level.LayerIndex) - 126;
    Game.ScrollMid = (Game.CurrentY - Game.ViewY) / 2 + Game.ViewY;
    Game.Rescue = false;
    SetProperty("WGame_PBDead", "Position", "0");
    Game.Danger = false;
}

void TBoard::LostCheck(bool lost) {
    if (!lost) {
        return;
    }
    if (Game.Rescue) {
        RescueOnce();
    } else {
        GameOver();
    }
}

void TBoard::BoardTick(int32_t t) {
    if (Game.Mode == gmPuzzle) {
        if (Level.NextMoveTime + Level.DangerTime < t) {
            Game.CurrentY += 42;
            Game.ScrollMid = Game.ViewY + 21;
            Level.NextMoveTime = t + Level.MoveInterval;
            LostCheck(DangerCheck());
        } else if (Game.Danger) {
            if (t < Level.NextMoveTime && Level.MoveInterval != 0) {
                SetProperty("WGame_PBDead", "Position",
                            std::to_string(Round(static_cast<double>(t - Game.DangerStart) * 100.0 /
                                                 Level.MoveInterval)));
            } else if (t >= Level.NextMoveTime && t >= Game.BlinkTime) {
                Game.BlinkOn = !Game.BlinkOn;
                Game.BlinkTime = t + 300;
                SetProperty("WGame_PBDead", "BarPicture",
                            Game.BlinkOn ? "DeadProgressBarOn.png" : "DeadProgressBar.png");
                Play("alert.ogg");
            }
        }
    } else if (Game.Mode == gmStrategy && Game.Danger && Level.PutLeft == 1 &&
               t >= Game.BlinkTime) {
        Game.BlinkOn = !Game.BlinkOn;
        Game.BlinkTime = t + 500;
        SetProperty("WGame_PBDead", "BarPicture",
                    Game.BlinkOn ? "DeadProgressBarGreen.png" : "DeadProgressBar.png");
        Play("alert.ogg");
    }
}

void TBoard::ViewTick(int32_t t) {
    if (t < Game.ScrollTime || Game.CurrentY == Game.ViewY) {
        return;
    }
    Game.ScrollTime = t + Game.ScrollStep;
    int32_t speed = Game.ScrollSpeed;
    if (Game.CurrentY > Game.ViewY) {
        if (Game.ScrollMid >= Game.ViewY) {
            ++speed;
        } else if (speed > 0) {
            --speed;
        }
        speed = std::min(speed, 127);
        Game.ViewY += speed != 0 ? speed : 1;
        if (Game.ViewY >= Game.CurrentY) {
            Game.ViewY = Game.ScrollMid = Game.CurrentY;
            speed = 0;
        }
    } else {
        if (Game.ScrollMid <= Game.ViewY) {
            --speed;
        } else if (speed < 0) {
            ++speed;
        }
        speed = std::max(speed, -127);
        Game.ViewY += speed != 0 ? speed : -1;
        if (Game.ViewY <= Game.CurrentY) {
            Game.ViewY = Game.ScrollMid = Game.CurrentY;
            speed = 0;
        }
    }
    Game.ScrollSpeed = static_cast<int8_t>(speed);
    Game.ViewX = Game.ViewY / 2;
    UpdateHover();
}

void TBoard::StrategyBar() {
    if (Level.Strategic != 0) {
        SetProperty("WGame_PBDead", "Position",
                    std::to_string(Round(static_cast<double>(Level.Strategic - Level.PutLeft) *
                                         100.0 / Level.Strategic)));
    }
}

void TBoard::TurnBasedPut() {
    const int32_t was = Level.PutLeft;
    Level.PutLeft -= 1;
    if (was != 1) {
        DangerCheck();
        StrategyBar();
    } else {
        Level.PutLeft = Level.Strategic;
        Game.CurrentY += 42;
        Game.ScrollMid = (Game.CurrentY - Game.ViewY) / 2 + Game.ViewY;
        if (!DangerCheck()) {
            SetProperty("WGame_PBDead", "Position", "0");
        } else {
            LostCheck(true);
        }
    }
    SetProperty("WGame_LPutsLeftCount", "Caption", std::to_string(Level.PutLeft));
}

void TBoard::AnimatePictures(int32_t t) {
    for (TLevelPicture& picture : Level.Pictures) {
        const auto count = static_cast<int32_t>(picture.Images.size());
        if (count < 2 || t < picture.NextChange) {
            continue;
        }
        picture.Counter = picture.Counter + 1 < count ? picture.Counter + 1 : 0;
        const size_t shown = static_cast<size_t>(picture.Counter);
        const int32_t stay = shown < picture.Times.size() ? std::max(picture.Times[shown], 1) : 1;
        // After a long time away (a fresh level, a pause) the animation picks up from now.
        int64_t next = int64_t(picture.NextChange) + stay;
        if (next <= t) {
            next = int64_t(t) + stay;
        }
        picture.NextChange = static_cast<int32_t>(std::min<int64_t>(next, INT32_MAX));
    }
}

std::pair<int32_t, int32_t> TBoard::RowsNearStructure() const {
    int32_t low = BoardRowCount;
    int32_t high = 0;
    for (const int32_t f : Layer().Frags) {
        low = std::min(low, f / FragsPerRow);
        high = std::max(high, f / FragsPerRow);
    }
    if (low > high) {
        low = high = 0;
    }
    return {std::max(0, low - 3), std::min(BoardRowCount - 1, high + 3)};
}

bool TBoard::HasPlace(int32_t index) {
    if (!HasLayer() || Layer().Frags.empty()) {
        return false;
    }
    const auto [lowRow, highRow] = RowsNearStructure();
    TFishka& fishka = Fishka(index);
    const TFishka saved = fishka;
    bool found = false;
    for (const int32_t type : Defs.RotationsOf(saved.FType)) {
        const TFishkaShape& shape = Defs.ShapeOf(type);
        if (shape.Fishes.empty()) {
            continue;
        }
        const int32_t kind = shape.Fishes.front().Type;
        for (int32_t row = lowRow; row <= highRow && !found; ++row) {
            for (int32_t cell = 0; cell < FragsPerRow / 4 && !found; ++cell) {
                const TPoint at = HandPositionFor(type, (row * 10 + cell) * 4 + kind);
                fishka.FType = type;
                fishka.x = at.X;
                fishka.y = at.Y;
                const TFit fit = CanPut(fishka);
                if (!fit.Fits) {
                    continue;
                }
                fishka.x = fit.Position.X;
                fishka.y = fit.Position.Y;
                found = TouchesBoard(index);
            }
        }
        if (found) {
            break;
        }
    }
    fishka.FType = saved.FType;
    fishka.x = saved.x;
    fishka.y = saved.y;
    return found;
}

void TBoard::DeadEndCheck() {
    if (Game.Mode != gmStrategy || Game.GameState != gsGamePlay || Level.LevelDone || !HasLayer() ||
        Game.Shuffles > 0 || !Game.UndoList.empty() || Game.Queue.empty()) {
        return;
    }
    for (const int32_t index : Game.Queue) {
        if (HasPlace(index)) {
            return;
        }
    }
    GameOver();
}

void TBoard::UpdateHover() {
    Level.HoverFrags = HoverPlace();
    RefreshPutOutcome();
}

TIntegers TBoard::HoverPlace() {
    if (!HasLayer() || Game.InHand < 0) {
        return {};
    }
    TFishka& hand = Fishka(Game.InHand);
    TFit fit = CanPut(hand);
    if (!fit.Fits) {
        return {};
    }
    // The contact is tested where the crystal would land; the hand stays at the pointer.
    const TPoint atPointer{hand.x, hand.y};
    hand.x = fit.Position.X;
    hand.y = fit.Position.Y;
    const bool contact = TouchesBoard(Game.InHand);
    hand.x = atPointer.X;
    hand.y = atPointer.Y;
    return contact ? std::move(fit.Frags) : TIntegers{};
}

void TBoard::RefreshPutOutcome() {
    if (!PredictsPuts || Level.HoverFrags.empty()) {
        PutOutcome = {};
        outcomeKey_.clear();
        return;
    }
    TIntegers key{Level.LayerIndex, Game.InHand, Fishka(Game.InHand).FType};
    key.insert(key.end(), Level.HoverFrags.begin(), Level.HoverFrags.end());
    key.push_back(-1);
    key.insert(key.end(), Layer().Frags.begin(), Layer().Frags.end());
    if (key == outcomeKey_) {
        return;
    }
    outcomeKey_ = std::move(key);
    PutOutcome = PredictPut(*this);
}

void TBoard::BuildContour() {
    if (!HasLayer()) {
        return;
    }
    TLayer& layer = Layer();
    std::vector<bool> covered(FragCount, false);
    for (const int32_t f : layer.Frags) {
        covered[static_cast<size_t>(f)] = true;
    }
    TPoints& contour = layer.Contour;
    contour.clear();
    std::unordered_set<uint64_t> present;
    const auto add = [&contour, &present](TPoint p) {
        const uint64_t key =
            (static_cast<uint64_t>(static_cast<uint32_t>(p.X)) << 32) | static_cast<uint32_t>(p.Y);
        if (present.insert(key).second) {
            contour.push_back(p);
        }
    };
    for (const int32_t f : layer.Frags) {
        for (const int32_t index : Defs.Frags[static_cast<size_t>(f)].Points) {
            const TPoint p = Defs.BoardPoints[static_cast<size_t>(index)];
            if (p.Y % 42 != 0 || p.X - Game.ViewX - (p.Y - Game.ViewY) / 2 >= 480) {
                continue;
            }
            add(p);
            add({p.X + 21, p.Y + 42});
            if (p.X != p.Y / 2) {
                add({p.X - 48, p.Y});
                add({p.X - 27, p.Y + 42});
            }
        }
    }
    const auto inside = [&covered](TPoint p) {
        const int32_t d = (p.Y - 42) / 42;
        const int32_t j = (p.X - 21 * d - 21) / 48;
        if (d < 0 || d >= BoardRowCount || j < 0 || j > 9) {
            return false;
        }
        const int32_t first = FragsPerRow * d + 4 * j;
        for (int32_t k = 0; k < 4; ++k) {
            if (!covered[static_cast<size_t>(first + k)]) {
                return false;
            }
        }
        return true;
    };
    contour.erase(std::remove_if(contour.begin(), contour.end(), inside), contour.end());
}

void TBoard::FrameTick(int32_t t) {
    Game.FrameTime = t;
    if (Game.GameState != gsGamePlay || !HasLayer()) {
        return;
    }
    FishkaTick(t);
    ViewTick(t);
    BoardTick(t);
    AnimatePictures(t);
    BossHintCheck();
}

} // namespace qz
