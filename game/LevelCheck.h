#pragma once
// The problems of one level file, as the level designer needs to hear them: crystals that
// do not snap to the lattice, layers without a main boss, bosses over no crystal, shape
// names that match nothing, colours out of range, bonus weights that yield no kind.

#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TBoard;
class TFileFolder;

// Loads the level for a fresh start with the game's own loader and lists every problem,
// one text each; empty when the level is sound.
std::vector<std::string> CheckLevel(TBoard& board, TFileFolder& levels, std::string_view fileName);

} // namespace qz
