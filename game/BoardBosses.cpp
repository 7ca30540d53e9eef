// Bosses on crystals, their death and fading, and the bonuses some crystals carry.

#include "archive/Error.h"
#include "archive/Random.h"
#include "game/Board.h"

#include <cmath>

namespace qz {

namespace {

// Point in polygon by crossings; the polygon is closed by its first point.
bool Inside(const TPoints& polygon, TPoint p) {
    bool inside = false;
    const size_t n = polygon.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const TPoint a = polygon[i];
        const TPoint b = polygon[j];
        if ((a.Y > p.Y) != (b.Y > p.Y) &&
            p.X < static_cast<double>(b.X - a.X) * (p.Y - a.Y) / (b.Y - a.Y) + a.X) {
            inside = !inside;
        }
    }
    return inside;
}

int32_t Distance(TPoint a, TPoint b) {
    return static_cast<int32_t>(std::nearbyint(std::hypot(double(a.X - b.X), double(a.Y - b.Y))));
}

struct TBonusKind {
    const char* Image;
    int32_t Points;
    int32_t Shuffles;
    int32_t Shifts;
};

constexpr TBonusKind BonusKinds[8] = {
    {"small_coin_line.png", 50, 0, 0},   {"silver_coin_line.png", 100, 0, 0},
    {"gold_coin_line.png", 200, 0, 0},   {"smallshuffle_small_line.png", 0, 1, 0},
    {"shuffle_small_line.png", 0, 2, 0}, {"smallshift_small_line.png", 0, 0, 1},
    {"shift_small_line.png", 0, 0, 2},   {"bomb_small_line.png", 0, 0, 0},
};

std::string MarkImage(int32_t kind) {
    if (kind >= 0 && kind < 8) {
        return BonusKinds[kind].Image;
    }
    if (kind >= 8 && kind <= 14) {
        return "ColorBomb" + std::to_string(kind - 8);
    }
    return kind == 15 ? "tricolor_line.png" : "";
}

} // namespace

TPoint TBoard::SignPoint(const TFishka& fishka) const {
    const TFishkaShape& shape = Defs.ShapeOf(fishka.FType);
    return {fishka.x + shape.Sx, fishka.y - shape.Sy};
}

void TBoard::AttachBosses() {
    for (size_t b = 0; b < Level.Bosses.size(); ++b) {
        const TBoss& boss = Level.Bosses[b];
        const TBossType& type = Defs.BossTypes[static_cast<size_t>(boss.Type)];
        const TPoint probe{boss.x + type.x, boss.y - type.y};
        bool found = false;
        for (TLayer& layer : Level.Layers) {
            for (size_t i = 0; i < layer.Fishkas.size() && !found; ++i) {
                TFishka& f = layer.Fishkas[i];
                if (f.State != fsOnBoard) {
                    continue;
                }
                const size_t fishes = Defs.ShapeOf(f.FType).Fishes.size();
                for (size_t k = 0; k < fishes && !found; ++k) {
                    found = Inside(FishkaPoints(f, k), probe);
                }
                if (found) {
                    f.Boss = static_cast<int32_t>(b);
                    f.BType = -1;
                    f.BonusEffect.Active = false;
                    if (boss.Main != 0) {
                        layer.MainFishka = static_cast<int32_t>(i);
                    }
                }
            }
            if (found) {
                break;
            }
        }
    }
}

void TBoard::KillBoss(int32_t b) {
    const TBoss boss = Level.Bosses[static_cast<size_t>(b)];
    const TBossType& type = Defs.BossTypes[static_cast<size_t>(boss.Type)];
    const int32_t now = Now();
    if (Services.Pictures.Find(type.Image)) {
        TEffectRequest image;
        image.Effect = "BossDieEffect.xml";
        image.Image = type.Image;
        image.Position = {boss.x + type.Width / 2, boss.y - type.Height / 2};
        image.StartTick = now;
        Services.Effects.AddEffect(image);
        TEffectRequest particles;
        particles.Effect = "BossDieParticlesEffect.xml";
        particles.Image = "particle1.png";
        particles.Position = {boss.x + type.x, boss.y - type.y};
        particles.StartTick = now;
        Services.Effects.AddEffect(particles);
    }
    Level.Bosses.erase(Level.Bosses.begin() + b);
    for (TLayer& layer : Level.Layers) {
        for (TFishka& f : layer.Fishkas) {
            if (f.Boss == b) {
                f.Boss = -1;
            } else if (f.Boss > b) {
                --f.Boss;
            }
        }
    }
}

