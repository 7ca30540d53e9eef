// quarzel-data board-picture: the starting board of a level as the game screen shows it
// once the view has settled: the play background, the picture map, the fragment hints, the
// crystals of the first layer with their bonus marks, the level pictures, the bosses and
// the queue, drawn by the game screen's own drawing from the level as the game loads it.

#include "Commands.h"
#include "LevelFiles.h"
#include "StillPicture.h"
#include "archive/Error.h"
#include "archive/Random.h"
#include "game/GameScreen.h"
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

// Loads every picture the board's background refers to, as the game has them at start-up.
void LoadBoardPictures(const TBoard& board, TStillPicture& picture) {
    picture.Load("GamePlay2.jpg");
    picture.Load("FragHint.png");
    for (const std::string& image : board.Level.PictureMap.Images) {
        picture.Load(image);
    }
    for (const TLevelPicture& level : board.Level.Pictures) {
        if (!level.Images.empty()) {
            picture.Load(level.Images.front());
        }
    }
    if (board.HasLayer()) {
        for (const TFishka& fishka : board.Layer().Fishkas) {
            if (fishka.BonusEffect.Active) {
                picture.Load(fishka.BonusEffect.Image);
            }
        }
    }
    for (const TBoss& boss : board.Level.Bosses) {
        if (boss.Type >= 0 && static_cast<size_t>(boss.Type) < board.Defs.BossTypes.size()) {
            picture.Load(board.Defs.BossTypes[static_cast<size_t>(boss.Type)].Image);
        }
    }
}

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
    LoadBoardPictures(*game.Board, picture);
    // The board as the game bakes it behind its windows.
    if (!picture.Engine.CreateBlankSurface(BackgroundSurface, ScreenWidth, ScreenHeight)) {
        throw Error("Cannot make the background picture");
    }
    TGameScreen(picture.Engine, game.Defs)
        .PrepareBackground(*game.Board, false, TStillBoard::PiecesAndQueue, game.Board->Now());
    picture.Engine.CopyOpaque(BackgroundSurface, TStillPicture::Target, std::nullopt, 0, 0);
    picture.SavePNG(out);
    std::cout << out << ": " << level << "\n";
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
    const std::vector<TLevelFile> levels = LevelFiles(*game.Levels);
    if (levels.empty()) {
        throw Error("The levels archive holds no level");
    }
    for (const TLevelFile& level : levels) {
        const std::string stem = level.Name.substr(0, level.Name.size() - 4);
        WriteBoard(game, level.Name, seed,
                   (std::filesystem::path(words[3]) / (stem + ".png")).string());
    }
    return 0;
}

} // namespace qz::tool
