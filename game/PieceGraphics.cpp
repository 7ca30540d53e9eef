#include "game/PieceGraphics.h"

#include "archive/FileFolder.h"
#include "game/Definitions.h"
#include "gfx/PNGMorf.h"
#include "gfx/SurfEngine.h"

#include <algorithm>
#include <cmath>

namespace qz {

namespace {

constexpr int32_t CompositionQuality = 80;
constexpr const char* PictureSuffix = ".pNg";

std::string HueChangeLine(const TFishkaColor& colour) {
    return "<ImageHueChange hue=\"" + std::to_string(colour.H) + "\" saturation=\"" +
           std::to_string(colour.S) + "\" lightness=\"" + std::to_string(colour.L) + "\"/>\r\n";
}

// Composes entry unless the archive has it; true when it was composed.
bool ComposeMissing(TPNGMorf& morf, TFileFolder& archive, const std::string& entry,
                    const std::string& script) {
    if (archive.IndexOf(entry) >= 0) {
        return false;
    }
    morf.RunScript(TMemoryStream(script), archive);
    return true;
}

void LoadOnce(TSurfEngine& engine, TFileFolder& archive, const std::string& name,
              const std::string& entry) {
    if (engine.IndexOfSurface(name) < 0) {
        engine.LoadPNGFromFolder(archive, name, entry);
    }
}

// A picture record left without pixels by a display change is replaced.
void LoadAgain(TSurfEngine& engine, TFileFolder& archive, const std::string& name,
               const std::string& entry) {
    if (const TSurface* surface = engine.FindSurface(name); surface && surface->Surface) {
        return;
    }
    engine.DeleteSurface(name);
    engine.LoadPNGFromFolder(archive, name, entry);
}

} // namespace

std::string CrystalScript(const TFishkaShape& shape, const TFishkaColor& colour,
                          std::string_view typeName) {
    return "<AutoImage name=\"" + std::string(typeName) + "\" autosize=\"true\">\r\n" +
           "<AddImage name=\"" + shape.Name + "_" + colour.Material +
           ".png\" left=\"0\" top=\"0\" />\r\n" + HueChangeLine(colour) + "<AddImage name=\"" +
           colour.Sign + "\" left=\"" + std::to_string(std::max(0, shape.Sx - 15)) + "\" top=\"" +
           std::to_string(std::max(0, shape.Sy - 10)) + "\" />\r\n" + "</AutoImage>\r\n";
}

std::string BonusScript(std::string_view name, std::string_view source,
                        const TFishkaColor& colour) {
    return "<AutoImage name=\"" + std::string(name) + "\" autosize=\"true\">\r\n" +
           "<AddImage name=\"" + std::string(source) + "\" left=\"0\" top=\"0\" />\r\n" +
           HueChangeLine(colour) + "</AutoImage>\r\n";
}

std::string ColorBombName(size_t k) {
    return "ColorBomb" + std::to_string(k);
}

std::string ColorStarName(size_t k) {
    return "boomcolorstar" + std::to_string(k);
}

int32_t PrepareCrystalPictures(TDefinitions& defs, TFileFolder& levels, TSurfEngine& engine,
                               const std::function<void(int32_t)>& progress) {
    TPNGMorf morf(CompositionQuality);
    const size_t shapes = defs.FishkaShapes.size();
    int32_t composed = 0;
    int32_t shown = 0;
    for (size_t i = 0; i < defs.FishkaTypes.size(); ++i) {
        TFishkaType& type = defs.FishkaTypes[i];
        const auto s = static_cast<size_t>(type.Shape);
        const std::string entry = type.Name + PictureSuffix;
        if (ComposeMissing(morf, levels, entry,
                           CrystalScript(defs.FishkaShapes[s],
                                         defs.FishkaColors[static_cast<size_t>(type.Color)],
                                         type.Name))) {
            ++composed;
        }
        LoadOnce(engine, levels, entry, entry);
        type.Image = entry;
        const bool lastOfShape =
            i + 1 == defs.FishkaTypes.size() || defs.FishkaTypes[i + 1].Shape != type.Shape;
        if (!lastOfShape) {
            continue;
        }
        // With one shape the bar goes straight to its end.
        const auto p =
            shapes > 1 ? static_cast<int32_t>(std::nearbyint(8.0 * double(s) / double(shapes - 1)))
                       : 8;
        if (p > shown) {
            shown = p;
            if (progress) {
                progress(10 * p + 20);
            }
        }
    }
    return composed;
}

int32_t PrepareBonusPictures(const TDefinitions& defs, TFileFolder& game, TSurfEngine& engine) {
    TPNGMorf morf(CompositionQuality);
    int32_t composed = 0;
    for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
        const TFishkaColor& colour = defs.FishkaColors[k];
        const std::pair<std::string, const char*> jobs[] = {
            {ColorBombName(k), "colorbomb_small_line.png"},
            {ColorStarName(k), "boomcolorstar.png"}};
        for (const auto& [name, source] : jobs) {
            const std::string entry = name + PictureSuffix;
            if (ComposeMissing(morf, game, entry, BonusScript(name, source, colour))) {
                ++composed;
            }
            LoadOnce(engine, game, name, entry);
        }
    }
    return composed;
}

TPieceGraphicsResult PreparePieceGraphics(TDefinitions& defs, TFileFolder& levels,
                                          TFileFolder& game, TSurfEngine& engine,
                                          const std::function<void(int32_t)>& progress) {
    TPieceGraphicsResult result;
    result.Crystals = PrepareCrystalPictures(defs, levels, engine, progress);
    if (result.Crystals > 0) {
        levels.Save();
    }
    result.Bonuses = PrepareBonusPictures(defs, game, engine);
    if (result.Bonuses > 0) {
        game.Save();
    }
    return result;
}

void ReloadPieceGraphics(const TDefinitions& defs, TFileFolder& levels, TFileFolder& game,
                         TSurfEngine& engine) {
    for (const TFishkaType& type : defs.FishkaTypes) {
        const std::string entry = type.Name + PictureSuffix;
        LoadAgain(engine, levels, entry, entry);
    }
    for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
        for (const std::string& name : {ColorBombName(k), ColorStarName(k)}) {
            LoadAgain(engine, game, name, name + PictureSuffix);
        }
    }
}

} // namespace qz
