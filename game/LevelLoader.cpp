#include "game/LevelLoader.h"

#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Random.h"
#include "game/Board.h"
#include "game/GameData.h"

#include <algorithm>

namespace qz {

namespace {

// The time between board moves from seconds with up to three decimals ("6.5" is 6500 ms),
// held within a day so that the interval in milliseconds and the time of the next move stay
// numbers.
int32_t MoveIntervalMs(std::string_view seconds) {
    const size_t point = seconds.find('.');
    const std::string_view whole = seconds.substr(0, point);
    int32_t thousandths = 0;
    if (point != std::string_view::npos) {
        int32_t scale = 100;
        for (size_t i = point + 1; i < seconds.size() && scale > 0; ++i, scale /= 10) {
            if (seconds[i] < '0' || seconds[i] > '9') {
                break;
            }
            thousandths += (seconds[i] - '0') * scale;
        }
    }
    if (whole.find('-') != std::string_view::npos) {
        thousandths = -thousandths;
    }
    return std::clamp(DefinitionInt(whole), -86400, 86400) * 1000 + thousandths;
}

bool Has(const TNyxXMLTag& tag, std::initializer_list<const char*> names) {
    return std::all_of(names.begin(), names.end(),
                       [&tag](const char* name) { return AttributeText(tag, name) != nullptr; });
}

int32_t IntAttribute(const TNyxXMLTag& tag, const char* name) {
    return DefinitionInt(*AttributeText(tag, name));
}

// A place or size on the board, held far beyond any board so that sums with it cannot
// overflow.
int32_t PlaceAttribute(const TNyxXMLTag& tag, const char* name) {
    constexpr int32_t Limit = 1000000;
    return std::clamp(IntAttribute(tag, name), -Limit, Limit);
}

void ReadColors(TBoard& board, const TNyxXMLTag& tag) {
    const auto count = static_cast<int32_t>(board.Defs.FishkaColors.size());
    for (const std::string& word : TextWords(tag.Value)) {
        const int32_t n = DefinitionInt(word);
        if (n >= 1 && n <= count && IndexOfInteger(board.Level.Colors, n) < 0) {
            board.Level.Colors.push_back(n);
        }
    }
}

void ReadProbabilities(TBoard& board, const TNyxXMLTag& tag) {
    TLevel& level = board.Level;
    if (const TNyxXMLTag* weights = tag.FindTag("BonusTypeWeights")) {
        for (const std::string& word : TextWords(weights->Value)) {
            level.BonusTypeWeights.push_back(DefinitionInt(word));
        }
    }
    if (const TNyxXMLTag* hidden = tag.FindTag("NoColorFishka")) {
        level.NoColorFishka = StrToFloatDef(Trim(hidden->Value), 0);
    }
    if (const TNyxXMLTag* bonus = tag.FindTag("FishkaWithBonus")) {
        level.FishkaWithBonus = StrToFloatDef(Trim(bonus->Value), 0);
    }
    if (const TNyxXMLTag* shapes = tag.FindTag("FishkaShapes")) {
        const TDefinitions& defs = board.Defs;
        level.ShapeWeights.assign(defs.FishkaTypes.size(), 0);
        for (const auto& shape : shapes->Tags) {
            if (shape->Name != "Shape" || !Has(*shape, {"Name", "Weight"})) {
                continue;
            }
            const std::string& name = *AttributeText(*shape, "Name");
            const int32_t weight = IntAttribute(*shape, "Weight");
            for (size_t t = 0; t < defs.FishkaTypes.size(); ++t) {
                const int32_t s = defs.FishkaTypes[t].Shape;
                if (defs.FishkaShapes[static_cast<size_t>(s)].Name == name) {
                    level.ShapeWeights[t] = weight;
                    if (IndexOfInteger(level.WeightedShapes, s) < 0) {
                        level.WeightedShapes.push_back(s);
                    }
                }
            }
        }
    }
}

void ReadNullFrags(TBoard& board, const TNyxXMLTag& tag, std::string_view fileName) {
    for (const std::string& word : TextWords(tag.Value)) {
        const int32_t value = DefinitionInt(word);
        if (value == 0 && word != "0") {
            continue;
        }
        if (value < 0 || value >= FragCount) {
            throw Error(std::string(fileName) + ": null fragment " + word +
                        " is outside the board (0..11999)");
        }
        if (IndexOfInteger(board.Level.NullFrags, value) < 0) {
            board.Level.NullFrags.push_back(value);
        }
    }
}

void ReadLayers(TBoard& board, const TNyxXMLTag& tag, std::string_view fileName) {
    TLevel& level = board.Level;
    const TDefinitions& defs = board.Defs;
    const auto typeCount = static_cast<int32_t>(defs.FishkaTypes.size());
    for (const auto& layerTag : tag.Tags) {
        if (layerTag->Name != "Layer") {
            continue;
        }
        level.Layers.emplace_back();
        level.LayerIndex = static_cast<int32_t>(level.Layers.size()) - 1;
        for (const auto& item : layerTag->Tags) {
            if (item->Name != "Fishka" || !Has(*item, {"x", "y", "Shape", "Count"})) {
                continue;
            }
            TFishka f;
            f.x = PlaceAttribute(*item, "x");
            f.y = 590 - PlaceAttribute(*item, "y") - board.Game.ViewY;
            const std::string& shape = *AttributeText(*item, "Shape");
            TIntegers candidates;
            for (size_t t = 0; t < defs.FishkaTypes.size(); ++t) {
                const TFishkaType& type = defs.FishkaTypes[t];
                if (defs.FishkaShapes[static_cast<size_t>(type.Shape)].Name == shape &&
                    IndexOfInteger(level.Colors, type.Color + 1) >= 0) {
                    candidates.push_back(static_cast<int32_t>(t));
                }
            }
            if (!candidates.empty()) {
                f.FType = candidates[static_cast<size_t>(
                    Random().Next(static_cast<int32_t>(candidates.size())))];
            }
            if (f.FType >= typeCount) {
                throw Error(std::string(fileName) + ": crystal " +
                            std::to_string(level.Layers.back().Fishkas.size() + 1) + " of layer " +
                            std::to_string(level.Layers.size()) + " (shape \"" + shape +
                            "\") has crystal type " + std::to_string(f.FType) +
                            ", which does not exist (" + std::to_string(typeCount) +
                            " crystal types)");
            }
            f.State = fsOnBoard;
            f.Count = static_cast<uint8_t>(IntAttribute(*item, "Count"));
            f.Boss = -1;
            TLayer& layer = board.Layer();
            layer.Fishkas.push_back(f);
            const auto index = static_cast<int32_t>(layer.Fishkas.size()) - 1;
            board.PutFishka(index, TPutMode::Level);
            if (Random().NextReal() >= level.FishkaWithBonus ||
                defs.ShapeOf(board.Fishka(index).FType).Fishes.size() < 5) {
                board.Fishka(index).BType = -1;
            } else {
                board.GiveBonus(index, -1);
            }
        }
    }
}

void ReadBosses(TBoard& board, const TNyxXMLTag& tag, std::string_view fileName) {
    const auto types = static_cast<int32_t>(board.Defs.BossTypes.size());
    for (const auto& item : tag.Tags) {
        if (item->Name != "Boss" || !Has(*item, {"x", "y", "Type"})) {
            continue;
        }
        TBoss boss;
        boss.x = PlaceAttribute(*item, "x");
        boss.y = PlaceAttribute(*item, "y");
        boss.Type = IntAttribute(*item, "Type");
        if (boss.Type < 0 || boss.Type >= types) {
            throw Error(std::string(fileName) + ": boss type " + std::to_string(boss.Type) +
                        " does not exist (" + std::to_string(types) + " boss types)");
        }
        const std::string* main = AttributeText(*item, "Main");
        boss.Main = main != nullptr && *main == "true" ? 1 : 0;
        board.Level.Bosses.push_back(boss);
    }
}

void ReadPictures(TBoard& board, const TNyxXMLTag& tag) {
    for (const auto& item : tag.Tags) {
        if (item->Name != "Picture" || !Has(*item, {"x", "y", "Sx", "Sy", "Name"})) {
            continue;
        }
        TLevelPicture picture;
        picture.Name = *AttributeText(*item, "Name");
        picture.x = PlaceAttribute(*item, "x");
        picture.y = PlaceAttribute(*item, "y");
        picture.Sx = PlaceAttribute(*item, "Sx");
        picture.Sy = PlaceAttribute(*item, "Sy");
        for (const auto& image : item->Tags) {
            if (image->Name != "Image" || !Has(*image, {"Name", "t"})) {
                continue;
            }
            const std::string& name = *AttributeText(*image, "Name");
            picture.Images.push_back(name);
            picture.Times.push_back(IntAttribute(*image, "t"));
            if (const auto size = board.Services.Pictures.Find(name)) {
                picture.Width = size->Width;
                picture.Height = size->Height;
            }
        }
        board.Level.Pictures.push_back(std::move(picture));
    }
}

void ReadPictureMap(TBoard& board, const TNyxXMLTag& tag) {
    if (!Has(tag, {"x", "y", "OneWidth", "OneHeight"})) {
        return;
    }
    TPictureMap& map = board.Level.PictureMap;
    map.x = PlaceAttribute(tag, "x");
    map.y = PlaceAttribute(tag, "y");
    map.OneWidth = PlaceAttribute(tag, "OneWidth");
    map.OneHeight = PlaceAttribute(tag, "OneHeight");
    if (const TNyxXMLTag* images = tag.FindTag("Images")) {
        for (const auto& image : images->Tags) {
            const std::string* name = AttributeText(*image, "Name");
            if (image->Name != "Image" || name == nullptr) {
                continue;
            }
            map.Images.push_back(*name);
            board.Services.Pictures.Find(*name);
        }
    }
    if (const TNyxXMLTag* lines = tag.FindTag("Lines")) {
        for (size_t i = lines->Tags.size(); i-- > 0;) {
            const TNyxXMLTag& line = *lines->Tags[i];
            if (line.Name != "Line") {
                continue;
            }
            const std::vector<std::string> words = TextWords(line.Value);
            map.LineWidth = static_cast<int32_t>(words.size());
            for (const std::string& word : words) {
                const int32_t v = DefinitionInt(word);
                if (v <= static_cast<int32_t>(map.Images.size())) {
                    map.Cells.push_back(v);
                }
            }
        }
    }
}

void PrepareFreshStart(TBoard& board) {
    TLevel& level = board.Level;
    level.LevelDone = false;
    level.LayerIndex = 0;
    board.DrawOrder.clear();
    for (size_t i = 0; i < board.Layer().Fishkas.size(); ++i) {
        if (board.Layer().Fishkas[i].State == fsOnBoard) {
            board.DrawOrder.push_back(static_cast<int32_t>(i));
        }
    }
    board.AttachBosses();
    board.Game.Queue.clear();
    for (int32_t i = 0; i < QueueLength; ++i) {
        board.DealFishka();
    }
    board.FollowBottom();
    board.BuildContour();
    StartLevelMusic(board);
    level.NextMoveTime = board.Now() + level.MoveInterval;
    level.PutLeft = level.Strategic;
}

} // namespace

void StartLevelMusic(TBoard& board) {
    IGameSounds& sounds = board.Services.Sounds;
    if (board.Level.PlayMusic != sounds.CurrentMusic()) {
        sounds.StopMusic();
        sounds.PlayMusic(board.Level.PlayMusic);
    }
}

TLevelLoadFlags& LevelLoadFlags() {
    static TLevelLoadFlags flags;
    return flags;
}

void ResetLevel(TBoard& board) {
    TLevel& level = board.Level;
    level.Layers.clear();
    level.NullFrags.clear();
    level.ShapeWeights.clear();
    level.WeightedShapes.clear();
    level.HoverFrags.clear();
    board.Services.Effects.ClearLevelEffects();
    level.Colors.clear();
    board.Game.Queue.clear();
    board.Game.InHand = -1;
    board.DrawOrder.clear();
    board.Group.clear();
    level.Bosses.clear();
    level.Pictures.clear();
    level.PictureMap.Images.clear();
    level.PictureMap.Cells.clear();
    level.BonusTypeWeights.clear();
    level.LayerIndex = 0;
    board.Game.ViewY = 0;
    board.Game.ViewX = 0;
    board.Game.Danger = false;
    board.SetProperty("WGame_PBDead", "Position", "0");
}

std::optional<TMemoryStream> ReadLevelText(TFileFolder& levels, std::string_view fileName) {
    TMemoryStream text;
    text.CopyFrom(ArchiveEntry(levels, fileName));
    text.SetPosition(0);
    TLevelLoadFlags& flags = LevelLoadFlags();
    if (IsPlainText(text)) {
        flags.LevelWasPlain = true;
    } else {
        TMemoryStream plain;
        CipherStream(text, plain, DataKey());
        flags.LevelWasPlain = false;
        if (!IsPlainText(plain)) {
            flags.BadLevelFile = true;
            return std::nullopt;
        }
        text.CopyFrom(plain);
        text.SetPosition(0);
    }
    flags.BadLevelFile = false;
    return text;
}

bool LoadLevel(TBoard& board, TFileFolder& levels, std::string_view fileName, bool freshStart) {
    const std::optional<TMemoryStream> text = ReadLevelText(levels, fileName);
    if (!text) {
        return false;
    }
    ResetLevel(board);
    TNyxParser document;
    document.LoadFromStream(*text);
    const TNyxXMLTag& top = FirstElement(document, fileName);
    TLevel& level = board.Level;

    // The lists the crystals depend on come first, wherever the file puts them.
    if (const TNyxXMLTag* tag = top.FindTag("NullFrags")) {
        ReadNullFrags(board, *tag, fileName);
    }
    if (const TNyxXMLTag* tag = top.FindTag("FishkaColors")) {
        ReadColors(board, *tag);
    }
    if (const TNyxXMLTag* tag = top.FindTag("Probabilities")) {
        ReadProbabilities(board, *tag);
    }
    if (const TNyxXMLTag* tag = top.FindTag("PutFishkaSound")) {
        level.PutFishkaSound = tag->Value;
    }
    if (const TNyxXMLTag* tag = top.FindTag("PlayMusic")) {
        level.PlayMusic = tag->Value;
    }
    if (const TNyxXMLTag* tag = top.FindTag("MoveInterval")) {
        if (const std::string* action = AttributeText(*tag, "Action")) {
            level.MoveInterval = MoveIntervalMs(*action);
        }
        if (const std::string* strategic = AttributeText(*tag, "Strategic")) {
            level.Strategic = std::clamp(DefinitionInt(*strategic), -1000000, 1000000);
        }
    }
    if (freshStart) {
        if (const TNyxXMLTag* tag = top.FindTag("Layers")) {
            ReadLayers(board, *tag, fileName);
        }
        if (const TNyxXMLTag* tag = top.FindTag("Bosses")) {
            ReadBosses(board, *tag, fileName);
        }
    }
    if (const TNyxXMLTag* tag = top.FindTag("Pictures")) {
        ReadPictures(board, *tag);
    }
    if (const TNyxXMLTag* tag = top.FindTag("PictureMap")) {
        ReadPictureMap(board, *tag);
    }
    if (freshStart) {
        if (level.Layers.empty()) {
            throw Error(std::string(fileName) + ": the level has no layers");
        }
        PrepareFreshStart(board);
        // A level may name the hint that explains what it brings in.
        if (const TNyxXMLTag* tag = top.FindTag("Hint")) {
            board.Services.Controls.ShowHint(Trim(tag->Value), std::nullopt);
        }
    }
    return true;
}

} // namespace qz
