#include "game/Progress.h"

#include "archive/Error.h"
#include "game/GameRecords.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace qz {

namespace {

constexpr std::string_view Heading = "Quarzel progress";
// No game has this many levels or scores this much in one: larger numbers mean damage.
constexpr int32_t MostLevels = 1000;
constexpr int32_t LargestLevelScore = 1'000'000'000;

size_t ModeIndex(int32_t mode) {
    return mode >= gmNoLose && mode <= gmStrategy ? static_cast<size_t>(mode - gmNoLose) : 0;
}

int32_t NumberOf(const std::string& word, int32_t lowest, int32_t highest,
                 const std::string& where) {
    int32_t value = 0;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (failure != std::errc() || end != word.data() + word.size() || value < lowest ||
        value > highest)
        throw Error(where + " has \"" + word + "\" where a number from " + std::to_string(lowest) +
                    " to " + std::to_string(highest) + " belongs");
    return value;
}

int32_t ReadNumber(std::istringstream& words, int32_t lowest, int32_t highest,
                   const std::string& where) {
    std::string word;
    if (!(words >> word))
        throw Error(where + " ends early");
    return NumberOf(word, lowest, highest, where);
}

void ExpectWord(std::istringstream& words, std::string_view expected, const std::string& where) {
    std::string word;
    if (!(words >> word) || word != expected)
        throw Error(where + " lacks \"" + std::string(expected) + "\"");
}

} // namespace

TModeProgress& TProgress::Of(int32_t mode) {
    return Modes[ModeIndex(mode)];
}

const TModeProgress& TProgress::Of(int32_t mode) const {
    return Modes[ModeIndex(mode)];
}

int32_t TProgress::BestOf(int32_t mode, int32_t level) const {
    const std::vector<int32_t>& best = Of(mode).Best;
    return level >= 1 && static_cast<size_t>(level) <= best.size()
               ? best[static_cast<size_t>(level - 1)]
               : -1;
}

void TProgress::Finished(int32_t mode, int32_t level, int32_t points, int32_t lastLevel) {
    if (level < 1 || level > MostLevels)
        return;
    TModeProgress& progress = Of(mode);
    progress.Reached = std::max(progress.Reached, std::min(level + 1, std::max(lastLevel, 1)));
    if (progress.Best.size() < static_cast<size_t>(level))
        progress.Best.resize(static_cast<size_t>(level), -1);
    int32_t& best = progress.Best[static_cast<size_t>(level - 1)];
    best = std::max(best, std::clamp(points, 0, LargestLevelScore));
}

TProgress ParseProgress(std::string_view text) {
    std::istringstream lines{std::string(text)};
    std::string line;
    if (!std::getline(lines, line) || line.substr(0, line.find_last_not_of('\r') + 1) != Heading)
        throw Error("its first line is not \"" + std::string(Heading) + "\"");
    TProgress progress;
    for (int32_t number = 2; std::getline(lines, line); ++number) {
        if (line.find_first_not_of(" \r") == std::string::npos)
            continue;
        const std::string where = "line " + std::to_string(number);
        std::istringstream words(line);
        ExpectWord(words, "Mode", where);
        TModeProgress& mode = progress.Of(ReadNumber(words, gmNoLose, gmStrategy, where));
        ExpectWord(words, "Reached", where);
        mode.Reached = ReadNumber(words, 1, MostLevels, where);
        ExpectWord(words, "Best", where);
        mode.Best.clear();
        for (std::string word; words >> word;) {
            if (mode.Best.size() >= static_cast<size_t>(MostLevels))
                throw Error(where + " holds more levels than a game has");
            mode.Best.push_back(NumberOf(word, -1, LargestLevelScore, where));
        }
    }
    return progress;
}

std::string ProgressText(const TProgress& progress) {
    std::string text = std::string(Heading) + "\n";
    for (int32_t mode = gmNoLose; mode <= gmStrategy; ++mode) {
        const TModeProgress& entry = progress.Of(mode);
        text +=
            "Mode " + std::to_string(mode) + " Reached " + std::to_string(entry.Reached) + " Best";
        for (const int32_t best : entry.Best)
            text += " " + std::to_string(best);
        text += "\n";
    }
    return text;
}

} // namespace qz
