#pragma once
// The two high-score tables (real-time puzzle and turn-based strategy play), best first,
// and their file text: one line per entry, each the element
// <High name="NAME" score="SCORE" /> passed through EncodeText.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

struct THighScore {
    std::string Name;
    int32_t Score = 0;
};

using THighScores = std::vector<THighScore>;

// At most 21 entries are read; a line whose score is not an integer is skipped.
THighScores ParseHighScores(std::string_view fileText);
// Lines end in CR LF; an empty table gives an empty text.
std::string HighScoresText(const THighScores& table);

// Inserts in front of the first lower score (an equal score stays in front of the new
// one) and returns the new entry's 0-based position.
size_t InsertHighScore(THighScores& table, const std::string& name, int32_t score);

// One grid row per entry: rank, name and score as cells.
std::string HighScoreRow(size_t position, const THighScore& entry);

} // namespace qz
