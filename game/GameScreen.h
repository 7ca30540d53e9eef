#pragma once
// Draws the board states of the game screen into "MemorySurface" and "Background" of the
// surface engine, from the board, its level and the game record: the placement preview, the
// crystals with the level pictures, the bosses, the queue, the effects and the hand.

#include "game/PartEffects.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class TBoard;
class TNyxFont;
class TSurfEngine;
struct TDefinitions;
struct TFishka;

inline constexpr const char* ScreenSurface = "MemorySurface";
inline constexpr const char* BackgroundSurface = "Background";

// Whether the pointer is over the board, and the opacity of the crystal held there.
struct THeldAlpha {
    bool OverBoard = false;
    uint8_t Alpha = 255;
};
THeldAlpha HeldPieceAlpha(int32_t pointerX, int32_t pointerY);

// What "Background" holds of the level besides the play background.
enum class TStillBoard : uint8_t {
    None,           // in play the board is drawn every frame
    Pieces,         // the crystals and bosses, under the level map
    PiecesAndQueue, // and the queue, under the game menu and the game-over window
};

// Steps the colour that hidden colours show once every 100 ms, wrapping after the last one.
void AdvanceHiddenColour(TBoard& board, int32_t now);

class TGameScreen {
public:
    // The loaded effect templates by file name ("BonusCoin.xml"), null for an unknown one.
    using TEffectTemplates = std::function<const fx::TNyxParticleEffect*(std::string_view)>;

    TGameScreen(TSurfEngine& engine, const TDefinitions& defs);

    // The game font for text effects; without one, texts are not drawn.
    void SetFont(const TNyxFont* font) { font_ = font; }
    // Where the bonus marks' running effects are copied from; without it a mark shows the
    // first frame of its picture, still.
    void SetEffectTemplates(TEffectTemplates templates) { templates_ = std::move(templates); }

    // "Background" for gsGamePlay ("GamePlay2.jpg", the level's picture map, the fragment
    // hints unless turnOffHint), with as much of the still board as the windows that stand
    // over it need.
    void PrepareBackground(TBoard& board, bool turnOffHint, TStillBoard still, int32_t now);
    // The board layers of gsGamePlay: the dead line (in the modes that have one), crystals
    // with the level pictures, what a put at the preview would do, bosses (with the boss
    // hint), the queue and the level's board effects.
    void DrawBoard(TBoard& board, const TPartEffects& levelEffects, int32_t now,
                   int32_t riseDistance);
    // The free-standing effects, anchored at screen points.
    void DrawFreeEffects(const TPartEffects& effects);
    // The crystal in hand with the held-piece alpha, once its show time has come, edged in
    // red over the board where it cannot be put; then the landing preview over it.
    void DrawHand(const TBoard& board, THeldAlpha held, int32_t now);

private:
    struct TImageSize {
        int32_t Width = 0;
        int32_t Height = 0;
    };
    std::optional<TImageSize> Size(std::string_view name) const;
    void Picture(std::string_view name, int32_t x, int32_t y, uint8_t alpha = 255, uint8_t tint = 0,
                 uint32_t colour = 0, const std::optional<TRect>& source = std::nullopt);
    // The source part of a picture at (x, y), cut to the clip rectangle.
    void Clipped(std::string_view name, TRect source, int32_t x, int32_t y, const TRect& clip,
                 uint8_t alpha, uint8_t tint, uint32_t colour);

    void PictureMap(const TBoard& board);
    void FragHints(const TBoard& board);
    void Preview(const TBoard& board);
    void RefusedOutline(const TBoard& board, const TFishka& hand);
    // The crystals the put at the preview would break edged in their own colours, lighter,
    // and those it would drop edged in white.
    void PutOutcome(TBoard& board, int32_t now, int32_t riseDistance);
    // Faint across the board where a crystal is lost; it pulses while the structure is near.
    void DeadLine(const TBoard& board, int32_t now);
    void Crystals(TBoard& board, int32_t now, int32_t riseDistance, bool animateMarks);
    bool Crystal(const TBoard& board, TFishka& fishka, int32_t now, int32_t riseDistance,
                 bool animateMarks);
    void Mark(const TBoard& board, TFishka& fishka, int32_t now, bool animate);
    void FadeLevelPictures(TBoard& board, int32_t now);
    void Bosses(const TBoard& board, int32_t now);
    void Queue(const TBoard& board, int32_t now);
    // The picture a crystal shows: its own, or its shape in the cycling colour when its
    // colour is hidden; nothing when the picture is missing.
    std::optional<std::string> CrystalPicture(const TBoard& board, const TFishka& fishka) const;
    // A crystal picture at (x, y), the hidden colour drawn darker; false when it is missing.
    bool QueuedCrystal(const TBoard& board, const TFishka& fishka, int32_t x, int32_t y,
                       uint8_t alpha);
    // Every particle of an effect around anchor: a board point for board effects (given the
    // view), a screen point for free ones. frames 0 takes each system's own frame count.
    void Particles(const fx::TNyxParticleEffect& effect, const std::string& image,
                   const std::string& text, TPoint anchor, const TRect& clip,
                   const std::optional<TPoint>& view, int32_t frames);

    TSurfEngine& engine_;
    const TDefinitions& defs_;
    const TNyxFont* font_ = nullptr;
    TEffectTemplates templates_;
    std::string target_ = ScreenSurface;
};

} // namespace qz
