#include "GameScreen.h"

#include "fonts/NyxFont.h"
#include "game/Board.h"
#include "gfx/SurfEngine.h"
#include "objects/NyxStrings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qz {

namespace {

constexpr int32_t RowHeight = 42;
constexpr int32_t CopyRise = 9;     // each further hit of a crystal sits this much higher
constexpr uint8_t HiddenTint = 180; // a hidden colour is drawn this far towards black
constexpr uint32_t White = 0xFFFFFF;
constexpr int32_t FadeTime = 500;     // bosses and level pictures fade over this long
constexpr int32_t RemovalTime = 1000; // a removed crystal rises and fades over this long
constexpr int32_t HiddenColourStep = 100;
constexpr uint8_t PreviewAlpha = 170;     // the crystal in hand shows through the landing preview
constexpr uint32_t RefusedRed = 0x3C3CFF; // colours are 0xBBGGRR
constexpr uint8_t RefusedAlpha = 120;
constexpr int32_t RefusedWidth = 2; // the red outline stands this far out of the crystal
constexpr int32_t OutcomeWidth = 3; // the edges of what a put would do stand this far out
constexpr uint8_t OutcomeAlpha = 255;
constexpr uint8_t BreakEdgeTint = 110; // a crystal that would break: its own colours, lighter
constexpr uint8_t FallEdgeTint = 1;    // one that would fall: white
constexpr uint8_t OutcomeGlaze = 80;   // the strongest white over them
constexpr int32_t OutcomePulse = 900;
constexpr uint32_t DeadLineRed = 0x5050FF;
constexpr uint8_t DeadLineAlpha = 60;
constexpr uint8_t DeadLineDangerAlpha = 190; // the top of the pulse while in danger
constexpr int32_t DeadLinePulse = 800;       // one pulse takes this long

uint8_t ToByte(double value) {
    return static_cast<uint8_t>(std::clamp<long>(std::lround(value), 0, 255));
}

// Rows counted downwards from the top: lower rows are drawn later, in front.
int32_t Band(int32_t y) {
    return y >= 0 ? y / RowHeight : -((-y + RowHeight - 1) / RowHeight);
}

// Opacity of a boss or level picture: down to 128 while faded, back to 255 afterwards.
uint8_t FadeAlpha(bool faded, int32_t fadeStart, int32_t fadeEnd, int32_t now) {
    if (faded) {
        const int32_t d = std::max(0, now - fadeStart);
        return d <= FadeTime ? ToByte(255 - std::round(128.0 * d / FadeTime)) : 128;
    }
    const int32_t d = std::max(0, now - fadeEnd);
    return d <= FadeTime ? ToByte(255 - std::round(128.0 * (1 - double(d) / FadeTime))) : 255;
}

uint32_t ParticleColour(const fx::TNyxParticle& particle) {
    const fx::TVector3 c = particle.Color();
    return uint32_t(ToByte(c[0])) | uint32_t(ToByte(c[1])) << 8 | uint32_t(ToByte(c[2])) << 16;
}

// The tint weight of the colour value: 0 (no tint) for 0, never 0 otherwise.
uint8_t ColourStrength(float value) {
    if (value == 0) {
        return 0;
    }
    return std::max<uint8_t>(1, ToByte((1 - value) * 255));
}

} // namespace

THeldAlpha HeldPieceAlpha(int32_t pointerX, int32_t pointerY) {
    const int32_t a = 2 * pointerX - (590 - (pointerY - 3));
    const int32_t b = pointerX - (790 - pointerY / 2);
    if (a > 0 && b < 0) {
        return {true, 255};
    }
    const int32_t d = std::max(b, -a / 2);
    if (d >= 64) {
        return {false, static_cast<uint8_t>(a < 0 ? 0 : 64)};
    }
    return {false, static_cast<uint8_t>(a < 0 ? 255 - 4 * d : 255 - 3 * d)};
}

void AdvanceHiddenColour(TBoard& board, int32_t now) {
    const auto colours = static_cast<int32_t>(board.Defs.FishkaColors.size());
    TGame& game = board.Game;
    if (colours == 0 || now < game.HiddenColourTime) {
        return;
    }
    game.HiddenColour = (game.HiddenColour + 1) % colours;
    game.HiddenColourTime = now + HiddenColourStep;
}

