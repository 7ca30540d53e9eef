#include "game/GameScreen.h"

#include "GameTestSupport.h"
#include "archive/MemoryStream.h"
#include "gfx/SurfEngine.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

using test::GameFixture;

constexpr uint32_t Red = 0xC03020;
constexpr uint32_t Blue = 0x2040D0;

// A solid picture (0x00RRGGBB in the 32-bit layout), with an alpha plane unless opaque.
void AddPicture(TSurfEngine& engine, const std::string& name, int32_t width, int32_t height,
                uint32_t rgb, bool withAlpha = true) {
    ASSERT_TRUE(engine.CreateBlankSurface(name, width, height));
    TPixelSurface& pixels = *engine.FindSurface(name)->Surface;
    for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels.Row(y));
        for (int32_t x = 0; x < width; ++x) {
            row[x] = rgb;
        }
    }
    if (withAlpha) {
        engine.AddAlphaPlane(name, 255);
    }
}

uint32_t PixelAt(TSurfEngine& engine, const std::string& surface, int32_t x, int32_t y) {
    return reinterpret_cast<const uint32_t*>(engine.FindSurface(surface)->Surface->Row(y))[x] &
           0xFFFFFF;
}

std::unique_ptr<fx::TNyxParticleEffect> Running(const std::string& description, int32_t t) {
    fx::TNyxParticleEffect prototype;
    prototype.LoadFromStream(TMemoryStream(description));
    auto copy = std::make_unique<fx::TNyxParticleEffect>();
    EXPECT_TRUE(copy->Assign(&prototype));
    copy->Start(t);
    copy->Update(t);
    return copy;
}

// One particle standing still at position with the given alpha and frame.
std::string StillParticle(const std::string& position, const std::string& alpha,
                          const std::string& frame, int32_t frames) {
    const auto morph = [](const std::string& name, int dim, const std::string& value) {
        return "<Morph Name=\"" + name + "\" Dim=\"" + std::to_string(dim) +
               "\"><Properties><Property Name=\"Position\">" + value +
               "</Property></Properties></Morph>";
    };
    return "<ParticleEffect Name=\"Still\"><Functions/><Morphs>" + morph("MP", 2, position) +
           morph("MA", 1, alpha) + morph("MF", 1, frame) +
           "</Morphs><Particles><Particle Name=\"P\">"
           "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"MP\"/>"
           "<Parameter Name=\"Alpha\" Dim=\"1\" Morph=\"MA\"/>"
           "<Parameter Name=\"Frame\" Dim=\"1\" Morph=\"MF\"/>"
           "</Particle></Particles><ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\">"
           "<InitParticles>1</InitParticles><FrameCount>" +
           std::to_string(frames) + "</FrameCount></ParticleSystem></ParticleSystems>" +
           "</ParticleEffect>";
}

class GameScreenTest : public ::testing::Test {
protected:
    GameScreenTest() : screen(engine, fixture.Defs) {
        engine.Initialise(TPixelFormat::Bits32(), 800, 600);
        engine.CreateBlankSurface(ScreenSurface, 800, 600);
        engine.CreateBlankSurface(BackgroundSurface, 800, 600);
        engine.CreateBlankSurface("Reference", 800, 600);
        for (const TFishkaType& type : fixture.Defs.FishkaTypes) {
            const TPictureSize size =
                fixture.Board->TypeSize(fixture.Defs.FindTypeByName(type.Name));
            AddPicture(engine, type.Image, size.Width, size.Height, type.Color == 0 ? Red : Blue);
        }
    }

    // The pixel of the screen and of the same picture drawn alone on the reference.
    std::pair<uint32_t, uint32_t> Compare(const std::string& picture, int32_t x, int32_t y,
                                          uint8_t alpha, uint8_t tint = 0, uint32_t colour = 0) {
        engine.DrawImage(picture, "Reference", tint, colour, std::nullopt, alpha, x, y);
        return {PixelAt(engine, ScreenSurface, x + 1, y + 1),
                PixelAt(engine, "Reference", x + 1, y + 1)};
    }

    GameFixture fixture;
    TSurfEngine engine;
    TGameScreen screen;
    TBoard& board = *fixture.Board;
    const int32_t now = fixture.Clock.Tick;
};

