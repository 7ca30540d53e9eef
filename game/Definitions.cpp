#include "game/Definitions.h"

#include "archive/FileFolder.h"
#include "game/GameData.h"
#include "game/GameHost.h"

#include <algorithm>
#include <cmath>

namespace qz {

namespace {

std::string ShortName(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), ShortNameLength)));
}

int32_t PointIndex(int32_t row, int32_t column) {
    return row * BoardPointsPerRow + column;
}
int32_t Corner(int32_t row, int32_t j) {
    return PointIndex(row, j);
}
int32_t Centre(int32_t row, int32_t s) {
    return PointIndex(row, 11 + s);
}

// Reads every named attribute of tag, or reports that one is missing.
template <size_t N>
bool ReadAttributes(const TNyxXMLTag& tag, const std::array<const char*, N>& names,
                    std::array<const std::string*, N>& values) {
    for (size_t i = 0; i < N; ++i) {
        values[i] = AttributeText(tag, names[i]);
        if (values[i] == nullptr) {
            return false;
        }
    }
    return true;
}

void ParseEntry(TNyxParser& document, TFileFolder& game, std::string_view fileName) {
    document.LoadFromStream(ArchiveEntry(game, fileName));
}

void ReadShape(TDefinitions& defs, const TNyxXMLTag& tag) {
    static constexpr std::array<const char*, 6> Names{"Name", "Height",         "Sx",
                                                      "Sy",   "NextRotateName", "Score"};
    std::array<const std::string*, 6> v{};
    if (tag.Name != "Shape" || !ReadAttributes(tag, Names, v)) {
        return;
    }
    TFishkaShape shape;
    shape.Name = ShortName(*v[0]);
    shape.Height = DefinitionInt(*v[1]);
    shape.Sx = DefinitionInt(*v[2]);
    shape.Sy = DefinitionInt(*v[3]);
    shape.NextRotateName = ShortName(*v[4]);
    shape.Score = DefinitionInt(*v[5]);
    for (const auto& fishes : tag.Tags) {
        if (fishes->Name != "Fishes") {
            continue;
        }
        for (const auto& fishTag : fishes->Tags) {
            const std::string* type = AttributeText(*fishTag, "Type");
            if (fishTag->Name != "Fish" || type == nullptr) {
                continue;
            }
            TOneFish fish;
            fish.Type = DefinitionInt(*type);
            for (const auto& pointTag : fishTag->Tags) {
                const std::string* x = AttributeText(*pointTag, "x");
                const std::string* y = AttributeText(*pointTag, "y");
                if (pointTag->Name != "Point" || x == nullptr || y == nullptr) {
                    continue;
                }
                const TPoint p{DefinitionInt(*x), DefinitionInt(*y)};
                if (p.X < shape.MinX) {
                    shape.MinX = p.X;
                    shape.MinXY = p.Y;
                }
                if (p.Y > shape.MaxY) {
                    shape.MaxY = p.Y;
                }
                if (p.X > shape.MaxX) {
                    shape.MaxX = p.X;
                }
                fish.Points.push_back(p);
            }
            shape.Fishes.push_back(std::move(fish));
        }
    }
    if (!shape.Fishes.empty()) {
        int32_t minX = 10000;
        int32_t minY = 10000;
        for (const TPoint& p : shape.Fishes.front().Points) {
            minX = std::min(minX, p.X);
            minY = std::min(minY, p.Y);
        }
        shape.AnchorDX = shape.MinX - minX;
        shape.AnchorDY = shape.MaxY - minY;
    }
    defs.FishkaShapes.push_back(std::move(shape));
}

} // namespace