TGameScreen::TGameScreen(TSurfEngine& engine, const TDefinitions& defs)
    : engine_(engine), defs_(defs) {}

std::optional<TGameScreen::TImageSize> TGameScreen::Size(std::string_view name) const {
    const TSurface* surface = engine_.FindSurface(name);
    if (surface == nullptr || !surface->Surface) {
        return std::nullopt;
    }
    return TImageSize{surface->Width, surface->Height};
}

void TGameScreen::Picture(std::string_view name, int32_t x, int32_t y, uint8_t alpha, uint8_t tint,
                          uint32_t colour, const std::optional<TRect>& source) {
    engine_.DrawImage(name, target_, tint, colour, source, alpha, x, y);
}

void TGameScreen::Clipped(std::string_view name, TRect source, int32_t x, int32_t y,
                          const TRect& clip, uint8_t alpha, uint8_t tint, uint32_t colour) {
    if (x < clip.Left) {
        source.Left += clip.Left - x;
        x = clip.Left;
    }
    if (y < clip.Top) {
        source.Top += clip.Top - y;
        y = clip.Top;
    }
    source.Right = std::min(source.Right, source.Left + clip.Right - x);
    source.Bottom = std::min(source.Bottom, source.Top + clip.Bottom - y);
    if (!source.IsEmpty()) {
        Picture(name, x, y, alpha, tint, colour, source);
    }
}

void TGameScreen::PrepareBackground(TBoard& board, bool turnOffHint, TStillBoard still,
                                    int32_t now) {
    target_ = BackgroundSurface;
    engine_.CopyOpaque("GamePlay2.jpg", BackgroundSurface, std::nullopt, 0, 0);
    PictureMap(board);
    if (!turnOffHint) {
        FragHints(board);
    }
    if (still != TStillBoard::None) {
        Crystals(board, now, 0, false);
        Bosses(board, now);
    }
    if (still == TStillBoard::PiecesAndQueue) {
        Queue(board, now);
    }
    target_ = ScreenSurface;
}

void TGameScreen::DrawBoard(TBoard& board, const TPartEffects& levelEffects, int32_t now,
                            int32_t riseDistance) {
    DeadLine(board, now);
    FadeLevelPictures(board, now);
    Crystals(board, now, riseDistance, true);
    if (!board.Level.LevelDone && !board.Level.HoverFrags.empty()) {
        PutOutcome(board, now, riseDistance);
    }
    Bosses(board, now);
    board.BossHintCheck();
    Queue(board, now);
    const TPoint view{board.Game.ViewX, board.Game.ViewY};
    for (const TPartEffect& entry : levelEffects) {
        if (entry.Effect) {
            Particles(*entry.Effect, entry.Image, entry.Text, entry.Position, entry.Clip, view, 0);
        }
    }
}

void TGameScreen::DrawFreeEffects(const TPartEffects& effects) {
    for (const TPartEffect& entry : effects) {
        if (entry.Effect) {
            Particles(*entry.Effect, entry.Image, entry.Text, entry.Position, entry.Clip,
                      std::nullopt, 0);
        }
    }
}

void TGameScreen::DrawHand(const TBoard& board, THeldAlpha held, int32_t now) {
    const TGame& game = board.Game;
    const bool playing = !board.Level.LevelDone;
    if (board.HasLayer() && game.InHand >= 0 &&
        static_cast<size_t>(game.InHand) < board.Layer().Fishkas.size()) {
        const TFishka& hand = board.Fishka(game.InHand);
        if (hand.AnimTime < 0 || now >= hand.AnimTime) {
            if (playing && held.OverBoard && board.Level.HoverFrags.empty()) {
                RefusedOutline(board, hand);
            }
            QueuedCrystal(board, hand, hand.x, hand.y, held.Alpha);
        }
    }
    if (playing) {
        Preview(board);
    }
}

void TGameScreen::RefusedOutline(const TBoard& board, const TFishka& hand) {
    const std::optional<std::string> name = CrystalPicture(board, hand);
    if (!name) {
        return;
    }
    // The crystal's own shape in red, moved out on four sides, stands around it as an edge.
    for (const auto& [dx, dy] : {std::pair{-RefusedWidth, 0}, std::pair{RefusedWidth, 0},
                                 std::pair{0, -RefusedWidth}, std::pair{0, RefusedWidth}}) {
        Picture(*name, hand.x + dx, hand.y + dy, RefusedAlpha, 1, RefusedRed);
    }
}

