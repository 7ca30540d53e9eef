#pragma once
// The level files of a levels archive in playing order, for the commands that walk them all.

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

class TFileFolder;

namespace tool {

struct TLevelFile {
    int64_t Number = 0; // 7 for "Level7.xml"
    std::string Name;
};

// Every entry named "Level" + a number + ".xml" (any case), by number.
std::vector<TLevelFile> LevelFiles(const TFileFolder& levels);

} // namespace tool
} // namespace qz