int32_t TDefinitions::FindType(int32_t shape, int32_t color) const {
    for (size_t i = 0; i < FishkaTypes.size(); ++i) {
        if (FishkaTypes[i].Shape == shape && FishkaTypes[i].Color == color) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

TIntegers TDefinitions::RotationsOf(int32_t type) const {
    TIntegers rotations{type};
    while (rotations.size() < FishkaTypes.size()) {
        const int32_t next =
            FindTypeByName(FishkaTypes[static_cast<size_t>(rotations.back())].NextRotateName);
        if (next < 0 || std::find(rotations.begin(), rotations.end(), next) != rotations.end()) {
            break;
        }
        rotations.push_back(next);
    }
    return rotations;
}

int32_t TDefinitions::FindTypeByName(std::string_view name) const {
    for (size_t i = 0; i < FishkaTypes.size(); ++i) {
        if (FishkaTypes[i].Name == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t DefinitionInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            // A stray character ends the number; what was read so far counts, unsigned.
            return static_cast<int32_t>(value);
        }
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

TPoints BuildBoardPoints() {
    TPoints points(static_cast<size_t>(BoardPointRowCount * BoardPointsPerRow));
    for (int32_t r = 0; r < BoardPointRowCount; ++r) {
        for (int32_t j = 0; j <= 10; ++j) {
            points[static_cast<size_t>(Corner(r, j))] = {48 * j + 21 * r, 42 * r};
        }
        for (int32_t s = 0; s <= 9; ++s) {
            points[static_cast<size_t>(Centre(r, s))] = {48 * s + 21 * r + 34, 42 * r + 21};
        }
    }
    return points;
}

std::vector<TFragType> BuildFragTypes() {
    std::vector<TFragType> kinds(4);
    kinds[0] = {0, 0, 0, {}, "Frag1.png"};
    kinds[1] = {1, 0, 1, {0}, "Frag2.png"};
    kinds[2] = {1, 0, 2, {1, 3}, "Frag3.png"};
    kinds[3] = {1, 0, 1, {0}, "Frag4.png"};
    return kinds;
}

std::vector<TFrag> BuildFrags(const std::function<void(int32_t)>& progress) {
    std::vector<TFrag> frags;
    frags.reserve(FragCount);
    int32_t shown = 0;
    for (int32_t r = 0; r < BoardRowCount; ++r) {
        for (int32_t s = 0; s < 10; ++s) {
            frags.push_back({0, {Corner(r + 1, s), Corner(r + 1, s + 1), Centre(r, s)}});
            frags.push_back({1, {Centre(r, s), Corner(r + 1, s + 1), Corner(r, s + 1)}});
            frags.push_back({2, {Corner(r, s), Centre(r, s), Corner(r, s + 1)}});
            frags.push_back({3, {Corner(r, s), Corner(r + 1, s), Centre(r, s)}});
        }
        const auto p = static_cast<int32_t>(std::nearbyint(2.0 * r / 299.0));
        if (p > shown) {
            shown = p;
            if (progress) {
                progress(p);
            }
        }
    }
    return frags;
}

void LoadShapes(TDefinitions& defs, TFileFolder& game, std::string_view fileName) {
    TNyxParser document;
    ParseEntry(document, game, fileName);
    for (const auto& tag : FirstElement(document, fileName).Tags) {
        ReadShape(defs, *tag);
    }
}

void LoadColors(TDefinitions& defs, TFileFolder& game, std::string_view fileName,
                IGamePictures& pictures) {
    static constexpr std::array<const char*, 5> Names{"Material", "H", "L", "S", "Sign"};
    TNyxParser document;
    ParseEntry(document, game, fileName);
    for (const auto& tag : FirstElement(document, fileName).Tags) {
        std::array<const std::string*, 5> v{};
        if (tag->Name != "Color" || !ReadAttributes(*tag, Names, v)) {
            continue;
        }
        defs.FishkaColors.push_back(
            {*v[0], DefinitionInt(*v[1]), DefinitionInt(*v[2]), DefinitionInt(*v[3]), *v[4]});
        pictures.Find(*v[4]);
    }
}

void LoadBossTypes(TDefinitions& defs, TFileFolder& game, std::string_view fileName,
                   IGamePictures& pictures) {
    static constexpr std::array<const char*, 4> Names{"Image", "x", "y", "Power"};
    TNyxParser document;
    ParseEntry(document, game, fileName);
    for (const auto& tag : FirstElement(document, fileName).Tags) {
        std::array<const std::string*, 4> v{};
        if (tag->Name != "Boss" || !ReadAttributes(*tag, Names, v)) {
            continue;
        }
        TBossType boss{*v[0], DefinitionInt(*v[1]), DefinitionInt(*v[2]), DefinitionInt(*v[3]), 0,
                       0};
        if (const auto size = pictures.Find(boss.Image)) {
            boss.Width = size->Width;
            boss.Height = size->Height;
        }
        defs.BossTypes.push_back(std::move(boss));
    }
}

void GenerateFishkaTypes(TDefinitions& defs) {
    defs.FishkaTypes.clear();
    for (size_t s = 0; s < defs.FishkaShapes.size(); ++s) {
        const TFishkaShape& shape = defs.FishkaShapes[s];
        for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
            TFishkaType type;
            type.Name = ShortName(shape.Name + "_" + std::to_string(k));
            type.NextRotateName = ShortName(shape.NextRotateName + "_" + std::to_string(k));
            type.Image = type.Name;
            type.Shape = static_cast<int32_t>(s);
            type.Color = static_cast<int32_t>(k);
            defs.FishkaTypes.push_back(std::move(type));
        }
    }
}

void LoadDefinitions(TDefinitions& defs, TFileFolder& game, IGamePictures& pictures,
                     IGameControls& controls) {
    defs.BoardPoints = BuildBoardPoints();
    defs.FragTypes = BuildFragTypes();
    defs.Frags = BuildFrags([&controls](int32_t p) {
        controls.SetProperty("WGameLoading_PBGameLoading", "Position", std::to_string(p * 10));
    });
    LoadColors(defs, game, "MetaColors.xml", pictures);
    LoadShapes(defs, game, "fishkaShapes.xml");
    GenerateFishkaTypes(defs);
    LoadBossTypes(defs, game, "BossTypes.xml", pictures);
}

} // namespace qz