void TGameScreen::PutOutcome(TBoard& board, int32_t now, int32_t riseDistance) {
    // A white glaze comes and goes over them, so that they catch the eye.
    const double phase = std::sin(2 * std::numbers::pi * (now % OutcomePulse) / OutcomePulse);
    const uint8_t glaze = ToByte(OutcomeGlaze * (1 + phase) / 2);
    const auto outline = [&](int32_t index, uint8_t tint) {
        if (index < 0 || static_cast<size_t>(index) >= board.Layer().Fishkas.size()) {
            return;
        }
        TFishka& fishka = board.Fishka(index);
        if (fishka.State != fsOnBoard || fishka.FType < 0 ||
            static_cast<size_t>(fishka.FType) >= defs_.FishkaTypes.size()) {
            return;
        }
        const std::string& image = defs_.FishkaTypes[static_cast<size_t>(fishka.FType)].Image;
        const int32_t x = fishka.x - board.Game.ViewX;
        const int32_t y = board.Game.ViewY - fishka.y + 590;
        // The crystal's shape, lighter and moved out on four sides, then the crystal again
        // over it: an edge that stands over its neighbours.
        for (int32_t copy = 0; copy < std::max<int32_t>(1, fishka.Count); ++copy) {
            for (const auto& [dx, dy] : {std::pair{-OutcomeWidth, 0}, std::pair{OutcomeWidth, 0},
                                         std::pair{0, -OutcomeWidth}, std::pair{0, OutcomeWidth}}) {
                Picture(image, x + dx, y - CopyRise * copy + dy, OutcomeAlpha, tint, White);
            }
        }
        Crystal(board, fishka, now, riseDistance, false);
        for (int32_t copy = 0; copy < std::max<int32_t>(1, fishka.Count); ++copy) {
            Picture(image, x, y - CopyRise * copy, glaze, 1, White);
        }
    };
    for (const int32_t index : board.PutOutcome.Breaks) {
        outline(index, BreakEdgeTint);
    }
    for (const int32_t index : board.PutOutcome.Falls) {
        outline(index, FallEdgeTint);
    }
}

void TGameScreen::DeadLine(const TBoard& board, int32_t now) {
    const TGame& game = board.Game;
    if (game.Mode == gmNoLose) {
        return;
    }
    // A crystal whose bottom goes below this row of the window has crossed the line.
    const int32_t y = game.ViewY - game.CurrentY + 590;
    uint8_t alpha = DeadLineAlpha;
    if (game.Danger) {
        const double phase = std::sin(2 * std::numbers::pi * (now % DeadLinePulse) / DeadLinePulse);
        alpha = ToByte(DeadLineAlpha + (DeadLineDangerAlpha - DeadLineAlpha) * (1 + phase) / 2);
    }
    // Across the board only: its left and right edges slant by half a pixel per row.
    const TRect line{(593 - y) / 2 + 1, y - 1, 789 - y / 2, y + 1};
    engine_.BlendRect(target_, line, alpha, DeadLineRed);
}

void TGameScreen::PictureMap(const TBoard& board) {
    const TPictureMap& map = board.Level.PictureMap;
    if (map.LineWidth <= 0) {
        return;
    }
    const TGame& game = board.Game;
    // The cells list the bottom line first; a cell value v shows image v, 0 none.
    for (size_t i = 0; i < map.Cells.size(); ++i) {
        const int32_t v = map.Cells[i];
        if (v < 1 || static_cast<size_t>(v) > map.Images.size()) {
            continue;
        }
        const auto column = static_cast<int32_t>(i) % map.LineWidth;
        const auto line = static_cast<int32_t>(i) / map.LineWidth;
        Picture(map.Images[static_cast<size_t>(v - 1)], map.x + column * map.OneWidth - game.ViewX,
                game.ViewY - (map.y + (line + 1) * map.OneHeight) + 590);
    }
}

void TGameScreen::FragHints(const TBoard& board) {
    if (!board.HasLayer()) {
        return;
    }
    for (const TPoint& point : board.Layer().Contour) {
        Picture("FragHint.png", point.X - board.Game.ViewX - 21, board.Game.ViewY - point.Y + 590);
    }
}

