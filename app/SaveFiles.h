#pragma once
// Save names as the player types them (the game's 8-bit text) and the files they name in the
// saves folder: UTF-8 file names ending in ".sav".

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// A name's UTF-8 file name may be at most this long, ".sav" not counted.
constexpr size_t LongestSaveName = 64;
// The game left unfinished when the player quit, which the title continues: kept beside the
// saves under a name no save may take, and never listed among them.
constexpr std::string_view ResumeSaveName = "resume";
std::filesystem::path ResumeSavePath(const std::filesystem::path& folder);

// The file of the save called name in folder. An Error says why a name cannot be one: empty,
// longer than LongestSaveName bytes, holding "/", "\", a quote, "..", a control character,
// starting with a dot, or ResumeSaveName; so no name reaches outside the folder, makes a
// hidden or unusable file, or takes the place of the game the title continues.
std::filesystem::path SaveFilePath(const std::filesystem::path& folder, std::string_view name);

// The names of the saves in folder, sorted: the regular ".sav" files whose names SaveFilePath
// would make, so every name listed loads back.
std::vector<std::string> SaveNames(const std::filesystem::path& folder);

// When file was last written, as "YYYY-MM-DD HH:MM" in local time or in UTC; empty when the
// file's time cannot be read.
std::string SaveTimeText(const std::filesystem::path& file, bool utc);

} // namespace qz