void TBoard::BossHover() {
    const int32_t now = Now();
    for (TBoss& boss : Level.Bosses) {
        const TBossType& type = Defs.BossTypes[static_cast<size_t>(boss.Type)];
        const int32_t left = boss.x - Game.ViewX + 11;
        const int32_t top = 593 + Game.ViewY - boss.y;
        const bool over = Game.PointerX >= left && Game.PointerX < left + type.Width &&
                          Game.PointerY >= top && Game.PointerY < top + type.Height;
        if (over && boss.Faded == 0) {
            boss.Faded = 1;
            boss.FadeStart = now;
        } else if (!over && boss.Faded != 0) {
            boss.Faded = 0;
            boss.FadeEnd = now;
        }
    }
}

void TBoard::BossHintCheck() {
    if (!Game.BossHint) {
        return;
    }
    for (const TBoss& boss : Level.Bosses) {
        const TBossType& type = Defs.BossTypes[static_cast<size_t>(boss.Type)];
        const int32_t left = boss.x - Game.ViewX + 11;
        const int32_t top = 593 + Game.ViewY - boss.y;
        if (left >= 30 && top >= 30 && left + type.Width <= 770 && top + type.Height <= 570) {
            // Shown where the interface puts its hints, clear of the counters and the board.
            Services.Controls.ShowHint("WGame_HBoss", std::nullopt);
            Game.BossHint = false;
            return;
        }
    }
}

void TBoard::CheckIndexes() const {
    const auto types = static_cast<int32_t>(Defs.FishkaTypes.size());
    const auto bossTypes = static_cast<int32_t>(Defs.BossTypes.size());
    const auto bosses = static_cast<int32_t>(Level.Bosses.size());
    for (size_t b = 0; b < Level.Bosses.size(); ++b) {
        const int32_t type = Level.Bosses[b].Type;
        if (type < 0 || type >= bossTypes) {
            throw Error("boss " + std::to_string(b + 1) + " has the boss type " +
                        std::to_string(type) + ", which does not exist (" +
                        std::to_string(bossTypes) + " boss types)");
        }
    }
    for (size_t l = 0; l < Level.Layers.size(); ++l) {
        const TLayer& layer = Level.Layers[l];
        const auto count = static_cast<int32_t>(layer.Fishkas.size());
        const std::string where = "layer " + std::to_string(l + 1);
        for (size_t i = 0; i < layer.Fishkas.size(); ++i) {
            const TFishka& f = layer.Fishkas[i];
            if (f.FType < 0 || f.FType >= types) {
                throw Error(where + " crystal " + std::to_string(i + 1) + " has the crystal type " +
                            std::to_string(f.FType) + ", which does not exist (" +
                            std::to_string(types) + " crystal types)");
            }
            if (f.Boss < -1 || f.Boss >= bosses) {
                throw Error(where + " crystal " + std::to_string(i + 1) + " names the boss " +
                            std::to_string(f.Boss + 1) + ", which does not exist");
            }
        }
        if (layer.Frags.size() != layer.Owners.size()) {
            throw Error(where + " has " + std::to_string(layer.Frags.size()) + " fragments but " +
                        std::to_string(layer.Owners.size()) + " owners");
        }
        for (size_t k = 0; k < layer.Frags.size(); ++k) {
            if (layer.Frags[k] < 0 || layer.Frags[k] >= FragCount) {
                throw Error(where + " covers the fragment " + std::to_string(layer.Frags[k]) +
                            ", outside the board (0..11999)");
            }
            if (layer.Owners[k] < 0 || layer.Owners[k] >= count) {
                throw Error(where + " gives a fragment to the crystal " +
                            std::to_string(layer.Owners[k] + 1) + ", which does not exist");
            }
        }
        if (layer.MainFishka < 0 || (count > 0 && layer.MainFishka >= count)) {
            throw Error(where + " has the main crystal " + std::to_string(layer.MainFishka + 1) +
                        ", which does not exist");
        }
    }
    for (const int32_t frag : Level.NullFrags) {
        if (frag < 0 || frag >= FragCount) {
            throw Error("the null fragment " + std::to_string(frag) +
                        " is outside the board (0..11999)");
        }
    }
}