TEST(HeldPieceAlpha, OpaqueOverTheBoardAndFadingAwayFromIt) {
    EXPECT_TRUE(HeldPieceAlpha(300, 300).OverBoard);
    EXPECT_EQ(HeldPieceAlpha(300, 300).Alpha, 255);
    // Left of the board (a < 0): d = -a / 2, truncated; 255 - 4 d while d < 64, then 0.
    EXPECT_FALSE(HeldPieceAlpha(100, 300).OverBoard);
    EXPECT_EQ(HeldPieceAlpha(100, 300).Alpha, 255 - 4 * 46); // a = -93
    EXPECT_EQ(HeldPieceAlpha(0, 300).Alpha, 0);
    // Right of the board (b >= 0, a > 0): d = b; 255 - 3 d while d < 64, then 64.
    EXPECT_FALSE(HeldPieceAlpha(700, 300).OverBoard);
    EXPECT_EQ(HeldPieceAlpha(700, 300).Alpha, 255 - 3 * 60);
    EXPECT_EQ(HeldPieceAlpha(703, 300).Alpha, 255 - 3 * 63);
    EXPECT_EQ(HeldPieceAlpha(704, 300).Alpha, 64);
    // On either edge itself the piece is not over the board, yet still opaque.
    EXPECT_FALSE(HeldPieceAlpha(150, 293).OverBoard); // a = 0
    EXPECT_EQ(HeldPieceAlpha(150, 293).Alpha, 255);
    EXPECT_FALSE(HeldPieceAlpha(640, 301).OverBoard); // b = 0, 301 / 2 truncated
    EXPECT_EQ(HeldPieceAlpha(640, 301).Alpha, 255);
}

TEST_F(GameScreenTest, CrystalsSitAtTheBoardMappingWithCopiesNinePixelsApart) {
    const int32_t type = fixture.Type("Tri", 0);
    const int32_t index = fixture.Place(type, GameFixture::Frag(4, 3, 2), 3);
    board.Game.ViewY = 42;
    board.Game.ViewX = 21;
    screen.DrawBoard(board, {}, now, 40);
    const TFishka& f = board.Fishka(index);
    const int32_t x = f.x - 21;
    const int32_t y = 42 - f.y + 590;
    const int32_t height = board.TypeSize(type).Height;
    // Three copies: the top one 18 px above the first, whose bottom row ends the column.
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x, y - 18), Red);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x, y - 19), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x, y + height - 1), Red);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x, y + height), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x - 1, y), 0u);
}

TEST_F(GameScreenTest, RemovedCrystalFadesAndRisesFlashingOneTintsTowardsWhite) {
    const int32_t type = fixture.Type("Tri", 0);
    const int32_t removed = fixture.Place(type, GameFixture::Frag(4, 3, 2));
    const int32_t put = fixture.Place(type, GameFixture::Frag(8, 3, 2));
    TFishka& gone = board.Fishka(removed);
    gone.State = fsRemoved;
    gone.Hit = 1;
    gone.HitTime = now + 500;
    // Half way: alpha round(250 / 1000 * 255) = 64, raised by half of the rise distance 40.
    board.Fishka(put).FlashTime = now + 125; // w = 75: weight round((1 + 1) * 32 + 160)
    screen.DrawBoard(board, {}, now, 40);
    const int32_t x = gone.x;
    const int32_t y = 590 - gone.y;
    const auto [faded, fadedReference] = Compare("Tri_0", x, y - 20, 64);
    EXPECT_EQ(faded, fadedReference);
    EXPECT_NE(faded, Red);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x + 1, y - 21), 0u);
    const TFishka& flashing = board.Fishka(put);
    const auto [flash, flashReference] =
        Compare("Tri_0", flashing.x, 590 - flashing.y, 255, 224, 0xFFFFFF);
    EXPECT_EQ(flash, flashReference);
    EXPECT_NE(flash, Red);

    // 250 ms before its end the removed crystal is invisible and the flash is over.
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawBoard(board, {}, now + 250, 40);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x + 1, y - 30 + 1), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x + 1, y + 1), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, flashing.x + 1, 590 - flashing.y + 1), Red);

    // A crystal with more copies loses only its top one; the others stay opaque.
    gone.Count = 2;
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawBoard(board, {}, now, 40);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, x + 1, y + 1), Red);
    EXPECT_NE(PixelAt(engine, ScreenSurface, x + 1, y - 9 - 20 + 1), Red);
}

