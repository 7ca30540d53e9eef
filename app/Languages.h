#pragma once
// The language files of the folder "lng": "ENU_1.lng" is the English file in place 1 of
// the language list. The code is the name's first three characters, the place the number
// between the first "_" and the following ".".

#include <filesystem>
#include <string>
#include <vector>

namespace qz {

struct TLanguageFile {
    std::string Code; // as written in the file name
    int32_t Place = 0;
    std::filesystem::path Path;
};

// The folder's language files by place, ties in name order; names ending in other than
// "lng" (compared with case), folders and names too short for a code are skipped. A place
// that is not a number sorts after every numbered one. A missing folder gives none.
std::vector<TLanguageFile> ListLanguageFiles(const std::filesystem::path& folder);

// Where the k-th extra language button (k from 1) stands relative to the English one:
// five in a column below it, then a second column 200 pixels to the right.
struct TLanguageButtonOffset {
    int32_t Left = 0;
    int32_t Top = 0;
};
TLanguageButtonOffset LanguageButtonOffset(int32_t k);

// The caption a language file gives its own button "WLanguage_RB<CODE>" (the language's
// name in that language); empty when the file names none or cannot be read.
std::string LanguageOwnName(const TLanguageFile& file);

// The code stored as the persisted language: its first three characters in lower case.
std::string PersistedLanguageCode(const std::string& stored);

} // namespace qz
