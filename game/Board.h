#pragma once
// The rules of a level in play, without a screen: the crystal in hand and the queue,
// fitting and putting crystals on the lattice, groups, removal and scoring, bosses and
// bonuses, the dead line, and the player's tools. Everything outside the rules is reached
// through TGameServices; every random draw comes from qz::Random().

#include "game/Definitions.h"
#include "game/GameHost.h"
#include "game/GameRecords.h"
#include "game/PutOutcome.h"

#include <optional>

namespace qz {

struct TFit {
    bool Fits = false;
    TPoint Position; // the snapped lattice position
    TIntegers Frags; // one fragment per fish
};

enum class TPutMode : uint8_t {
    Player, // with effects and the contact check
    Level,  // a level or saved game placing its crystals: neither
};

enum class TJoin : uint8_t { Touch, Edge };

inline constexpr int32_t QueueLength = 3;

// The window position of queue slot k (k >= 1).
TPoint Slot(int32_t k);
// The weighted choice of shapes and bonus kinds: the list length when no weight is positive.
int32_t WeightedChoice(const TIntegers& weights);
// "Set Linear; ..." and "Set Bezier; ..." flight scripts.
std::string LinePath(TPoint from, TPoint to);
std::string CurvePath(TPoint from, TPoint control, TPoint to);

class TBoard {
public:
    TBoard(const TDefinitions& defs, TGameServices services);

    const TDefinitions& Defs;
    TGameServices Services;
    TLevel Level;
    TGame Game;
    TIntegers DrawOrder; // crystals of the current layer in drawing order
    TIntegers Group;     // the group of the last evaluation
    // Whether the landing preview also works out what the put would do (the player's
    // option; trial copies of the board never do).
    bool PredictsPuts = false;
    // What a put where the preview stands would break and drop; empty without a preview.
    TPutOutcome PutOutcome;

    TLayer& Layer() { return Level.Layers[static_cast<size_t>(Level.LayerIndex)]; }
    const TLayer& Layer() const { return Level.Layers[static_cast<size_t>(Level.LayerIndex)]; }
    bool HasLayer() const {
        return Level.LayerIndex >= 0 && static_cast<size_t>(Level.LayerIndex) < Level.Layers.size();
    }
    TFishka& Fishka(int32_t index) { return Layer().Fishkas[static_cast<size_t>(index)]; }
    const TFishka& Fishka(int32_t index) const {
        return Layer().Fishkas[static_cast<size_t>(index)];
    }
    // The size of a crystal type's picture, read once from the surface engine.
    TPictureSize TypeSize(int32_t type) const {
        return type >= 0 && static_cast<size_t>(type) < typeSizes_.size()
                   ? typeSizes_[static_cast<size_t>(type)]
                   : TPictureSize{};
    }
    void RefreshPictureSizes();

    // Placing (board and hand).
    TFit CanPut(const TFishka& fishka) const;
    bool PutFishka(int32_t index, TPutMode mode);
    // The player's put of the crystal in hand with everything that follows it. A failed put
    // changes nothing and plays nothing: the input handler sounds it over the board only.
    bool PlayerPut();
    void FollowPointer(TFishka& fishka) const;
    // The window position at which a crystal of type snaps with its first fish on frag.
    TPoint HandPositionFor(int32_t type, int32_t frag) const;
    // The pointer position at which a crystal of type in hand snaps with its first fish on
    // frag.
    TPoint PointerFor(int32_t type, int32_t frag) const;
    // Moves the pointer so that the crystal in hand would snap with its first fish on frag.
    void AimHand(int32_t frag);
    // The fragments on which the first fish of the crystal in hand, turned as it is, would be
    // put by a click (the put's own test, contact included), row by row. The pointer and the
    // hand are left where they were.
    TIntegers PutPlaces();
    void MovePointer(int32_t x, int32_t y);
    void RotateNext();
    void RotatePrevious();
    void DealFishka();
    void RecolourQueue();
    int32_t BottomOf(int32_t layer) const;
    bool FollowBottom();
    bool DangerCheck();
    void BoardTick(int32_t t);
    void ViewTick(int32_t t);
    void TurnBasedPut();
    // The lattice rows a crystal touching the structure can cover: three either side of
    // the rows the layer's crystals cover (from row 0 for an empty layer).
    std::pair<int32_t, int32_t> RowsNearStructure() const;
    // Whether some turn of the crystal fits somewhere near the structure and touches a
    // crystal on the board; the crystal is left as it was.
    bool HasPlace(int32_t index);
    // Strategy play has no clock: when no crystal of the hand and the queue has a place, and
    // neither a shuffle nor an undo is left to change that, the level can never go on and is
    // lost.
    void DeadEndCheck();
    // The landing preview: the fragments the crystal in hand would take where it snaps, only
    // when a click there would put it (the contact with the structure included); and what
    // the put would do, worked out again only when the place, the crystal or the board
    // changed.
    void UpdateHover();
    void BuildContour();
    // The frame's rule updates in the frame loop's order: timers of hit and falling
    // crystals, the view movement, the dead line.
    void FrameTick(int32_t t);
    // Steps each level picture of several images on to the next whenever its time has come,
    // each image standing for its own t milliseconds.
    void AnimatePictures(int32_t t);
    // The debug key's end of a level: the board clears and the level is won in a second.
    void FinishLevel();

