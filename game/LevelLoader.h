#pragma once
// Reading a level file of the levels archive (enciphered or plain) into the board's
// level record, and the preparation of a fresh start.

#include "archive/MemoryStream.h"

#include <optional>
#include <string_view>

namespace qz {

class TBoard;
class TFileFolder;

// Flags of the last load: whether the file was plain text, and whether it was no text
// even after deciphering.
struct TLevelLoadFlags {
    bool LevelWasPlain = false;
    bool BadLevelFile = false;
};
TLevelLoadFlags& LevelLoadFlags();

// The level entry as text: as stored when plain, deciphered with the data key otherwise;
// nothing when it is no text either way. Sets the flags above.
std::optional<TMemoryStream> ReadLevelText(TFileFolder& levels, std::string_view fileName);
// The level's music, unless it is the one playing already.
void StartLevelMusic(TBoard& board);
// Empties every list of the level, sets the view to 0 and clears the danger bar.
void ResetLevel(TBoard& board);
// False (with BadLevelFile set and nothing changed) when the entry is not text even after
// deciphering. freshStart false leaves layers and bosses for a saved game to fill.
bool LoadLevel(TBoard& board, TFileFolder& levels, std::string_view fileName, bool freshStart);

} // namespace qz
