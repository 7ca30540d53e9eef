#pragma once
// The read-only tables every level and saved game refers to: the board lattice, the four
// fragment kinds, the shapes, colours, crystal types and boss types, and their loaders.
// The order of every table is part of the data contract (saves store indexes).

#include "archive/Helpers.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TFileFolder;
class IGamePictures;
class IGameControls;

inline constexpr int32_t BoardRowCount = 300;      // rows of cells
inline constexpr int32_t BoardPointRowCount = 301; // rows of lattice points
inline constexpr int32_t BoardPointsPerRow = 21;   // 11 corners, then 10 centres
inline constexpr int32_t FragsPerRow = 40;
inline constexpr int32_t FragCount = 12000;
inline constexpr size_t ShortNameLength = 32;

struct TFrag {
    uint8_t Kind = 0;
    TIntegers Points; // three BoardPoints indexes
};

struct TFragType {
    int32_t TopPoint = 0;  // position in Points of the highest point (largest y)
    int32_t LeftPoint = 0; // position in Points of the leftmost point
    int32_t NeighbourCount = 0;
    std::array<int32_t, 8> Neighbours{};
    std::string Image;
};

struct TOneFish {
    int32_t Type = 0; // the fragment kind this triangle covers
    TPoints Points;
};
using TFishes = std::vector<TOneFish>;

struct TFishkaShape {
    std::string Name;
    std::string NextRotateName;
    int32_t Height = 0;
    TFishes Fishes;
    int32_t AnchorDX = 0;
    int32_t AnchorDY = 0;
    int32_t MinX = 1000;
    int32_t MinXY = 0;
    int32_t Sx = 0;
    int32_t Sy = 0;
    int32_t MaxY = 0;
    int32_t MaxX = 0;
    int32_t Score = 0;
};

struct TFishkaColor {
    std::string Material;
    int32_t H = 0;
    int32_t L = 0;
    int32_t S = 0;
    std::string Sign;
};

struct TFishkaType {
    std::string Name;
    std::string NextRotateName;
    std::string Image;
    int32_t Shape = 0;
    int32_t Color = 0; // 0-based index into FishkaColors
};

struct TBossType {
    std::string Image;
    int32_t x = 0;
    int32_t y = 0;
    int32_t Power = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct TDefinitions {
    TPoints BoardPoints;
    std::vector<TFrag> Frags;
    std::vector<TFragType> FragTypes;
    std::vector<TFishkaShape> FishkaShapes;
    std::vector<TFishkaColor> FishkaColors;
    std::vector<TFishkaType> FishkaTypes;
    std::vector<TBossType> BossTypes;

    const TFishkaShape& ShapeOf(int32_t type) const {
        return FishkaShapes[static_cast<size_t>(FishkaTypes[static_cast<size_t>(type)].Shape)];
    }
    int32_t ColorOf(int32_t type) const { return FishkaTypes[static_cast<size_t>(type)].Color; }
    // The first type of the given shape and colour, or -1.
    int32_t FindType(int32_t shape, int32_t color) const;
    // The first type whose Name equals name, or -1.
    int32_t FindTypeByName(std::string_view name) const;
    // The type and the types that turning it on gives, each once, in turning order.
    TIntegers RotationsOf(int32_t type) const;
};

// A number as the definition and level files write it: leading blanks, one sign, a "$" or
// "0x" prefix for hexadecimal. Text with any other character reads as the digits before it,
// without the sign; empty text reads 0.
int32_t DefinitionInt(std::string_view text);

// P(r, j) and M(r, s) of all 301 rows.
TPoints BuildBoardPoints();
std::vector<TFragType> BuildFragTypes();
// All 12000 fragments, row by row; progress receives each new percentage step (0..2).
std::vector<TFrag> BuildFrags(const std::function<void(int32_t)>& progress = {});

// Each appends the entries of one XML entry of the game archive to its table.
void LoadShapes(TDefinitions& defs, TFileFolder& game, std::string_view fileName);
void LoadColors(TDefinitions& defs, TFileFolder& game, std::string_view fileName,
                IGamePictures& pictures);
void LoadBossTypes(TDefinitions& defs, TFileFolder& game, std::string_view fileName,
                   IGamePictures& pictures);
// Every shape in every colour, shapes outside, colours inside.
void GenerateFishkaTypes(TDefinitions& defs);

// The lattice, the kinds, the fragments (with the loading bar), "MetaColors.xml",
// "fishkaShapes.xml", the crystal types and "BossTypes.xml". The crystal and bonus
// pictures themselves are composed by the piece graphics preparation.
void LoadDefinitions(TDefinitions& defs, TFileFolder& game, IGamePictures& pictures,
                     IGameControls& controls);

} // namespace qz
