#pragma once
// The crystal and bonus pictures the game composes at start-up: each shape picture in its
// colour's material, hue-changed and signed, and the two colour-dependent bonus pictures,
// each kept in its archive so that a later start finds them ready.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qz {

class TFileFolder;
class TSurfEngine;
struct TDefinitions;
struct TFishkaColor;
struct TFishkaShape;

// The composition script of a crystal type: its shape picture in the colour's material,
// the colour's hue change, and the colour sign with its centre on the shape's (Sx, Sy).
std::string CrystalScript(const TFishkaShape& shape, const TFishkaColor& colour,
                          std::string_view typeName);
// The script of a bonus picture: source hue-changed to the colour, saved as name.
std::string BonusScript(std::string_view name, std::string_view source, const TFishkaColor& colour);
// Picture names of the colour bomb and colour star of colour k (0-based).
std::string ColorBombName(size_t k);
std::string ColorStarName(size_t k);

// How many pictures each archive gained.
struct TPieceGraphicsResult {
    int32_t Crystals = 0;
    int32_t Bonuses = 0;
};

// For every crystal type of defs: composes "<type name>.pNg" into levels unless that entry
// is there, loads it into the surface engine under the same name and makes it the type's
// Image. progress receives the loading bar position (40 .. 100) whenever it rises.
int32_t PrepareCrystalPictures(TDefinitions& defs, TFileFolder& levels, TSurfEngine& engine,
                               const std::function<void(int32_t)>& progress = {});
// For every colour, "ColorBomb<k>" from "colorbomb_small_line.png" and "boomcolorstar<k>"
// from "boomcolorstar.png", composed into game when missing and loaded.
int32_t PrepareBonusPictures(const TDefinitions& defs, TFileFolder& game, TSurfEngine& engine);
// Both, then saves each archive that gained a picture. A script naming a picture that the
// archive lacks raises the composition error.
TPieceGraphicsResult PreparePieceGraphics(TDefinitions& defs, TFileFolder& levels,
                                          TFileFolder& game, TSurfEngine& engine,
                                          const std::function<void(int32_t)>& progress = {});
// After a display change: every crystal picture from levels and the colour bonus pictures
// from game, loaded again from the entries composed earlier (nothing is composed). The
// surface engine's own reload skips them, as their entry names end in ".pNg".
void ReloadPieceGraphics(const TDefinitions& defs, TFileFolder& levels, TFileFolder& game,
                         TSurfEngine& engine);

} // namespace qz