void TGameScreen::Preview(const TBoard& board) {
    for (const int32_t index : board.Level.HoverFrags) {
        if (index < 0 || static_cast<size_t>(index) >= defs_.Frags.size()) {
            continue;
        }
        const TFrag& frag = defs_.Frags[static_cast<size_t>(index)];
        // The kind's picture spans its triangle: left at the lowest x, top at the highest y.
        int32_t left = INT32_MAX;
        int32_t top = INT32_MIN;
        for (const int32_t point : frag.Points) {
            const TPoint& p = defs_.BoardPoints[static_cast<size_t>(point)];
            left = std::min(left, p.X);
            top = std::max(top, p.Y);
        }
        Picture(defs_.FragTypes[frag.Kind].Image, left - board.Game.ViewX,
                board.Game.ViewY - top + 590, PreviewAlpha);
    }
}

void TGameScreen::FadeLevelPictures(TBoard& board, int32_t now) {
    TPoints corners;
    const TGame& game = board.Game;
    if (board.HasLayer() && game.InHand >= 0 &&
        static_cast<size_t>(game.InHand) < board.Layer().Fishkas.size()) {
        const TFishka& hand = board.Fishka(game.InHand);
        const TFishkaShape& shape = defs_.ShapeOf(hand.FType);
        for (const TOneFish& fish : shape.Fishes) {
            for (const TPoint& p : fish.Points) {
                corners.push_back({hand.x + p.X - shape.MinX, hand.y + shape.MaxY - p.Y});
            }
        }
    }
    for (TLevelPicture& picture : board.Level.Pictures) {
        const TRect rect{picture.x - game.ViewX + 11, game.ViewY - picture.y + 590,
                         picture.x - game.ViewX + 11 + picture.Width - 1,
                         game.ViewY - picture.y + 590 + picture.Height - 1};
        const bool covered = std::any_of(corners.begin(), corners.end(),
                                         [&](const TPoint& p) { return PtInRect(rect, p); });
        // A reversal within the fade time starts from the opacity reached so far.
        if (covered && picture.Faded == 0) {
            const int32_t d = now - picture.FadeEnd;
            picture.Faded = 1;
            picture.FadeStart = d < FadeTime ? now - (FadeTime - d) : now;
        } else if (!covered && picture.Faded != 0) {
            const int32_t d = now - picture.FadeStart;
            picture.Faded = 0;
            picture.FadeEnd = d < FadeTime ? now - (FadeTime - d) : now;
        }
    }
}

void TGameScreen::Crystals(TBoard& board, int32_t now, int32_t riseDistance, bool animateMarks) {
    const TGame& game = board.Game;
    std::vector<const TLevelPicture*> pictures;
    for (const TLevelPicture& picture : board.Level.Pictures) {
        pictures.push_back(&picture);
    }
    // Higher rows first, so that crystals of lower rows stand in front; each level picture
    // joins the band of rows its y - Sy falls in.
    std::stable_sort(pictures.begin(), pictures.end(), [](const auto* a, const auto* b) {
        return Band(a->y - a->Sy) > Band(b->y - b->Sy);
    });
    const auto levelPicture = [&](const TLevelPicture& picture) {
        if (!picture.Images.empty()) {
            const auto shown = static_cast<size_t>(picture.Counter) < picture.Images.size()
                                   ? static_cast<size_t>(picture.Counter)
                                   : 0;
            Picture(picture.Images[shown], picture.x - game.ViewX, game.ViewY - picture.y + 590,
                    FadeAlpha(picture.Faded != 0, picture.FadeStart, picture.FadeEnd, now));
        }
    };
    auto next = pictures.begin();
    if (board.HasLayer()) {
        TIntegers order;
        for (const int32_t index : board.DrawOrder) {
            if (index >= 0 && static_cast<size_t>(index) < board.Layer().Fishkas.size()) {
                order.push_back(index);
            }
        }
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return Band(board.Fishka(a).y) > Band(board.Fishka(b).y);
        });
        for (const int32_t index : order) {
            TFishka& fishka = board.Fishka(index);
            for (; next != pictures.end() && Band((*next)->y - (*next)->Sy) > Band(fishka.y);
                 ++next) {
                levelPicture(**next);
            }
            if (!Crystal(board, fishka, now, riseDistance, animateMarks)) {
                break;
            }
        }
    }
    for (; next != pictures.end(); ++next) {
        levelPicture(**next);
    }
}

