#pragma once
// Saved games: the running game written as a small GameSave document, each line passed
// through the keyless line codec, and read back into the board with its level reloaded.

#include "archive/ReplaceFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace qz {

class TBoard;
class TFileFolder;

// Writes mode, state, level, score, tool charges, puts left and the dead line, and during
// play the on-board crystals of the current and later layers and the bosses. The file is
// replaced only once the new text is complete on disk (missing folders are created; calls is
// the safe writer's test seam); an IOError names the file when it cannot be written.
void SaveGame(const std::filesystem::path& path, const TBoard& board,
              const TWriteCalls& calls = {});
// The text SaveGame writes for the board as it stands.
std::string GameSaveText(const TBoard& board);

// Restores a saved game into the board. False when the file does not exist (nothing
// changed). Everything else that keeps the file from loading raises an Error naming the file
// before anything is changed: a document without elements (path + "XML file does not has
// tags!"), one cut short or whose first element is not GameSave, a missing or out-of-range
// level, a number far outside what a game reaches, a crystal type, count, bonus kind or boss
// type outside its range, and a level file missing from levels or not loading.
//
// Other numbers of the GameSave element that do not read leave their field as it was; a
// crystal or boss without a readable position or type is skipped, so is a crystal that fits
// the lattice nowhere where it stands, an unreadable count reads 1
// and an unreadable bonus kind none. A play-state file without crystal layers gets one empty
// layer (so there is a hand to deal), and one without bosses has none. The undo history is
// cleared.
//
// The captions, the puts-left label, the dead bar, the level music and (between levels) the
// "WBetweenLevel" window with its level labels go through the board's services. The caller
// reads Board.Game.GameState to choose the screen, redraws the background, and clears the
// one-shot hint flags.
bool LoadGame(const std::filesystem::path& path, TBoard& board, TFileFolder& levels);

// What the lists of saved games show of one: its mode (0 when the file names none), the level
// it plays (between levels, the next one), and its score.
struct TSaveSummary {
    int32_t Mode = 0;
    int32_t LevelNumber = 0;
    int32_t Score = 0;
};
// The summary of the saved game at path, read as LoadGame reads it; nullopt when the file
// would not load for its text (missing, damaged, no level).
std::optional<TSaveSummary> ReadSaveSummary(const std::filesystem::path& path);

} // namespace qz
