#include "game/HighScores.h"

#include "archive/CUnit.h"
#include "archive/Helpers.h"

namespace qz {

namespace {

constexpr size_t MaxLoadedEntries = 21;

// The text after the first `name="` up to the next double quote; empty when either is
// missing.
std::string AttributeValue(std::string_view line, std::string_view name) {
    const std::string opening = std::string(name) + "=\"";
    const size_t start = line.find(opening);
    if (start == std::string_view::npos)
        return {};
    const size_t from = start + opening.size();
    const size_t end = line.find('"', from);
    if (end == std::string_view::npos)
        return {};
    return std::string(line.substr(from, end - from));
}

} // namespace

THighScores ParseHighScores(std::string_view fileText) {
    THighScores table;
    size_t begin = 0;
    while (begin < fileText.size() && table.size() < MaxLoadedEntries) {
        size_t end = fileText.find('\n', begin);
        if (end == std::string_view::npos)
            end = fileText.size();
        std::string_view line = fileText.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string plain = DecodeText(line);
        const std::optional<int32_t> score = TryStrToInt(AttributeValue(plain, "score"));
        if (!score)
            continue;
        table.push_back({AttributeValue(plain, "name"), *score});
    }
    return table;
}

std::string HighScoresText(const THighScores& table) {
    std::string text;
    for (const THighScore& entry : table) {
        text += EncodeText("<High name=\"" + entry.Name + "\" score=\"" +
                           std::to_string(entry.Score) + "\" />");
        text += "\r\n";
    }
    return text;
}

size_t InsertHighScore(THighScores& table, const std::string& name, int32_t score) {
    size_t position = 0;
    while (position < table.size() && table[position].Score >= score)
        ++position;
    table.insert(table.begin() + static_cast<std::ptrdiff_t>(position), THighScore{name, score});
    return position;
}

std::string HighScoreRow(size_t position, const THighScore& entry) {
    return "Text=\"" + std::to_string(position + 1) + "\";Text=\"" + entry.Name + "\";Text=\"" +
           std::to_string(entry.Score) + "\";";
}

} // namespace qz