bool TGameScreen::Crystal(const TBoard& board, TFishka& fishka, int32_t now, int32_t riseDistance,
                          bool animateMarks) {
    if (fishka.FType < 0 || static_cast<size_t>(fishka.FType) >= defs_.FishkaTypes.size()) {
        return false;
    }
    const std::string& image = defs_.FishkaTypes[static_cast<size_t>(fishka.FType)].Image;
    if (!Size(image)) {
        return false;
    }
    const int32_t x = fishka.x - board.Game.ViewX;
    const int32_t y = board.Game.ViewY - fishka.y + 590;
    const int32_t copies = std::max<int32_t>(1, fishka.Count);
    uint8_t flash = 0;
    if (now < fishka.FlashTime) {
        // Two pulses towards white within the 200 ms of the flash.
        const int32_t w = now + 200 - fishka.FlashTime;
        flash = ToByte((1 - std::sin(w * std::numbers::pi / 50)) * 32 + 160);
    }
    for (int32_t copy = 0; copy < copies; ++copy) {
        const int32_t at = y - CopyRise * copy;
        if (copy == copies - 1 && fishka.Hit != 0) {
            // The copy being removed rises and is gone 250 ms before it arrives.
            const double left = fishka.HitTime - now;
            const uint8_t alpha = ToByte(std::max(0.0, (left - 250) / RemovalTime * 255));
            const auto rise =
                static_cast<int32_t>(std::lround((1 - left / RemovalTime) * riseDistance));
            Picture(image, x, at - rise, alpha);
        } else {
            Picture(image, x, at, 255, flash, White);
        }
    }
    Mark(board, fishka, now, animateMarks);
    return true;
}

void TGameScreen::Mark(const TBoard& board, TFishka& fishka, int32_t now, bool animate) {
    TBonusMark& mark = fishka.BonusEffect;
    if (!mark.Active) {
        return;
    }
    const auto size = Size(mark.Image);
    if (!size || size->Height <= 0) {
        return;
    }
    // A mark is a strip of square frames.
    const int32_t frames = std::max(1, size->Width / size->Height);
    const int32_t raise = CopyRise * (std::max<int32_t>(1, fishka.Count) - 1);
    const fx::TNyxParticleEffect* prototype =
        animate && templates_ ? templates_(mark.Effect) : nullptr;
    if (prototype == nullptr) {
        const int32_t frame = size->Width / frames;
        Picture(mark.Image, mark.Position.X - board.Game.ViewX - frame / 2,
                board.Game.ViewY - mark.Position.Y + 590 - size->Height / 2 - raise, 255, 0, 0,
                TRect{0, 0, frame - 1, size->Height - 1});
        return;
    }
    if (!mark.Running || mark.Running->Name() != prototype->Name()) {
        mark.Running = std::make_shared<fx::TNyxParticleEffect>();
        mark.Running->Assign(prototype);
        mark.Running->Start(now);
    }
    mark.Running->Update(now);
    Particles(*mark.Running, mark.Image, {}, {mark.Position.X, mark.Position.Y + raise},
              TRect{0, 0, engine_.ScreenWidth - 1, engine_.ScreenHeight - 1},
              TPoint{board.Game.ViewX, board.Game.ViewY}, frames);
}

void TGameScreen::Bosses(const TBoard& board, int32_t now) {
    for (const TBoss& boss : board.Level.Bosses) {
        if (boss.Type < 0 || static_cast<size_t>(boss.Type) >= defs_.BossTypes.size()) {
            return;
        }
        const std::string& image = defs_.BossTypes[static_cast<size_t>(boss.Type)].Image;
        if (!Size(image)) {
            return;
        }
        // A prevention effect shows the boss until then.
        if (now < boss.PreventTime) {
            continue;
        }
        Picture(image, boss.x - board.Game.ViewX, board.Game.ViewY - boss.y + 590,
                FadeAlpha(boss.Faded != 0, boss.FadeStart, boss.FadeEnd, now));
    }
}

