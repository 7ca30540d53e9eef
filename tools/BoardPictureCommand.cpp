// quarzel-data board-picture: the starting board of a level as the game screen shows it
// once the view has settled: the play background, the picture map, the fragment hints, the
// crystals of the first layer with their bonus marks, the level pictures, the bosses and
// the queue, drawn with the game's surface engine from the level as the game loads it.

#include "Commands.h"
#include "StillPicture.h"
#include "archive/Error.h"
#include "archive/Random.h"
#include "game/HeadlessGame.h"
#include "game/LevelLoader.h"
#include "game/PieceGraphics.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace qz::tool {

namespace {

constexpr int32_t ScreenWidth = 800;
constexpr int32_t ScreenHeight = 600;
constexpr int32_t RowHeight = 42;
constexpr int32_t CopyRise = 9;     // each further hit of a crystal sits this much higher
constexpr uint8_t HiddenTint = 180; // a hidden colour is drawn this far towards black

class TBoardPainter {
public:
    TBoardPainter(THeadlessGame& game, TStillPicture& picture)
        : board_(*game.Board), defs_(game.Defs), picture_(picture) {}

    void Paint() {
        picture_.Draw("GamePlay2.jpg", 0, 0);
        PictureMap();
        FragHints();
        Crystals();
        Bosses();
        Queue();
    }

private:
    // The board mapping: lattice y grows upwards, the screen's downwards.
    int32_t ScreenX(int32_t x) const { return x - board_.Game.ViewX; }
    int32_t ScreenY(int32_t y) const { return board_.Game.ViewY - y + 590; }

    void PictureMap() {
        const TPictureMap& map = board_.Level.PictureMap;
        if (map.LineWidth <= 0) {
            return;
        }
        // The cells list the bottom line first; a cell value v shows image v, 0 none.
        for (size_t i = 0; i < map.Cells.size(); ++i) {
            const int32_t v = map.Cells[i];
            if (v < 1 || static_cast<size_t>(v) > map.Images.size()) {
                continue;
            }
            const auto column = static_cast<int32_t>(i) % map.LineWidth;
            const auto line = static_cast<int32_t>(i) / map.LineWidth;
            picture_.Draw(map.Images[static_cast<size_t>(v - 1)],
                          ScreenX(map.x + column * map.OneWidth),
                          ScreenY(map.y + (line + 1) * map.OneHeight));
        }
    }

    void FragHints() {
        if (!board_.HasLayer()) {
            return;
        }
        for (const TPoint& point : board_.Layer().Contour) {
            picture_.Draw("FragHint.png", ScreenX(point.X) - 21, ScreenY(point.Y));
        }
    }

    // A picture missing from the archives ends the layer, as on the game screen.
    bool Crystal(const TFishka& fishka) {
        const std::string& image = defs_.FishkaTypes[static_cast<size_t>(fishka.FType)].Image;
        if (!picture_.Load(image)) {
            return false;
        }
        for (int32_t copy = 0; copy < std::max<int32_t>(1, fishka.Count); ++copy) {
            picture_.Draw(image, ScreenX(fishka.x), ScreenY(fishka.y) - CopyRise * copy);
        }
        const TBonusMark& mark = fishka.BonusEffect;
        if (mark.Active) {
            if (const auto size = picture_.Load(mark.Image)) {
                // A mark is a strip of square frames; a still shows the first.
                const int32_t frame = std::min(size->Width, size->Height);
                picture_.Draw(mark.Image, ScreenX(mark.Position.X) - frame / 2,
                              ScreenY(mark.Position.Y) - frame / 2 -
                                  CopyRise * (std::max<int32_t>(1, fishka.Count) - 1),
                              255, TRect{0, 0, frame - 1, size->Height - 1});
            }
        }
        return true;
    }

    void LevelPicture(const TLevelPicture& level) {
        if (!level.Images.empty()) {
            picture_.Draw(level.Images.front(), ScreenX(level.x), ScreenY(level.y));
        }
    }

