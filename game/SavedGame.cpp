#include "game/SavedGame.h"

#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "game/Board.h"
#include "game/GameData.h"
#include "game/LevelLoader.h"

#include <algorithm>
#include <cmath>

namespace qz {

namespace {

constexpr std::string_view LineEnd = "\r\n";
// A level's bonus weights hold at most 255 entries, and with all weights 0 the drawn kind
// is the list length; kinds above 15 carry no mark but are kept like any other.
constexpr int32_t LargestBonusKind = 255;

std::string Text(int32_t value) {
    return std::to_string(value);
}

} // namespace

std::string GameSaveText(const TBoard& board) {
    const TGame& game = board.Game;
    const TLevel& level = board.Level;
    const bool between = game.GameState == gsBetweenLevels;
    TNyxParser document;
    TNyxXMLTag& save = *document.AddTag("GameSave");
    save.AddAttribute("Mode", Text(game.Mode));
    save.AddAttribute("State", between ? "gsBetweenLevels" : "gsGamePlay");
    save.AddAttribute("Level", Text(game.LevelNumber));
    save.AddAttribute("Score", Text(game.Score));
    save.AddAttribute("PrevScore", Text(game.PrevScore));
    save.AddAttribute("PutLeft", Text(level.PutLeft));
    save.AddAttribute("Shifts", Text(game.Shifts));
    save.AddAttribute("Shuffles", Text(game.Shuffles));
    save.AddAttribute("CurrentY", Text(game.CurrentY));
    if (!between) {
        // Finished layers are gone for good; only the current one and those after it count.
        TNyxXMLTag& layers = *save.AddTag("Layers");
        for (size_t l = static_cast<size_t>(std::max(level.LayerIndex, 0)); l < level.Layers.size();
             ++l) {
            TNyxXMLTag& layer = *layers.AddTag("Layer");
            for (const TFishka& f : level.Layers[l].Fishkas) {
                if (f.State != fsOnBoard) {
                    continue;
                }
                TNyxXMLTag& item = *layer.AddTag("Fishka");
                item.AddAttribute("x", Text(f.x));
                item.AddAttribute("y", Text(f.y));
                item.AddAttribute("FType", Text(f.FType));
                item.AddAttribute("N", Text(f.Count));
                item.AddAttribute("BType", Text(f.BType));
            }
        }
        TNyxXMLTag& bosses = *save.AddTag("Bosses");
        for (const TBoss& boss : level.Bosses) {
            TNyxXMLTag& item = *bosses.AddTag("Boss");
            item.AddAttribute("x", Text(boss.x));
            item.AddAttribute("y", Text(boss.y));
            item.AddAttribute("Type", Text(boss.Type));
            // The game has always written "fase"; reading accepts only "true" as true.
            item.AddAttribute("Main", boss.Main != 0 ? "true" : "fase");
        }
    }
    document.MakeLines();
    std::string text;
    for (const std::string& line : document.Lines) {
        text += EncodeText(line);
        text += LineEnd;
    }
    return text;
}

namespace {

std::string DescribeFailure(const TWriteFailure& failure) {
    switch (failure.Step) {
    case TWriteStep::Create:
        return "Cannot create file \"" + failure.Temporary + "\": " + failure.Reason;
    case TWriteStep::Write:
        return "Cannot write file \"" + failure.Temporary + "\": " + failure.Reason;
    case TWriteStep::Replace:
        break;
    }
    return "Cannot replace file \"" + failure.Target + "\": " + failure.Reason;
}

// The decoded lines of the file, up to a zero byte as the XML reader takes its text.
std::vector<std::string> DecodedLines(const std::filesystem::path& path) {
    TMemoryStream file;
    file.LoadFromFile(path.string(), size_t{4} << 20);
    std::string_view bytes = file.View();
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.push_back(DecodeText(bytes.substr(start, end - start)));
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') {
            ++start;
        }
        if (start < bytes.size() && bytes[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

// A text with no markup at all is a document without elements like any other. A file cut
// short leaves an element open: the game always closes every element it writes.
void ParseSave(TNyxParser& document, std::vector<std::string> lines, const std::string& fileName) {
    document.Lines = std::move(lines);
    document.MakeTypifiedLines();
    if (document.Lines.empty()) {
        throw Error(fileName + "XML file does not has tags!");
    }
    int32_t open = 0;
    for (const std::string& line : document.Lines) {
        if (line.starts_with('3')) {
            ++open;
        } else if (line.starts_with('1') && --open < 0) {
            break;
        }
    }
    if (open != 0) {
        throw Error(fileName + ": the saved game is damaged (" +
                    (open > 0 ? "it ends before its last element closes"
                              : "it closes more elements than it opens") +
                    "); load another saved game");
    }
    document.BuildTree();
}

std::optional<int32_t> Number(const TNyxXMLTag& tag, std::string_view name) {
    const std::string* text = AttributeText(tag, name);
    return text == nullptr ? std::nullopt : TryStrToInt(*text);
}

// Positions and counters further from zero than this come from no game: refusing them keeps
// the arithmetic of play (scores added, positions moved) far from overflowing.
constexpr int32_t LargestPosition = 1'000'000;
constexpr int32_t LargestScore = 1'000'000'000;

// The number of an attribute when it reads, refused with a message naming the file when it
// lies outside lowest..highest.
std::optional<int32_t> NumberWithin(const TNyxXMLTag& tag, std::string_view name, int32_t lowest,
                                    int32_t highest, const std::string& where) {
    const std::optional<int32_t> value = Number(tag, name);
    if (value && (*value < lowest || *value > highest)) {
        throw Error(where + " has " + std::string(name) + "=\"" + Text(*value) + "\" (" +
                    Text(lowest) + ".." + Text(highest) + ")");
    }
    return value;
}

void Assign(int32_t& field, std::optional<int32_t> value) {
    if (value) {
        field = *value;
    }
}

// The crystals and bosses of a play-state save, read and checked before the board changes.
struct TSavedBoard {
    std::vector<std::vector<TFishka>> Layers;
    std::vector<TBoss> Bosses;
};

TSavedBoard ReadSavedBoard(const TNyxXMLTag& save, const TDefinitions& defs,
                           const std::string& fileName) {
    TSavedBoard saved;
    const auto types = static_cast<int32_t>(defs.FishkaTypes.size());
    if (const TNyxXMLTag* layers = save.FindTag("Layers")) {
        for (const auto& layerTag : layers->Tags) {
            if (layerTag->Name != "Layer") {
                continue;
            }
            saved.Layers.emplace_back();
            const std::string where =
                fileName + ": layer " + Text(static_cast<int32_t>(saved.Layers.size()));
            for (const auto& item : layerTag->Tags) {
                const std::string crystal =
                    where + " crystal " +
                    Text(static_cast<int32_t>(saved.Layers.back().size()) + 1);
                const std::optional<int32_t> x =
                    NumberWithin(*item, "x", -LargestPosition, LargestPosition, crystal);
                const std::optional<int32_t> y =
                    NumberWithin(*item, "y", -LargestPosition, LargestPosition, crystal);
                const std::optional<int32_t> type = Number(*item, "FType");
                if (item->Name != "Fishka" || !x || !y || !type) {
                    continue;
                }
                if (*type < 0 || *type >= types) {
                    throw Error(crystal + " has the crystal type " + Text(*type) +
                                ", which does not exist (" + Text(types) + " crystal types)");
                }
                const int32_t count = Number(*item, "N").value_or(1);
                if (count < 0 || count > 255) {
                    throw Error(crystal + " has the count " + Text(count) + " (0..255)");
                }
                const int32_t bonus = Number(*item, "BType").value_or(-1);
                if (bonus < -1 || bonus > LargestBonusKind) {
                    throw Error(crystal + " has the bonus kind " + Text(bonus) + " (-1..255)");
                }
                TFishka f;
                f.x = *x;
                f.y = *y;
                f.FType = *type;
                f.Count = static_cast<uint8_t>(count);
                f.BType = bonus;
                saved.Layers.back().push_back(f);
            }
        }
    }
    const auto bossTypes = static_cast<int32_t>(defs.BossTypes.size());
    if (const TNyxXMLTag* bosses = save.FindTag("Bosses")) {
        for (const auto& item : bosses->Tags) {
            const std::string boss =
                fileName + ": boss " + Text(static_cast<int32_t>(saved.Bosses.size()) + 1);
            const std::optional<int32_t> x =
                NumberWithin(*item, "x", -LargestPosition, LargestPosition, boss);
            const std::optional<int32_t> y =
                NumberWithin(*item, "y", -LargestPosition, LargestPosition, boss);
            const std::optional<int32_t> type = Number(*item, "Type");
            if (item->Name != "Boss" || !x || !y || !type) {
                continue;
            }
            if (*type < 0 || *type >= bossTypes) {
                throw Error(boss + " has the boss type " + Text(*type) +
                            ", which does not exist (" + Text(bossTypes) + " boss types)");
            }
            TBoss restored;
            restored.x = *x;
            restored.y = *y;
            restored.Type = *type;
            const std::string* main = AttributeText(*item, "Main");
            restored.Main = main != nullptr && *main == "true" ? 1 : 0;
            saved.Bosses.push_back(restored);
        }
    }
    return saved;
}

void SetCaptions(TBoard& board) {
    const TGame& game = board.Game;
    board.SetProperty("WGame_LScoreCount", "Caption", Text(game.Score));
    board.SetProperty("WGame_LShiftCount", "Caption", Text(game.Shifts));
    board.SetProperty("WGame_LShuffleCount", "Caption", Text(game.Shuffles));
    board.SetProperty("WGame_LLevelCount", "Caption", Text(game.LevelNumber));
}

std::string LevelFileName(int32_t number) {
    return "Level" + Text(number) + ".xml";
}

// Places the saved crystals and bosses on the freshly loaded level and starts play.
void RestorePlay(TBoard& board, TSavedBoard saved, std::optional<int32_t> currentY) {
    TGame& game = board.Game;
    TLevel& level = board.Level;
    // The history refers to crystals of the board that was just replaced.
    game.UndoList.clear();
    if (saved.Layers.empty()) {
        saved.Layers.emplace_back();
    }
    for (std::vector<TFishka>& crystals : saved.Layers) {
        level.Layers.emplace_back();
        level.LayerIndex = static_cast<int32_t>(level.Layers.size()) - 1;
        for (TFishka& f : crystals) {
            f.y = 590 - f.y - game.ViewY;
            f.State = fsOnBoard;
            f.Boss = -1;
            board.Layer().Fishkas.push_back(f);
            const auto index = static_cast<int32_t>(board.Layer().Fishkas.size()) - 1;
            // A crystal that fits the lattice nowhere near where it stands comes from no game;
            // kept, it would lie on the board without fragments.
            if (!board.PutFishka(index, TPutMode::Level)) {
                board.Layer().Fishkas.pop_back();
                continue;
            }
            if (f.BType >= 0) {
                board.GiveBonus(index, f.BType);
            }
        }
    }
    level.Bosses = std::move(saved.Bosses);

    level.LevelDone = false;
    level.LayerIndex = 0;
    board.DrawOrder.clear();
    for (size_t i = 0; i < board.Layer().Fishkas.size(); ++i) {
        if (board.Layer().Fishkas[i].State == fsOnBoard) {
            board.DrawOrder.push_back(static_cast<int32_t>(i));
        }
    }
    board.AttachBosses();
    game.Queue.clear();
    for (int32_t i = 0; i < QueueLength; ++i) {
        board.DealFishka();
    }

    if (currentY && game.Mode == gmStrategy) {
        game.CurrentY = *currentY;
        game.ScrollMid = (game.CurrentY - game.ViewY) / 2 + game.ViewY;
    } else {
        board.FollowBottom();
    }

    board.BuildContour();
    StartLevelMusic(board);
    level.NextMoveTime = board.Now() + level.MoveInterval;
    SetCaptions(board);
    if (game.InHand >= 0) {
        board.FollowPointer(board.Fishka(game.InHand));
    }
}

// The between-levels window as a completed level leaves it: every level reached so far
// and the next one listed.
void ShowBetweenLevels(TBoard& board, TFileFolder& levels) {
    board.Services.Controls.ShowWindow("WBetweenLevel");
    for (int32_t n = 1; levels.IndexOf(LevelFileName(n)) >= 0; ++n) {
        board.SetProperty("WBetweenLevel_TLevel" + Text(n), "Visible", "true");
        if (n > board.Game.LevelNumber) {
            break;
        }
    }
    SetCaptions(board);
}

} // namespace

void SaveGame(const std::filesystem::path& path, const TBoard& board, const TWriteCalls& calls) {
    if (path.has_parent_path()) {
        std::error_code ignored; // a folder that cannot be made shows up as the create failing
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    ReplaceFile(path, GameSaveText(board), DescribeFailure, calls);
}

bool LoadGame(const std::filesystem::path& path, TBoard& board, TFileFolder& levels) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return false;
    }
    const std::string fileName = path.string();
    TNyxParser document;
    ParseSave(document, DecodedLines(path), fileName);
    const TNyxXMLTag& save = FirstElement(document, fileName);
    if (save.Name != "GameSave") {
        throw Error(fileName + ": this is no saved game (its first element is <" + save.Name +
                    ">, not <GameSave>)");
    }

    // Everything is read and checked before the game changes.
    const std::string* state = AttributeText(save, "State");
    const int32_t gameState =
        state != nullptr && *state == "gsBetweenLevels" ? gsBetweenLevels : gsGamePlay;
    const std::string where = fileName + ": the saved game";
    const std::optional<int32_t> levelNumber =
        NumberWithin(save, "Level", gameState == gsGamePlay ? 1 : 0, LargestPosition, where);
    if (!levelNumber) {
        throw Error(where + " names no level; load another saved game");
    }
    const std::optional<int32_t> score = NumberWithin(save, "Score", 0, LargestScore, where);
    const std::optional<int32_t> prevScore =
        NumberWithin(save, "PrevScore", 0, LargestScore, where);
    const std::optional<int32_t> putLeft =
        NumberWithin(save, "PutLeft", -LargestPosition, LargestPosition, where);
    const std::optional<int32_t> shifts = NumberWithin(save, "Shifts", 0, LargestPosition, where);
    const std::optional<int32_t> shuffles =
        NumberWithin(save, "Shuffles", 0, LargestPosition, where);
    const std::optional<int32_t> currentY =
        NumberWithin(save, "CurrentY", -LargestPosition, LargestPosition, where);
    const std::string levelFile = LevelFileName(*levelNumber);
    TSavedBoard saved;
    if (gameState == gsGamePlay) {
        saved = ReadSavedBoard(save, board.Defs, fileName);
        if (levels.IndexOf(levelFile) < 0) {
            throw Error(where + " plays level " + Text(*levelNumber) +
                        ", but the levels have no \"" + levelFile +
                        "\"; reinstall the game or load another saved game");
        }
    }

    TGame& game = board.Game;
    TLevel& level = board.Level;
    const TGame gameBefore = game;
    const TLevel levelBefore = level;
    const std::optional<int32_t> mode = Number(save, "Mode");
    if (mode && *mode >= gmNoLose && *mode <= gmStrategy) {
        game.Mode = *mode;
    }
    game.GameState = gameState;
    game.LevelNumber = *levelNumber;
    Assign(game.Score, score);
    Assign(game.PrevScore, prevScore);
    Assign(level.PutLeft, putLeft);
    Assign(game.Shifts, shifts);
    Assign(game.Shuffles, shuffles);

    if (game.GameState == gsGamePlay) {
        bool loaded = false;
        try {
            loaded = LoadLevel(board, levels, levelFile, false);
        } catch (const std::exception&) {
            game = gameBefore;
            level = levelBefore;
            throw;
        }
        if (!loaded) {
            game = gameBefore;
            level = levelBefore;
            throw Error(where + " plays level " + Text(*levelNumber) + ", whose file \"" +
                        levelFile + "\" is damaged; reinstall the game");
        }
        RestorePlay(board, std::move(saved), currentY);
    } else {
        ShowBetweenLevels(board, levels);
    }

    if (game.Mode != gmStrategy) {
        board.SetProperty("WGame_LPutsLeftCount", "Visible", "false");
    } else if (game.GameState == gsGamePlay) {
        // The danger is judged where the dead line will be once the view has scrolled there.
        game.ViewY = game.CurrentY;
        board.DangerCheck();
        game.ViewY = 0;
        board.SetProperty("WGame_LPutsLeftCount", "Visible", "true");
        board.SetProperty("WGame_LPutsLeftCount", "Caption", Text(level.PutLeft));
        if (level.Strategic != 0) {
            const double done = static_cast<double>(level.Strategic - level.PutLeft);
            board.SetProperty(
                "WGame_PBDead", "Position",
                Text(static_cast<int32_t>(std::nearbyint(done * 100.0 / level.Strategic))));
        }
    }
    return true;
}

std::optional<TSaveSummary> ReadSaveSummary(const std::filesystem::path& path) {
    try {
        const std::string fileName = path.string();
        TNyxParser document;
        ParseSave(document, DecodedLines(path), fileName);
        const TNyxXMLTag& save = FirstElement(document, fileName);
        if (save.Name != "GameSave") {
            return std::nullopt;
        }
        const std::string* state = AttributeText(save, "State");
        const bool between = state != nullptr && *state == "gsBetweenLevels";
        const std::optional<int32_t> level =
            NumberWithin(save, "Level", between ? 0 : 1, LargestPosition, fileName);
        if (!level) {
            return std::nullopt;
        }
        TSaveSummary summary;
        summary.LevelNumber = between ? *level + 1 : *level;
        summary.Score = NumberWithin(save, "Score", 0, LargestScore, fileName).value_or(0);
        summary.Mode = Number(save, "Mode").value_or(0);
        return summary;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace qz