void TBoard::GiveBonus(int32_t index, int32_t kind) {
    if (kind < 0) {
        kind = WeightedChoice(Level.BonusTypeWeights);
    }
    TFishka& f = Fishka(index);
    f.BType = kind;
    const std::string image = MarkImage(kind);
    f.BonusEffect = {};
    if (image.empty()) {
        return;
    }
    TPoint at = SignPoint(f);
    if (kind == 4 || kind == 15) {
        at.Y += 9;
    } else if (kind >= 8 && kind <= 14) {
        at.Y += 12;
    }
    f.BonusEffect = {true, image, kind <= 2 ? "BonusCoin.xml" : "BonusBomb.xml", at};
}

void TBoard::CollectBonus(int32_t index) {
    const TFishka f = Fishka(index);
    if (f.State != fsRemoved || f.BType < 0 || f.BType > 15) {
        return;
    }
    const TPoint sign = SignPoint(f);
    const auto effect = [this, sign](const std::string& image, const char* name) {
        TEffectRequest request;
        request.Effect = name;
        request.Image = image;
        request.Position = sign;
        request.StartTick = Now();
        Services.Effects.AddEffect(request);
    };
    const int32_t kind = f.BType;
    if (kind <= 2) {
        if (Game.Mode != gmNoLose) {
            Game.Score += BonusKinds[kind].Points;
        }
        SetProperty("WGame_LScoreCount", "Caption", std::to_string(Game.Score));
        Play("7_bonus.ogg");
        effect(MarkImage(kind), "GiveBonus.xml");
    } else if (kind <= 4) {
        Game.Shuffles += BonusKinds[kind].Shuffles;
        SetProperty("WGame_LShuffleCount", "Caption", std::to_string(Game.Shuffles));
        Play("7_bonus.ogg");
        effect(MarkImage(kind), "GiveBonus.xml");
    } else if (kind <= 6) {
        Game.Shifts += BonusKinds[kind].Shifts;
        SetProperty("WGame_LShiftCount", "Caption", std::to_string(Game.Shifts));
        Play("7_bonus.ogg");
        effect(MarkImage(kind), "GiveBonus.xml");
    } else if (kind == 7) {
        Explode(sign, 100);
        effect("boomstar.png", "GiveBonusBomb.xml");
    } else if (kind <= 14) {
        Repaint(sign, 100, kind - 8);
        effect("boomcolorstar" + std::to_string(kind - 8), "GiveBonusColorBomb.xml");
    } else {
        RepaintView();
        effect(MarkImage(kind), "GiveBonus.xml");
    }
}

void TBoard::Explode(TPoint centre, int32_t radius) {
    const int32_t now = Now();
    for (size_t i = 0; i < Layer().Fishkas.size(); ++i) {
        TFishka& f = Layer().Fishkas[i];
        if (f.State != fsOnBoard || f.Boss >= 0 || Distance(SignPoint(f), centre) >= radius) {
            continue;
        }
        TEffectRequest star;
        star.Effect = "GiveBonusBomb.xml";
        star.Image = "boomstar.png";
        star.Position = SignPoint(f);
        star.StartTick = now;
        Services.Effects.AddEffect(star);
        f.FallTime = now + 500;
        f.State = fsRemoved;
        f.BonusEffect.Active = false;
        f.BType = -1;
        RemoveOwnedFrags(static_cast<int32_t>(i));
    }
    DropDisconnected(now + 1000);
    Play("BonusBoom.ogg");
}

void TBoard::Repaint(TPoint centre, int32_t radius, int32_t colour) {
    const int32_t now = Now();
    for (TFishka& f : Layer().Fishkas) {
        if (f.State == fsOnBoard && Distance(SignPoint(f), centre) < radius &&
            Defs.ColorOf(f.FType) != colour) {
            const int32_t before = f.FType;
            SetRecolour(f, colour);
            if (f.FType != before) {
                f.FlashTime = now + 600;
            }
        }
    }
    Play("BonusBoom.ogg");
}

void TBoard::RepaintView() {
    const int32_t now = Now();
    const auto colours = static_cast<int32_t>(Level.Colors.size());
    for (TFishka& f : Layer().Fishkas) {
        if (f.State != fsOnBoard || f.y >= Game.CurrentY + 590) {
            continue;
        }
        const int32_t k = Random().Next(3);
        if (colours == 0) {
            continue;
        }
        // With fewer than three colours a draw past the list wraps into it.
        SetRecolour(f, Level.Colors[static_cast<size_t>(k % colours)] - 1);
        f.FlashTime = now + 600;
    }
}

} // namespace qz
