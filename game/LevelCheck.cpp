#include "game/LevelCheck.h"

#include "game/Board.h"
#include "game/GameData.h"
#include "game/LevelLoader.h"

#include <exception>

namespace qz {

namespace {

std::string Layer(size_t l) {
    return "layer " + std::to_string(l + 1);
}

void CheckText(const TDefinitions& defs, const TNyxXMLTag& top, std::vector<std::string>& out) {
    const auto colourCount = static_cast<int32_t>(defs.FishkaColors.size());
    TIntegers colours;
    if (const TNyxXMLTag* tag = top.FindTag("FishkaColors")) {
        for (const std::string& word : TextWords(tag->Value)) {
            const int32_t n = DefinitionInt(word);
            if (n < 1 || n > colourCount) {
                out.push_back("colour " + word + " is out of range (1.." +
                              std::to_string(colourCount) + ")");
            } else {
                colours.push_back(n);
            }
        }
    }
    const auto shapeNamed = [&defs](const std::string& name) {
        for (const TFishkaShape& shape : defs.FishkaShapes) {
            if (shape.Name == name) {
                return true;
            }
        }
        return false;
    };
    if (const TNyxXMLTag* probabilities = top.FindTag("Probabilities")) {
        if (const TNyxXMLTag* shapes = probabilities->FindTag("FishkaShapes")) {
            for (const auto& shape : shapes->Tags) {
                const std::string* name = AttributeText(*shape, "Name");
                if (shape->Name == "Shape" && name != nullptr && !shapeNamed(*name)) {
                    out.push_back("shape weight \"" + *name + "\" matches no shape");
                }
            }
        }
        const TNyxXMLTag* weights = probabilities->FindTag("BonusTypeWeights");
        const TNyxXMLTag* chance = probabilities->FindTag("FishkaWithBonus");
        if (weights != nullptr && chance != nullptr && StrToFloatDef(Trim(chance->Value), 0) > 0) {
            const std::vector<std::string> words = TextWords(weights->Value);
            bool positive = false;
            for (const std::string& word : words) {
                positive = positive || DefinitionInt(word) > 0;
            }
            if (!words.empty() && !positive) {
                out.push_back("bonus weights \"" + Trim(weights->Value) + "\" yield no bonus kind");
            }
        }
    }
    if (const TNyxXMLTag* layers = top.FindTag("Layers")) {
        size_t l = 0;
        for (const auto& layer : layers->Tags) {
            if (layer->Name != "Layer") {
                continue;
            }
            size_t i = 0;
            for (const auto& item : layer->Tags) {
                const std::string* shape = AttributeText(*item, "Shape");
                if (item->Name != "Fishka" || shape == nullptr ||
                    AttributeText(*item, "x") == nullptr || AttributeText(*item, "y") == nullptr ||
                    AttributeText(*item, "Count") == nullptr) {
                    continue;
                }
                ++i;
                const std::string which = Layer(l) + " crystal " + std::to_string(i);
                if (!shapeNamed(*shape)) {
                    out.push_back(which + ": shape \"" + *shape + "\" matches no shape");
                    continue;
                }
                bool coloured = false;
                for (const TFishkaType& type : defs.FishkaTypes) {
                    coloured = coloured ||
                               (defs.FishkaShapes[static_cast<size_t>(type.Shape)].Name == *shape &&
                                IndexOfInteger(colours, type.Color + 1) >= 0);
                }
                if (!coloured) {
                    out.push_back(which + ": shape \"" + *shape +
                                  "\" has no crystal in the level's colours");
                }
            }
            ++l;
        }
    }
}

void CheckBoard(const TBoard& board, std::vector<std::string>& out) {
    const TLevel& level = board.Level;
    for (size_t l = 0; l < level.Layers.size(); ++l) {
        const TLayer& layer = level.Layers[l];
        bool main = false;
        for (size_t i = 0; i < layer.Fishkas.size(); ++i) {
            const TFishka& f = layer.Fishkas[i];
            if (f.Boss >= 0 && level.Bosses[static_cast<size_t>(f.Boss)].Main != 0) {
                main = true;
            }
            if (f.State != fsOnBoard ||
                IndexOfInteger(layer.Owners, static_cast<int32_t>(i)) >= 0) {
                continue;
            }
            out.push_back(Layer(l) + " crystal " + std::to_string(i + 1) + " (" +
                          board.Defs.FishkaTypes[static_cast<size_t>(f.FType)].Name + " at " +
                          std::to_string(f.x) + "," + std::to_string(590 - f.y) +
                          ") does not snap to the lattice");
        }
        if (!main) {
            out.push_back(Layer(l) + " has no main boss");
        }
    }
    for (size_t b = 0; b < level.Bosses.size(); ++b) {
        bool attached = false;
        for (const TLayer& layer : level.Layers) {
            for (const TFishka& f : layer.Fishkas) {
                attached = attached || f.Boss == static_cast<int32_t>(b);
            }
        }
        if (!attached) {
            const TBoss& boss = level.Bosses[b];
            out.push_back("boss " + std::to_string(b + 1) + " (type " + std::to_string(boss.Type) +
                          " at " + std::to_string(boss.x) + "," + std::to_string(boss.y) +
                          ") is over no crystal");
        }
    }
}

} // namespace

std::vector<std::string> CheckLevel(TBoard& board, TFileFolder& levels, std::string_view fileName) {
    std::vector<std::string> problems;
    const std::optional<TMemoryStream> text = ReadLevelText(levels, fileName);
    if (!text) {
        problems.push_back(std::string(fileName) + " is no text, even deciphered");
        return problems;
    }
    try {
        TNyxParser document;
        document.LoadFromStream(*text);
        CheckText(board.Defs, FirstElement(document, fileName), problems);
        LoadLevel(board, levels, fileName, true);
        CheckBoard(board, problems);
    } catch (const std::exception& error) {
        problems.emplace_back(error.what());
    }
    return problems;
}

} // namespace qz