    // Higher rows first, so that crystals of lower rows stand in front; each level picture
    // joins the band of rows its y - Sy falls in.
    void Crystals() {
        std::vector<const TLevelPicture*> pictures;
        for (const TLevelPicture& level : board_.Level.Pictures) {
            pictures.push_back(&level);
        }
        const auto band = [](int32_t y) {
            return y >= 0 ? y / RowHeight : -((-y + RowHeight - 1) / RowHeight);
        };
        std::stable_sort(pictures.begin(), pictures.end(), [&](const auto* a, const auto* b) {
            return band(a->y - a->Sy) > band(b->y - b->Sy);
        });
        auto next = pictures.begin();
        if (board_.HasLayer()) {
            TIntegers order = board_.DrawOrder;
            std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
                return band(board_.Fishka(a).y) > band(board_.Fishka(b).y);
            });
            for (const int32_t index : order) {
                const TFishka& fishka = board_.Fishka(index);
                for (; next != pictures.end() && band((*next)->y - (*next)->Sy) > band(fishka.y);
                     ++next) {
                    LevelPicture(**next);
                }
                if (!Crystal(fishka)) {
                    break;
                }
            }
        }
        for (; next != pictures.end(); ++next) {
            LevelPicture(**next);
        }
    }

    void Bosses() {
        for (const TBoss& boss : board_.Level.Bosses) {
            const TBossType& type = defs_.BossTypes[static_cast<size_t>(boss.Type)];
            picture_.Draw(type.Image, ScreenX(boss.x), ScreenY(boss.y));
        }
    }

    void Queue() {
        const TIntegers& queue = board_.Game.Queue;
        for (size_t k = 1; k < queue.size() && k < static_cast<size_t>(QueueLength); ++k) {
            const TFishka& fishka = board_.Fishka(queue[k]);
            const TPoint at = Slot(static_cast<int32_t>(k));
            const TFishkaType& type = defs_.FishkaTypes[static_cast<size_t>(fishka.FType)];
            if (fishka.ColorHidden == 0) {
                picture_.Draw(type.Image, at.X, at.Y);
                continue;
            }
            // A hidden colour shows the shape in the first colour, darkened.
            const std::string shown =
                defs_.FishkaShapes[static_cast<size_t>(type.Shape)].Name + "_0.pNg";
            if (picture_.Load(shown)) {
                picture_.Engine.DrawImage(shown, TStillPicture::Target, HiddenTint, 0, std::nullopt,
                                          255, at.X, at.Y);
            }
        }
    }

    TBoard& board_;
    const TDefinitions& defs_;
    TStillPicture& picture_;
};

// Loads the level for a fresh start and lets the view settle where play begins.
void StartLevel(THeadlessGame& game, const std::string& level, uint64_t seed) {
    if (game.Levels->IndexOf(level) < 0) {
        throw Error("The levels archive holds no level \"" + level + "\"");
    }
    TBoard& board = *game.Board;
    Random().Seed(seed);
    board.Game = TGame{};
    board.Game.GameState = gsGamePlay;
    if (!LoadLevel(board, *game.Levels, level, true)) {
        throw Error(level + " is no level file: no text, even deciphered");
    }
    board.Game.ViewY = board.Game.CurrentY;
    board.Game.ScrollMid = board.Game.CurrentY;
    board.Game.ViewX = board.Game.ViewY / 2;
    if (board.HasLayer()) {
        board.BuildContour();
    }
}

void WriteBoard(THeadlessGame& game, const std::string& level, uint64_t seed,
                const std::string& out) {
    StartLevel(game, level, seed);
    TStillPicture picture(game, ScreenWidth, ScreenHeight, 0);
    PrepareCrystalPictures(game.Defs, *game.Levels, picture.Engine);
    PrepareBonusPictures(game.Defs, *game.Game, picture.Engine);
    TBoardPainter(game, picture).Paint();
    picture.SavePNG(out);
    std::cout << out << ": " << level << "\n";
}

// The level files of the archive in playing order: Level1.xml, Level2.xml, ...
std::vector<std::string> LevelNames(const TFileFolder& levels) {
    std::vector<std::pair<int64_t, std::string>> found;
    for (const TDirEntry& entry : levels.Dir) {
        const std::string name = entry.Name();
        const std::string lower = LowerCase(name);
        if (!lower.starts_with("level") || !lower.ends_with(".xml")) {
            continue;
        }
        const std::optional<int64_t> number = TryStrToInt64(name.substr(5, name.size() - 9));
        if (number) {
            found.emplace_back(*number, name);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (const auto& [number, name] : found) {
        names.push_back(name);
    }
    return names;
}

} // namespace

int RunBoardPicture(const Arguments& arguments) {
    Arguments words = arguments;
    uint64_t seed = 1;
    const auto option = std::find(words.begin(), words.end(), "--seed");
    if (option != words.end()) {
        const std::optional<int64_t> value =
            option + 1 != words.end() ? TryStrToInt64(*(option + 1)) : std::nullopt;
        if (!value || *value < 0) {
            throw UsageError{};
        }
        seed = static_cast<uint64_t>(*value);
        words.erase(option, option + 2);
    }
    if (words.size() != 4) {
        throw UsageError{};
    }
    RequireFile(words[0], "game archive");
    RequireFile(words[1], "levels archive");
    THeadlessGame game(words[1], words[0]);
    if (words[2] != "--all") {
        WriteBoard(game, words[2], seed, words[3]);
        return 0;
    }
    std::filesystem::create_directories(words[3]);
    const std::vector<std::string> levels = LevelNames(*game.Levels);
    if (levels.empty()) {
        throw Error("The levels archive holds no level");
    }
    for (const std::string& level : levels) {
        const std::string stem = level.substr(0, level.size() - 4);
        WriteBoard(game, level, seed, (std::filesystem::path(words[3]) / (stem + ".png")).string());
    }
    return 0;
}

} // namespace qz::tool