TEST_F(GameScreenTest, BackgroundHintsAndStillPieces) {
    AddPicture(engine, "GamePlay2.jpg", 800, 600, 0x101010, false);
    AddPicture(engine, "FragHint.png", 42, 12, 0x80C0FF);
    const int32_t index = fixture.Place(fixture.Type("Tri", 1), GameFixture::Frag(4, 3, 2));
    board.Layer().Contour = {{210, 168}};
    board.Game.ViewY = 42;
    board.Game.ViewX = 21;
    const int32_t hintX = 210 - 21 - 21;
    const int32_t hintY = 42 - 168 + 590;
    screen.PrepareBackground(board, true, TStillBoard::None, now);
    EXPECT_EQ(PixelAt(engine, BackgroundSurface, hintX, hintY), 0x101010u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, hintX, hintY), 0u);
    const TFishka& f = board.Fishka(index);
    EXPECT_EQ(PixelAt(engine, BackgroundSurface, f.x - 21, 42 - f.y + 590), 0x101010u);

    screen.PrepareBackground(board, false, TStillBoard::PiecesAndQueue, now);
    EXPECT_EQ(PixelAt(engine, BackgroundSurface, hintX, hintY), 0x80C0FFu);
    EXPECT_EQ(PixelAt(engine, BackgroundSurface, hintX - 1, hintY), 0x101010u);
    EXPECT_EQ(PixelAt(engine, BackgroundSurface, f.x - 21, 42 - f.y + 590), Blue);
}

TEST_F(GameScreenTest, BoardEffectsUseTheBoardAxesAndFreeEffectsTheirAnchor) {
    AddPicture(engine, "spark.png", 6, 4, 0xFFFF00);
    board.Game.ViewY = 42;
    board.Game.ViewX = 21;
    TPartEffects level(1);
    level[0].Image = "spark.png";
    level[0].Position = {100, 200};
    level[0].Effect = Running(StillParticle("30,10", "0.5", "0", 0), now);
    screen.DrawBoard(board, level, now, 40);
    // x = 30 + 100 - 21 - 3, y = 590 - 10 + 42 - 200 - 2; alpha round(0.5 * 255) = 128.
    const auto [drawn, reference] = Compare("spark.png", 106, 420, 128);
    EXPECT_EQ(drawn, reference);
    EXPECT_NE(drawn, 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 105, 420), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 106, 419), 0u);

    // A strip of two frames: the second frame, centred by half the frame width.
    ASSERT_TRUE(engine.CreateBlankSurface("strip.png", 8, 4));
    auto* pixels = engine.FindSurface("strip.png")->Surface.get();
    for (int32_t y = 0; y < 4; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels->Row(y));
        for (int32_t x = 0; x < 8; ++x) {
            row[x] = x < 4 ? 0x00FF00 : 0x0000FF;
        }
    }
    engine.AddAlphaPlane("strip.png", 255);
    engine.FillSurface(ScreenSurface, 0);
    TPartEffects free(1);
    free[0].Image = "strip.png";
    free[0].Position = {50, 60};
    free[0].Effect = Running(StillParticle("30,10", "1", "1", 2), now);
    screen.DrawFreeEffects(free);
    // x = 50 + 30 - 2, y = 60 + 10 - 2, whatever the view.
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 78, 68), 0x0000FFu);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 81, 71), 0x0000FFu);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 82, 68), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 77, 68), 0u);

    // The clip rectangle cuts the particle.
    engine.FillSurface(ScreenSurface, 0);
    free[0].Clip = {0, 0, 79, 600};
    screen.DrawFreeEffects(free);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 79, 68), 0x0000FFu);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 80, 68), 0u);
}

