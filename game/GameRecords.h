#pragma once
// The records of a game in play: the crystals, layers and bosses of the level, the level
// record itself and the game record with the board and view values the rules keep.

#include "archive/Helpers.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qz {

namespace fx {
class TNyxParticleEffect;
}

enum TGameState : int32_t {
    gsGamePlay = 1,
    gsGameOver = 2,
    gsBetweenLevels = 3,
    gsGameMenu = 4,
    gsTitle = 5,
    gsIntro = 6,
    gsGameFinished = 7,
};

enum TGameMode : int32_t { gmNoLose = 1, gmPuzzle = 2, gmStrategy = 3 };

inline constexpr uint8_t fsQueued = 0; // in the queue or in hand
inline constexpr uint8_t fsOnBoard = 2;
inline constexpr uint8_t fsRemoved = 3;

// The bonus picture shown on a crystal; Active while the crystal carries it.
struct TBonusMark {
    bool Active = false;
    std::string Image;
    std::string Effect;
    TPoint Position;
    std::shared_ptr<fx::TNyxParticleEffect> Running = nullptr; // its effect, started when drawn
};

struct TFishka {
    int32_t x = 0;
    int32_t y = 0;
    int32_t FType = 0;
    uint8_t State = fsQueued;
    int32_t Boss = -1;
    uint8_t Count = 1;
    uint8_t ColorHidden = 0;
    uint8_t Hit = 0;
    int32_t HitTime = 0;
    int32_t FallTime = -1;
    int32_t AnimTime = 0;
    int32_t FlashTime = 0;
    int32_t BType = -1;
    TBonusMark BonusEffect;
};

struct TLayer {
    TIntegers Frags;  // covered fragments
    TIntegers Owners; // for each of Frags, the crystal covering it
    std::vector<TFishka> Fishkas;
    int32_t MainFishka = 0;
    TPoints Contour;
};

struct TBoss {
    int32_t x = 0;
    int32_t y = 0;
    int32_t Type = 0;
    uint8_t Main = 0;
    int32_t PreventTime = 0;
    uint8_t Faded = 0;
    int32_t FadeStart = 0;
    int32_t FadeEnd = 0;
};

struct TLevelPicture {
    std::string Name;
    int32_t Counter = 0;    // the image shown
    int32_t NextChange = 0; // the tick at which the next image comes
    int32_t x = 0;
    int32_t y = 0;
    int32_t Sx = 0;
    int32_t Sy = 0;
    std::vector<std::string> Images;
    TIntegers Times;
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t Faded = 0;       // the crystal in hand covers it
    int32_t FadeStart = 0;   // when it began to fade (set back to continue a reversal)
    int32_t FadeEnd = -1000; // when it began to return (long ago at load)
};

struct TPictureMap {
    int32_t x = 0;
    int32_t y = 0;
    std::vector<std::string> Images;
    int32_t OneWidth = 0;
    int32_t OneHeight = 0;
    int32_t LineWidth = 0;
    TIntegers Cells;
};

struct TLevel {
    TIntegers NullFrags;
    std::vector<TBoss> Bosses;
    int32_t NextMoveTime = 0;
    int32_t DangerTime = 0;
    int32_t MoveInterval = 0;
    int32_t Strategic = 0;
    int32_t PutLeft = 0;
    std::vector<TLevelPicture> Pictures;
    TPictureMap PictureMap;
    int32_t LayerIndex = 0;
    std::vector<TLayer> Layers;
    double NoColorFishka = 0;
    double FishkaWithBonus = 0;
    TIntegers ShapeWeights;   // one per crystal type
    TIntegers WeightedShapes; // the shapes the level names in its weights
    TIntegers HoverFrags;
    bool LayerDone = false;
    TIntegers Colors; // 1-based colour numbers
    TIntegers BonusTypeWeights;
    std::string PutFishkaSound;
    bool LevelDone = false;
    int32_t LevelEndTime = 0;
    int32_t PendingSoundTime = 0;
    std::string PendingSound;
    std::string PlayMusic;
};

struct TUndoRecord {
    int32_t FType = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t Index = 0;
};

// The running game with the board and view values of the rules.
struct TGame {
    int32_t GameState = gsIntro;
    int32_t Mode = gmStrategy;
    int32_t Score = 0;
    int32_t PrevScore = 0;
    int32_t LevelNumber = 1;
    int32_t DangerDelay = 3000;
    bool Danger = false;
    int32_t DangerStart = 0;
    int32_t BlinkTime = 0;
    bool BlinkOn = false;
    int32_t Shifts = 3;
    int32_t Shuffles = 3;
    int32_t ScrollTime = 0;
    int32_t ScrollStep = 30;
    bool BossHint = false;
    bool Rescue = false;
    bool DisappearHint = false;
    std::vector<TUndoRecord> UndoList;

    int32_t FrameTime = 0;
    int32_t PointerX = 0;
    int32_t PointerY = 0;
    int32_t InHand = -1;
    TIntegers Queue;
    int32_t ViewY = 0;
    int32_t ViewX = 0;
    int32_t CurrentY = 0;
    int32_t ScrollMid = 0;
    int8_t ScrollSpeed = 0;
    int32_t HiddenColour = 0;     // the colour index a hidden colour shows, cycling in play
    int32_t HiddenColourTime = 0; // the tick of its next step
};

} // namespace qz
