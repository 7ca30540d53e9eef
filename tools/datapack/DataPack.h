#pragma once
// Assembles a game archive from files on disk: plain entries, pictures split into the compact
// colour-plus-transparency pair, composition scripts set up to run at start-up and level files
// enciphered with the data key. The result depends only on the inputs and their order.

#include "archive/MemoryStream.h"

#include <string>
#include <vector>

namespace qz {

enum class TPackMode {
    pmPlain,   // the file's bytes under its name
    pmCompact, // a PNG stored as NAME._JPG (colours) and NAME._PNG (transparency)
    pmScript,  // an AutoImage script stored as NAME._aim, run by the start-up conversion
    pmCipher,  // the file enciphered with the data key
};

struct TPackItem {
    TPackMode Mode = TPackMode::pmPlain;
    std::string File;  // path on disk
    std::string Entry; // archive entry name; for compact and script items the base name
};

// The items of a command line: "--plain FILE[=NAME]", "--dir FOLDER" (every file of the
// folder, by name), "--compact FILE.png", "--script FILE.aim", "--cipher FILE". Raises
// qz::Error on an unknown word or a missing folder.
std::vector<TPackItem> ParsePackItems(const std::vector<std::string>& words);

// Writes the archive fileName holding the items in order; JPEG colour halves at quality.
void PackArchive(const std::vector<TPackItem>& items, const std::string& fileName,
                 int quality = 90);

} // namespace qz