TEST_F(GameScreenTest, BossesFadeAndWaitForTheirPrevention) {
    AddPicture(engine, "boss.png", 40, 30, 0x30A030);
    fixture.Place(fixture.Type("Tri", 0), GameFixture::Frag(4, 3, 2));
    board.Level.Bosses.push_back({200, 300, 0, 0, 0, 1, now - 250, 0});
    board.Level.Bosses.push_back({400, 300, 0, 0, now + 10, 0, 0, 0});
    ASSERT_EQ(fixture.Defs.BossTypes[0].Image, "boss.png");
    screen.DrawBoard(board, {}, now, 40);
    // 250 ms into the fade: 255 - round(128 * 250 / 500) = 191.
    const auto [faded, reference] = Compare("boss.png", 200, 590 - 300, 191);
    EXPECT_EQ(faded, reference);
    EXPECT_NE(faded, 0x30A030u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 401, 591 - 300), 0u);

    board.Level.Bosses[0].Faded = 0;
    board.Level.Bosses[0].FadeEnd = now - 100; // 255 - round(128 * 0.8) = 153
    board.Level.Bosses[1].PreventTime = now;
    engine.FillSurface(ScreenSurface, 0);
    engine.FillSurface("Reference", 0);
    screen.DrawBoard(board, {}, now, 40);
    const auto [back, backReference] = Compare("boss.png", 200, 590 - 300, 153);
    EXPECT_EQ(back, backReference);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 401, 591 - 300), 0x30A030u);
}

TEST_F(GameScreenTest, QueueHandAndHiddenColours) {
    fixture.Place(fixture.Type("Tri", 0), GameFixture::Frag(4, 3, 2));
    ASSERT_TRUE(fixture.HandTo(GameFixture::Frag(5, 3, 2)));
    ASSERT_EQ(board.Game.Queue.size(), 3u);
    TFishka& second = board.Fishka(board.Game.Queue[1]);
    TFishka& third = board.Fishka(board.Game.Queue[2]);
    second.FType = fixture.Type("Tri", 0);
    third.FType = fixture.Type("Tri", 0);
    third.ColorHidden = 1;
    second.AnimTime = now + 1; // still flying
    board.Game.HiddenColour = 1;
    AddPicture(engine, "Tri_1.pNg", 48, 21, Blue);
    screen.DrawBoard(board, {}, now, 40);
    const TPoint slot1 = Slot(1);
    const TPoint slot2 = Slot(2);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, slot1.X + 1, slot1.Y + 1), 0u);
    // The hidden one shows the shape in colour 1, darkened with weight 180.
    const auto [hidden, reference] = Compare("Tri_1.pNg", slot2.X, slot2.Y, 255, 180, 0);
    EXPECT_EQ(hidden, reference);
    EXPECT_NE(hidden, Blue);

    // The hand: its picture at its window position with the held alpha, hidden likewise.
    TFishka& hand = board.Fishka(board.Game.InHand);
    hand.FType = fixture.Type("Tri", 0);
    hand.AnimTime = -1;
    engine.FillSurface(ScreenSurface, 0);
    engine.FillSurface("Reference", 0);
    screen.DrawHand(board, THeldAlpha{false, 100}, now);
    const auto [held, heldReference] = Compare("Tri_0", hand.x, hand.y, 100);
    EXPECT_EQ(held, heldReference);
    hand.AnimTime = now + 1;
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawHand(board, THeldAlpha{false, 100}, now);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, hand.x + 1, hand.y + 1), 0u);

    // The cycling colour steps every 100 ms and wraps after the last colour.
    const auto colours = static_cast<int32_t>(fixture.Defs.FishkaColors.size());
    board.Game.HiddenColour = colours - 1;
    board.Game.HiddenColourTime = now;
    AdvanceHiddenColour(board, now);
    EXPECT_EQ(board.Game.HiddenColour, 0);
    AdvanceHiddenColour(board, now + 99);
    EXPECT_EQ(board.Game.HiddenColour, 0);
    AdvanceHiddenColour(board, now + 100);
    EXPECT_EQ(board.Game.HiddenColour, 1);
}

