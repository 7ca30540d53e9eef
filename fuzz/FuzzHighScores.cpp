// Reads any bytes as a high-score file, then does with the table what the game does: puts a
// new score in, shows every row and writes the file again, which must read back with the
// same scores in the same order.

#include "FuzzCheck.h"
#include "game/HighScores.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qz::THighScores table = qz::ParseHighScores(text);
    qz::fuzz::Check(table.size() <= 21);
    const int32_t score = table.empty() ? 0 : table.front().Score;
    const size_t position = qz::InsertHighScore(table, "Player", score);
    qz::fuzz::Check(position < table.size() && table[position].Score == score);
    for (size_t i = 0; i < table.size(); ++i) {
        qz::HighScoreRow(i, table[i]);
    }
    // A name holding another attribute's text may hide its entry's score; the others come
    // back as written.
    qz::THighScores plain;
    for (const qz::THighScore& entry : table) {
        if (entry.Name.find("score=\"") == std::string::npos &&
            entry.Name.find("name=\"") == std::string::npos) {
            plain.push_back(entry);
        }
    }
    plain.resize(std::min<size_t>(plain.size(), 21));
    const qz::THighScores again = qz::ParseHighScores(qz::HighScoresText(plain));
    qz::fuzz::Check(again.size() == plain.size());
    for (size_t i = 0; i < again.size(); ++i) {
        qz::fuzz::Check(again[i].Score == plain[i].Score);
    }
    return 0;
}
