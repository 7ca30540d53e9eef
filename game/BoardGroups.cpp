// Groups of same-coloured crystals, their removal and scoring, falling crystals, the
// deletion of crystals and the change of layers.

#include "archive/Error.h"
#include "game/Board.h"
#include "game/Outline.h"

#include <algorithm>

namespace qz {

namespace {

bool Contains(const TIntegers& list, int32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Removes entries equal to index and moves every larger index down by one.
void ShiftDown(TIntegers& list, int32_t index) {
    std::erase(list, index);
    for (int32_t& value : list) {
        if (value > index) {
            --value;
        }
    }
}

} // namespace

TPoints TBoard::FishkaPoints(const TFishka& fishka, size_t fish) const {
    const TFishkaShape& shape = Defs.ShapeOf(fishka.FType);
    TPoints points;
    for (const TPoint& p : shape.Fishes[fish].Points) {
        points.push_back({fishka.x + p.X - shape.MinX, fishka.y + p.Y - shape.MaxY});
    }
    return points;
}

const TBoard::TGeometry& TBoard::Geometry(int32_t index) const {
    if (geometry_.size() < Layer().Fishkas.size()) {
        geometry_.resize(Layer().Fishkas.size());
    }
    const TFishka& f = Fishka(index);
    TGeometry& g = geometry_[static_cast<size_t>(index)];
    if (g.FType != f.FType || g.X != f.x || g.Y != f.y) {
        g.FType = f.FType;
        g.X = f.x;
        g.Y = f.y;
        g.Fishes.clear();
        g.Box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (size_t k = 0; k < Defs.ShapeOf(f.FType).Fishes.size(); ++k) {
            g.Fishes.push_back(FishkaPoints(f, k));
            for (const TPoint& p : g.Fishes.back()) {
                g.Box.Left = std::min(g.Box.Left, p.X);
                g.Box.Top = std::min(g.Box.Top, p.Y);
                g.Box.Right = std::max(g.Box.Right, p.X);
                g.Box.Bottom = std::max(g.Box.Bottom, p.Y);
            }
        }
    }
    return g;
}

bool TBoard::Touches(int32_t a, int32_t b) const {
    const TFishka& fa = Fishka(a);
    const TFishka& fb = Fishka(b);
    const TPictureSize sa = TypeSize(fa.FType);
    const TPictureSize sb = TypeSize(fb.FType);
    if (fa.x > fb.x + sb.Width || fb.x > fa.x + sa.Width || fa.y - sa.Height - 5 > fb.y + 5 ||
        fb.y - sb.Height - 5 > fa.y + 5) {
        return false;
    }
    const TGeometry& ga = Geometry(a);
    const TGeometry& gb = Geometry(b);
    if (!IntersectRect(ga.Box, gb.Box)) {
        return false; // no point can be shared
    }
    for (const TPoints& pa : ga.Fishes) {
        for (const TPoints& pb : gb.Fishes) {
            for (const TPoint& p : pa) {
                if (std::find(pb.begin(), pb.end(), p) != pb.end()) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool TBoard::TouchesBoard(int32_t index) const {
    const auto count = static_cast<int32_t>(Layer().Fishkas.size());
    for (int32_t i = 0; i < count; ++i) {
        if (i != index && Layer().Fishkas[static_cast<size_t>(i)].State == fsOnBoard &&
            Touches(index, i)) {
            return true;
        }
    }
    return false;
}

bool TBoard::SharesEdge(int32_t a, int32_t b) const {
    const TGeometry& ga = Geometry(a);
    const TGeometry& gb = Geometry(b);
    if (!IntersectRect(ga.Box, gb.Box)) {
        return false;
    }
    for (const TPoints& pa : ga.Fishes) {
        for (const TPoints& pb : gb.Fishes) {
            int32_t common = 0;
            for (const TPoint& p : pa) {
                if (std::find(pb.begin(), pb.end(), p) != pb.end()) {
                    ++common;
                }
            }
            if (common > 1) {
                return true;
            }
        }
    }
    return false;
}

void TBoard::CollectGroup(int32_t f) {
    Group.push_back(f);
    const int32_t colour = Defs.ColorOf(Fishka(f).FType);
    const auto count = static_cast<int32_t>(Layer().Fishkas.size());
    for (int32_t i = 0; i < count; ++i) {
        if (i == f || Fishka(i).State != fsOnBoard || Defs.ColorOf(Fishka(i).FType) != colour ||
            Contains(Group, i) || !SharesEdge(f, i)) {
            continue;
        }
        CollectGroup(i);
    }
}

bool TBoard::GroupBreaks() {
    int32_t need = 3;
    TIntegers bosses;
    for (const int32_t m : Group) {
        const int32_t b = Fishka(m).Boss;
        if (b < 0) {
            continue;
        }
        const int32_t power =
            Defs.BossTypes[static_cast<size_t>(Level.Bosses[static_cast<size_t>(b)].Type)].Power;
        if (Game.Mode == gmPuzzle) {
            need += power;
        } else if (Game.Mode == gmStrategy) {
            need += power >= 0 ? (power + 1) / 2 : power / 2;
        }
        bosses.push_back(b);
    }
    const auto size = static_cast<int32_t>(Group.size());
    if (size >= need) {
        return true;
    }
    if (!bosses.empty() && size > 2) {
        const int32_t now = Now();
        OutlineEffect(Group, now, "BossContour.xml");
        for (const int32_t b : bosses) {
            TBoss& boss = Level.Bosses[static_cast<size_t>(b)];
            const TBossType& type = Defs.BossTypes[static_cast<size_t>(boss.Type)];
            TEffectRequest image;
            image.Effect = "BossPreventEffect.xml";
            image.Image = type.Image;
            image.Position = {boss.x + type.Width / 2, boss.y - type.Height / 2};
            image.StartTick = now;
            boss.PreventTime = now + Services.Effects.AddEffect(image);
            TEffectRequest text;
            text.Effect = "BossTextEffect.xml";
            text.Text = std::to_string(need - size);
            text.Text.insert(text.Text.begin(), '+');
            text.Position = {boss.x + type.Width, boss.y - type.Height / 2};
            text.StartTick = now;
            Services.Effects.AddEffect(text);
        }
        Play("BossPrevent.ogg");
    }
    return false;
}

void TBoard::RemoveOwnedFrags(int32_t index) {
    TLayer& layer = Layer();
    for (size_t i = layer.Owners.size(); i-- > 0;) {
        if (layer.Owners[i] == index) {
            layer.Owners.erase(layer.Owners.begin() + static_cast<ptrdiff_t>(i));
            layer.Frags.erase(layer.Frags.begin() + static_cast<ptrdiff_t>(i));
        }
    }
}

void TBoard::ScoreText(int32_t points, TPoint at, int32_t startTick) {
    if (points <= 0) {
        return;
    }
    TEffectRequest text;
    text.Effect = "ScoreTextEffect.xml";
    text.Text = std::to_string(points);
    text.Text.insert(text.Text.begin(), '+');
    text.Position = at;
    text.StartTick = startTick;
    Services.Effects.AddEffect(text);
}

TPoint TBoard::FishkaCentre(const TFishka& fishka) const {
    const TPictureSize size = TypeSize(fishka.FType);
    return {fishka.x + size.Width / 2, fishka.y - size.Height / 2};
}

void TBoard::RemoveGroup(int32_t t) {
    const int32_t now = Now();
    OutlineEffect(Group, t);
    const int32_t scoreBefore = Game.Score;
    TPoint centre{0, 0};
    for (const int32_t m : Group) {
        TFishka& f = Fishka(m);
        const TPoint middle = FishkaCentre(f);
        centre.X += middle.X;
        centre.Y += middle.Y;
        if (Game.Mode != gmNoLose) {
            Game.Score += Defs.ShapeOf(f.FType).Score;
        }
        if (f.Boss >= 0) {
            if (f.Count <= 1) {
                KillBoss(f.Boss);
            } else {
                TBoss& boss = Level.Bosses[static_cast<size_t>(f.Boss)];
                boss.y -= 9;
                // The boss shows how many more hits its crystal takes.
                const TBossType& type = Defs.BossTypes[static_cast<size_t>(boss.Type)];
                TEffectRequest power;
                power.Effect = "BossTextEffect.xml";
                power.Text = std::to_string(f.Count - 1);
                power.Position = {boss.x + type.Width, boss.y - type.Height / 2};
                power.StartTick = now;
                Services.Effects.AddEffect(power);
            }
        }
        f.Hit = 1;
        if (f.HitTime > Game.FrameTime && f.Count > 1) {
            f.Count -= 1;
        }
        f.HitTime = now + 1000;
        if (f.Count <= 1) {
            f.BonusEffect.Active = false;
            f.State = fsRemoved;
            if (m == Layer().MainFishka) {
                Level.LayerDone = true;
            }
            RemoveOwnedFrags(m);
            // A boss never outlives its crystal.
            if (f.Boss >= 0) {
                KillBoss(f.Boss);
            }
        }
    }
    if (!Group.empty()) {
        const auto members = static_cast<int32_t>(Group.size());
        ScoreText(Game.Score - scoreBefore, {centre.X / members, centre.Y / members}, t);
    }
    if (!Level.LayerDone) {
        DropDisconnected(t);
        for (const int32_t m : Group) {
            if (Fishka(m).State == fsRemoved) {
                CollectBonus(m);
            }
        }
        RecolourQueue();
    }
    Play("2_crystal.ogg");
    Game.UndoList.clear();
}

void TBoard::GetFishkaGroup(int32_t start, TIntegers& from, TIntegers& connected,
                            TJoin join) const {
    connected.assign(1, start);
    const auto at = std::find(from.begin(), from.end(), start);
    if (at == from.end()) {
        throw Error("Error in GetFishkagroup, FN not in FromFishes");
    }
    from.erase(at);
    for (size_t next = 0; next < connected.size(); ++next) {
        const int32_t member = connected[next];
        for (size_t i = 0; i < from.size();) {
            const int32_t c = from[i];
            const bool joined = join == TJoin::Touch ? Touches(c, member) : SharesEdge(c, member);
            if (joined) {
                connected.push_back(c);
                from.erase(from.begin() + static_cast<ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
    }
}

bool TBoard::HasAnchor() const {
    if (!HasLayer()) {
        return false;
    }
    const TLayer& layer = Layer();
    if (layer.MainFishka < 0 || static_cast<size_t>(layer.MainFishka) >= layer.Fishkas.size()) {
        return false;
    }
    const TFishka& main = layer.Fishkas[static_cast<size_t>(layer.MainFishka)];
    return main.State == fsOnBoard && main.Boss >= 0 &&
           static_cast<size_t>(main.Boss) < Level.Bosses.size() &&
           Level.Bosses[static_cast<size_t>(main.Boss)].Main != 0;
}

void TBoard::PiecesOutline(const TIntegers& crystals, int32_t startTick) {
    TIntegers rest = crystals;
    TIntegers piece;
    while (!rest.empty()) {
        GetFishkaGroup(rest.front(), rest, piece, TJoin::Edge);
        OutlineEffect(piece, startTick);
    }
}

void TBoard::DropDisconnected(int32_t t) {
    // A layer without a main boss has nothing to hang from: nothing is cut off.
    if (!HasAnchor()) {
        return;
    }
    TIntegers from;
    for (size_t i = 0; i < Layer().Fishkas.size(); ++i) {
        if (Layer().Fishkas[i].State == fsOnBoard) {
            from.push_back(static_cast<int32_t>(i));
        }
    }
    TIntegers connected;
    GetFishkaGroup(Layer().MainFishka, from, connected, TJoin::Touch);
    PiecesOutline(from, t + 500);
    for (const int32_t c : from) {
        TFishka& f = Fishka(c);
        if (f.Boss >= 0) {
            KillBoss(f.Boss);
        }
        if (Game.Mode != gmNoLose) {
            Game.Score += 2 * Defs.ShapeOf(f.FType).Score;
            ScoreText(2 * Defs.ShapeOf(f.FType).Score, FishkaCentre(f), t + 500);
        }
        f.FallTime = t + 500;
        f.State = fsRemoved;
        f.BonusEffect.Active = false;
        f.BType = -1;
        Level.PendingSoundTime = t + 500;
        Level.PendingSound = "3_crystal.ogg";
        RemoveOwnedFrags(c);
    }
    if (FollowBottom() && Game.Mode == gmStrategy) {
        Level.PutLeft = Level.Strategic + 1;
    }
}

void TBoard::FishkaTick(int32_t t) {
    if (!HasLayer()) {
        return;
    }
    for (size_t i = 0; i < Layer().Fishkas.size();) {
        TFishka& f = Layer().Fishkas[i];
        if (f.Hit != 0 && f.HitTime < t) {
            if (f.Count <= 1) {
                DeleteFishka(static_cast<int32_t>(i));
                continue;
            }
            f.Count -= 1;
            f.Hit = 0;
        }
        ++i;
    }
    for (TFishka& f : Layer().Fishkas) {
        if (f.State == fsRemoved && f.FallTime > 0 && f.FallTime < t) {
            f.Hit = 1;
            f.BonusEffect.Active = false;
            f.HitTime = t + 1000;
            f.Count = std::min<uint8_t>(f.Count, 1);
            f.FallTime = -1;
        }
    }
    if (!Level.PendingSound.empty() && t > Level.PendingSoundTime) {
        Play(Level.PendingSound);
        Level.PendingSound.clear();
    }
}

void TBoard::DeleteFishka(int32_t index) {
    TLayer& layer = Layer();
    layer.Fishkas.erase(layer.Fishkas.begin() + index);
    if (Game.InHand == index) {
        Game.InHand = -1;
    } else if (Game.InHand > index) {
        --Game.InHand;
    }
    ShiftDown(DrawOrder, index);
    RemoveOwnedFrags(index);
    for (int32_t& owner : layer.Owners) {
        if (owner > index) {
            --owner;
        }
    }
    ShiftDown(Game.Queue, index);
    std::erase_if(Game.UndoList, [index](const TUndoRecord& r) { return r.Index == index; });
    for (TUndoRecord& record : Game.UndoList) {
        if (record.Index > index) {
            --record.Index;
        }
    }
    if (layer.MainFishka > index) {
        --layer.MainFishka;
    }
}

void TBoard::NextLayer() {
    const int32_t now = Now();
    if (static_cast<size_t>(Level.LayerIndex) + 1 < Level.Layers.size()) {
        Game.InHand = -1;
        Level.LayerIndex += 1;
        DrawOrder.clear();
        for (size_t i = 0; i < Layer().Fishkas.size(); ++i) {
            if (Layer().Fishkas[i].State == fsOnBoard) {
                DrawOrder.push_back(static_cast<int32_t>(i));
            }
        }
        Game.Queue.clear();
        for (int32_t i = 0; i < QueueLength; ++i) {
            DealFishka();
        }
        Game.ScrollTime = now + 1000;
        Game.ScrollSpeed = 0;
        Level.NextMoveTime = now + Level.MoveInterval;
        BuildContour();
        Play("5_crystal.ogg");
        Game.Danger = false;
        SetProperty("WGame_PBDead", "Position", "0");
        RecolourQueue();
        QueueAdvance();
        if (Game.Mode == gmStrategy) {
            Level.PutLeft = Level.Strategic;
            StrategyBar();
            SetProperty("WGame_LPutsLeftCount", "Caption", std::to_string(Level.PutLeft));
        }
        return;
    }
    Level.LevelDone = true;
    Level.LevelEndTime = now + 3000;
    ClearBoard(now + 1000);
}

void TBoard::FinishLevel() {
    if (!HasLayer() || Level.LevelDone) {
        return;
    }
    const int32_t now = Now();
    Level.LevelDone = true;
    Level.LevelEndTime = now + 1000;
    ClearBoard(now);
}

void TBoard::ClearBoard(int32_t t) {
    TIntegers left;
    for (size_t i = 0; i < Layer().Fishkas.size(); ++i) {
        if (Layer().Fishkas[i].State == fsOnBoard) {
            left.push_back(static_cast<int32_t>(i));
        }
    }
    PiecesOutline(left, t + 500);
    for (const int32_t c : left) {
        TFishka& f = Fishka(c);
        if (f.Boss >= 0) {
            KillBoss(f.Boss);
        }
        f.FallTime = t + 500;
        f.State = fsRemoved;
        f.BonusEffect.Active = false;
        f.BType = -1;
        RemoveOwnedFrags(c);
    }
    Services.Sounds.StopMusic();
    Play("6_next_level.ogg");
}

void TBoard::OutlineEffect(const TIntegers& crystals, int32_t startTick,
                           const std::string& effect) {
    const TLayer& layer = Layer();
    std::vector<bool> chosen(layer.Fishkas.size(), false);
    for (const int32_t c : crystals) {
        chosen[static_cast<size_t>(c)] = true;
    }
    std::vector<TPoints> triangles;
    for (size_t i = 0; i < layer.Frags.size(); ++i) {
        if (!chosen[static_cast<size_t>(layer.Owners[i])]) {
            continue;
        }
        TPoints triangle;
        for (const int32_t index : Defs.Frags[static_cast<size_t>(layer.Frags[i])].Points) {
            triangle.push_back(Defs.BoardPoints[static_cast<size_t>(index)]);
        }
        triangles.push_back(std::move(triangle));
    }
    const TOutline outline = TraceOutline(triangles);
    TPoint reference;
    if (!outline.Points.empty()) {
        int64_t sumX = 0;
        int64_t sumY = 0;
        for (const TPoint& p : outline.Points) {
            sumX += p.X;
            sumY += p.Y;
        }
        const auto n = static_cast<int64_t>(outline.Points.size());
        reference = {static_cast<int32_t>(sumX / n), static_cast<int32_t>(sumY / n)};
    }
    for (size_t k = 1; k <= outline.Count(); ++k) {
        const auto [first, last] = outline.Range(k);
        if (first > last) {
            continue;
        }
        std::string path = " Path ";
        const auto offset = [&reference, &path](TPoint p) {
            path += '(';
            path += std::to_string(p.X - reference.X);
            path += ',';
            path += std::to_string(p.Y - reference.Y);
            path += ')';
        };
        for (int32_t i = first; i <= last; ++i) {
            offset(outline.Points[static_cast<size_t>(i)]);
            path += ' ';
        }
        offset(outline.Points[static_cast<size_t>(first)]);
        path += ';';
        TEffectRequest request;
        request.Effect = effect;
        request.Image = "particle1.png";
        request.Position = {reference.X, reference.Y + 9};
        request.StartTick = startTick;
        request.Path = std::move(path);
        Services.Effects.AddEffect(request);
    }
}

} // namespace qz