TEST_F(GameScreenTest, PreviewOverTheHandRedEdgeWhereNoPutAndTheDeadLine) {
    fixture.Place(fixture.Type("Tri", 0), GameFixture::Frag(4, 3, 2));
    ASSERT_TRUE(fixture.HandTo(GameFixture::Frag(5, 3, 2)));
    board.Level.HoverFrags = {GameFixture::Frag(5, 3, 2)};
    for (const TFragType& kind : fixture.Defs.FragTypes) {
        AddPicture(engine, kind.Image, 42, 42, 0xFFFFFF);
    }
    TFishka& hand = board.Fishka(board.Game.InHand);
    hand.AnimTime = -1;
    const TFrag& frag = fixture.Defs.Frags[static_cast<size_t>(board.Level.HoverFrags[0])];
    int32_t left = INT32_MAX;
    int32_t top = INT32_MIN;
    for (const int32_t point : frag.Points) {
        left = std::min(left, fixture.Defs.BoardPoints[static_cast<size_t>(point)].X);
        top = std::max(top, fixture.Defs.BoardPoints[static_cast<size_t>(point)].Y);
    }
    const TPoint place{left - board.Game.ViewX, board.Game.ViewY - top + 590};
    const std::string& image = fixture.Defs.FragTypes[frag.Kind].Image;

    // Where a put would be made, the preview lies over the hand, which shows through it.
    hand.x = place.X;
    hand.y = place.Y;
    screen.DrawHand(board, THeldAlpha{true, 255}, now);
    engine.DrawImage(fixture.Defs.FishkaTypes[static_cast<size_t>(hand.FType)].Image, "Reference",
                     0, 0, std::nullopt, 255, place.X, place.Y);
    const uint32_t handAlone = PixelAt(engine, "Reference", place.X + 1, place.Y + 1);
    const auto [covered, coveredReference] = Compare(image, place.X, place.Y, 170);
    EXPECT_EQ(covered, coveredReference);
    EXPECT_NE(covered, handAlone);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, place.X - 1, place.Y + 1), 0u);

    // Where none would be made, the hand is edged in red over the board, and only there.
    board.Level.HoverFrags.clear();
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawHand(board, THeldAlpha{true, 255}, now);
    const uint32_t edge = PixelAt(engine, ScreenSurface, hand.x - 1, hand.y + 1);
    EXPECT_GT(edge & 0xFF0000, 0u);
    EXPECT_LT(edge & 0xFF00, (edge & 0xFF0000) >> 8);
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawHand(board, THeldAlpha{false, 255}, now);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, hand.x - 1, hand.y + 1), 0u);

    // The dead line runs across the board where the view puts the line, never in no-lose
    // play, and brighter at the top of its pulse while in danger.
    board.Game.Mode = gmPuzzle;
    board.Game.CurrentY = 126;
    board.Game.ViewY = 84;
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawBoard(board, {}, now, 40);
    const int32_t lineY = 84 - 126 + 590;
    const uint32_t faint = PixelAt(engine, ScreenSurface, 300, lineY);
    EXPECT_GT(faint & 0xFF0000, 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 300, lineY - 2), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 300, lineY + 2), 0u);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 780, lineY), 0u); // right of the board
    board.Game.Danger = true;
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawBoard(board, {}, 200, 40); // a quarter into the pulse: at its top
    EXPECT_GT(PixelAt(engine, ScreenSurface, 300, lineY) & 0xFF0000, faint & 0xFF0000);
    board.Game.Mode = gmNoLose;
    engine.FillSurface(ScreenSurface, 0);
    screen.DrawBoard(board, {}, now, 40);
    EXPECT_EQ(PixelAt(engine, ScreenSurface, 300, lineY), 0u);
}

TEST_F(GameScreenTest, LevelPicturesFadeUnderTheHandAndReverseSmoothly) {
    fixture.Place(fixture.Type("Tri", 0), GameFixture::Frag(4, 3, 2));
    ASSERT_TRUE(fixture.HandTo(GameFixture::Frag(8, 3, 2)));
    const TFishka& hand = board.Fishka(board.Game.InHand);
    TLevelPicture picture;
    picture.Images = {"Tri_0"};
    picture.Width = 60;
    picture.Height = 30;
    // Its rectangle (x - ViewX + 11, 590 - y, 60 x 30) holds the hand's corners.
    picture.x = hand.x - 11 - 2;
    picture.y = 590 - hand.y + 2;
    board.Level.Pictures.push_back(picture);
    screen.DrawBoard(board, {}, now, 40);
    const TLevelPicture& drawn = board.Level.Pictures[0];
    EXPECT_EQ(drawn.Faded, 1);
    EXPECT_EQ(drawn.FadeStart, now);

    // Uncovered 200 ms later it returns from where it got to: 300 ms of return left.
    board.Level.Pictures[0].x += 200;
    screen.DrawBoard(board, {}, now + 200, 40);
    EXPECT_EQ(drawn.Faded, 0);
    EXPECT_EQ(drawn.FadeEnd, now + 200 - 300);
    board.Level.Pictures[0].x -= 200;
    screen.DrawBoard(board, {}, now + 700, 40);
    EXPECT_EQ(drawn.Faded, 1);
    EXPECT_EQ(drawn.FadeStart, now + 700);
}

} // namespace
} // namespace qz