    // Groups, removal and scoring.
    TPoints FishkaPoints(const TFishka& fishka, size_t fish) const;
    bool Touches(int32_t a, int32_t b) const;
    // True when crystal index, where it stands, touches another crystal on the board: the
    // contact a player's put needs.
    bool TouchesBoard(int32_t index) const;
    bool SharesEdge(int32_t a, int32_t b) const;
    void CollectGroup(int32_t f);
    bool GroupBreaks();
    void RemoveGroup(int32_t t);
    void GetFishkaGroup(int32_t start, TIntegers& from, TIntegers& connected, TJoin join) const;
    void DropDisconnected(int32_t t);
    void FishkaTick(int32_t t);
    void DeleteFishka(int32_t index);
    void NextLayer();
    // Every crystal left breaks away, outlined, from t on (bosses die with theirs); the
    // level's music stops for the end-of-level sound.
    void ClearBoard(int32_t t);
    void OutlineEffect(const TIntegers& crystals, int32_t startTick,
                       const std::string& effect = "contour.xml");
    // "+points" rising from a lattice point from startTick on; nothing for no points.
    void ScoreText(int32_t points, TPoint at, int32_t startTick);
    // The middle of a crystal's picture, in lattice coordinates.
    TPoint FishkaCentre(const TFishka& fishka) const;
    // True when the layer's main crystal carries a main boss to anchor the structure.
    bool HasAnchor() const;

    // Bosses and bonuses.
    void AttachBosses();
    void KillBoss(int32_t boss);
    void BossHover();
    // Once per game (while Game.BossHint is set), the first boss that lies 30 px inside the
    // window brings up the hint "WGame_HBoss".
    void BossHintCheck();
    // Raises an error naming the first crystal type, boss type, boss, crystal or fragment
    // index that is out of range; a restored game calls it before playing on.
    void CheckIndexes() const;
    void GiveBonus(int32_t index, int32_t kind);
    void CollectBonus(int32_t index);
    void Explode(TPoint centre, int32_t radius);
    void Repaint(TPoint centre, int32_t radius, int32_t colour);
    void RepaintView();
    TPoint SignPoint(const TFishka& fishka) const;

    // The player's tools; Shift and Shuffle use a charge and update its label.
    void Swap();
    bool Shuffle();
    bool Shift();
    bool Undo();
    void QueueAdvance();

    void SetProperty(std::string_view object, std::string_view property, std::string_view value) {
        Services.Controls.SetProperty(object, property, value);
    }
    void Play(std::string_view sound) { Services.Sounds.PlaySound(sound); }
    int32_t Now() const { return Services.Clock.Now(); }

private:
    void RemoveOwnedFrags(int32_t index);
    void SetRecolour(TFishka& fishka, int32_t colour);
    TIntegers ColoursOnView() const;
    void LostCheck(bool lost);
    void GameOver();
    void RescueOnce();
    void PiecesOutline(const TIntegers& crystals, int32_t startTick);
    void StrategyBar();
    void Fly(int32_t index, TPoint from, TPoint to, const TRect& clip, std::string name = {});
    void FlyCurve(int32_t index, TPoint from, TPoint control, TPoint to, std::string name = {});
    TPoint BoardWindowCentre(const TFishka& fishka) const;
    TPoint ShapeCentre(const TFishkaShape& shape) const;

    // The lattice points of a crystal's fishes and their bounding box; a pure function of
    // position and type, kept per crystal index and recomputed when either changes.
    struct TGeometry {
        int32_t X = 0;
        int32_t Y = 0;
        int32_t FType = -1;
        std::vector<TPoints> Fishes;
        TRect Box;
    };
    const TGeometry& Geometry(int32_t index) const;
    TIntegers HoverPlace();
    void RefreshPutOutcome();

    // The layer, the crystal in hand, its type, the preview and the covered fragments the
    // last PutOutcome was worked out for.
    TIntegers outcomeKey_;

    std::vector<TPictureSize> typeSizes_;
    mutable std::vector<TGeometry> geometry_;
};

} // namespace qz