void TGameScreen::Queue(const TBoard& board, int32_t now) {
    if (!board.HasLayer()) {
        return;
    }
    const TIntegers& queue = board.Game.Queue;
    for (size_t k = 1; k < queue.size() && k < static_cast<size_t>(QueueLength); ++k) {
        if (queue[k] < 0 || static_cast<size_t>(queue[k]) >= board.Layer().Fishkas.size()) {
            return;
        }
        const TFishka& fishka = board.Fishka(queue[k]);
        // A flying copy stands in for it until then.
        if (now < fishka.AnimTime) {
            continue;
        }
        const TPoint at = Slot(static_cast<int32_t>(k));
        if (!QueuedCrystal(board, fishka, at.X, at.Y, 255)) {
            return;
        }
    }
}

std::optional<std::string> TGameScreen::CrystalPicture(const TBoard& board,
                                                       const TFishka& fishka) const {
    if (fishka.FType < 0 || static_cast<size_t>(fishka.FType) >= defs_.FishkaTypes.size()) {
        return std::nullopt;
    }
    const TFishkaType& type = defs_.FishkaTypes[static_cast<size_t>(fishka.FType)];
    std::string name = fishka.ColorHidden == 0
                           ? type.Image
                           : defs_.FishkaShapes[static_cast<size_t>(type.Shape)].Name + "_" +
                                 std::to_string(board.Game.HiddenColour) + ".pNg";
    if (!Size(name)) {
        return std::nullopt;
    }
    return name;
}

bool TGameScreen::QueuedCrystal(const TBoard& board, const TFishka& fishka, int32_t x, int32_t y,
                                uint8_t alpha) {
    const std::optional<std::string> name = CrystalPicture(board, fishka);
    if (!name) {
        return false;
    }
    if (fishka.ColorHidden == 0) {
        Picture(*name, x, y, alpha);
    } else {
        Picture(*name, x, y, alpha, HiddenTint, 0);
    }
    return true;
}

void TGameScreen::Particles(const fx::TNyxParticleEffect& effect, const std::string& image,
                            const std::string& text, TPoint anchor, const TRect& clip,
                            const std::optional<TPoint>& view, int32_t frames) {
    const bool isText = !text.empty();
    std::optional<TImageSize> size;
    if (isText) {
        if (font_ == nullptr) {
            return;
        }
    } else {
        size = Size(image);
        if (!size) {
            return;
        }
    }
    const std::u16string wide = isText ? Utf8ToUtf16(text) : std::u16string();
    for (int32_t s = 0; s < effect.SystemCount(); ++s) {
        const fx::TNyxParticleSystem* system = effect.System(s);
        if (system == nullptr) {
            continue;
        }
        const int32_t count = frames > 0 ? frames : std::max(1, system->FrameCount);
        const int32_t width = size ? (count >= 2 ? size->Width / count : size->Width) : 0;
        const int32_t height = size ? size->Height : 0;
        for (int32_t p = 0; p < system->ParticleCount(); ++p) {
            const fx::TNyxParticle& particle = system->Particle(p);
            if (particle.Dead) {
                continue;
            }
            const fx::TVector3 at = particle.Position();
            const auto px = static_cast<int32_t>(std::lround(at[0]));
            const auto py = static_cast<int32_t>(std::lround(at[1]));
            // Board effects have their y axis upwards, as the board has.
            const int32_t x =
                view ? px + anchor.X - view->X - width / 2 : anchor.X + px - width / 2;
            const int32_t y =
                view ? 590 - py + view->Y - anchor.Y - height / 2 : anchor.Y + py - height / 2;
            const uint8_t alpha = ToByte(particle.Alpha() * 255.0);
            const uint32_t colour = ParticleColour(particle);
            if (isText) {
                font_->DrawText(x, y, colour, alpha, wide);
                continue;
            }
            TRect source{0, 0, size->Width - 1, height - 1};
            if (count >= 2) {
                const int32_t frame = std::clamp(particle.Frame(), 0, count - 1);
                source = TRect{frame * width, 0, (frame + 1) * width - 1, height - 1};
            }
            Clipped(image, source, x, y, clip, alpha, ColourStrength(particle.ColorValue()),
                    colour);
        }
    }
}

} // namespace qz
