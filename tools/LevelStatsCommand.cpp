// quarzel-data level-stats: the difficulty curve of the levels. The bot plays every level
// over a number of seeds in each mode, as the perfect player and as the human-like one, and
// the command prints one table row per level and mode with the share of games won, lost and
// stuck and the medians of the games won.

#include "Commands.h"
#include "LevelFiles.h"
#include "StillPicture.h"
#include "archive/Error.h"
#include "archive/Helpers.h"
#include "archive/Random.h"
#include "game/HeadlessGame.h"
#include "game/LevelBot.h"
#include "game/LevelLoader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>

namespace qz::tool {

namespace {

// A game the bot has not ended after this many puts counts as stuck.
constexpr int32_t MaxPuts = 2000;

struct TStyle {
    std::string Name;
    TBotStyle Style;
};

struct TStatsCall {
    std::string Levels;
    std::string Game;
    int32_t Seeds = 30;
    std::vector<int32_t> Modes{gmNoLose, gmPuzzle, gmStrategy};
    std::vector<TStyle> Styles{{"perfect", TBotStyle::Perfect()}, {"human", TBotStyle::Human()}};
    int64_t First = 1;
    int64_t Last = INT64_MAX;
};

int32_t PositiveNumber(const std::string& text, int32_t most) {
    const std::optional<int64_t> value = TryStrToInt64(text);
    if (!value || *value < 1 || *value > most) {
        throw UsageError{};
    }
    return static_cast<int32_t>(*value);
}

TStatsCall ReadCall(const Arguments& arguments) {
    if (arguments.size() < 2 || arguments.size() % 2 != 0) {
        throw UsageError{};
    }
    TStatsCall call;
    call.Levels = arguments[0];
    call.Game = arguments[1];
    for (size_t i = 2; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        const std::string& value = arguments[i + 1];
        if (option == "--seeds") {
            call.Seeds = PositiveNumber(value, 100000);
        } else if (option == "--modes") {
            call.Modes.clear();
            for (const std::string& mode : SplitString(value, ',')) {
                call.Modes.push_back(PositiveNumber(mode, gmStrategy));
            }
        } else if (option == "--bot") {
            if (value == "perfect" || value == "human") {
                std::erase_if(call.Styles,
                              [&](const TStyle& style) { return style.Name != value; });
            } else if (value != "both") {
                throw UsageError{};
            }
        } else if (option == "--levels") {
            const std::vector<std::string> ends = SplitString(value, '-');
            if (ends.size() > 2) {
                throw UsageError{};
            }
            call.First = PositiveNumber(ends.front(), INT32_MAX);
            call.Last = PositiveNumber(ends.back(), INT32_MAX);
            if (call.Last < call.First) {
                throw UsageError{};
            }
        } else {
            throw UsageError{};
        }
    }
    return call;
}

const char* ModeName(int32_t mode) {
    return mode == gmNoLose ? "no-lose" : mode == gmPuzzle ? "puzzle" : "strategy";
}

struct TRun {
    TBotResult Result;
    int32_t Milliseconds = 0;
};

// What one style made of one level in one mode over every seed.
struct TSummary {
    int32_t Runs = 0;
    int32_t Won = 0;
    int32_t Lost = 0;
    int32_t Stuck = 0;
    std::vector<double> Puts, Score, Seconds; // of the games won
};

TSummary Summarise(const std::vector<TRun>& runs) {
    TSummary summary;
    summary.Runs = static_cast<int32_t>(runs.size());
    for (const TRun& run : runs) {
        if (run.Result.Outcome == "won") {
            ++summary.Won;
            summary.Puts.push_back(run.Result.Puts);
            summary.Score.push_back(run.Result.Score);
            summary.Seconds.push_back(run.Milliseconds / 1000.0);
        } else if (run.Result.Outcome == "lost") {
            ++summary.Lost;
        } else {
            ++summary.Stuck;
        }
    }
    return summary;
}

std::string Median(std::vector<double> values, int decimals) {
    if (values.empty()) {
        return "-";
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    const double median =
        values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    // A whole number of puts or points between two middle games shows its half.
    const int shown = decimals == 0 && median != static_cast<int64_t>(median) ? 1 : decimals;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", shown, median);
    return text;
}

std::string Percent(int32_t part, int32_t whole) {
    return std::to_string(whole > 0 ? (200 * part + whole) / (2 * whole) : 0);
}

// The styles' values of one column, "perfect / human".
template <class Value> std::string Cell(const std::vector<TSummary>& summaries, Value value) {
    std::string cell;
    for (const TSummary& summary : summaries) {
        cell += (cell.empty() ? "" : " / ") + value(summary);
    }
    return cell;
}

// The level as loaded, before any put: its layers, the crystals of every layer and bosses.
struct TLevelSize {
    size_t Layers = 0;
    size_t Crystals = 0;
    size_t Bosses = 0;
};

void StartLevel(THeadlessGame& game, const std::string& level, int32_t mode, uint64_t seed) {
    TBoard& board = *game.Board;
    // Every game starts at the same tick, so that a long run's clock never wraps.
    game.Clock.Tick = THeadlessGame::TClock{}.Tick;
    Random().Seed(seed);
    board.Game = TGame{};
    board.Game.Mode = mode;
    board.Game.GameState = gsGamePlay;
    board.Game.Rescue = true;
    if (!LoadLevel(board, *game.Levels, level, true)) {
        throw Error(level + " is no level file: no text, even deciphered");
    }
}

TLevelSize SizeOf(const TLevel& level) {
    TLevelSize size;
    size.Layers = level.Layers.size();
    size.Bosses = level.Bosses.size();
    for (const TLayer& layer : level.Layers) {
        size.Crystals += static_cast<size_t>(
            std::count_if(layer.Fishkas.begin(), layer.Fishkas.end(),
                          [](const TFishka& fishka) { return fishka.State == fsOnBoard; }));
    }
    return size;
}

TRun Play(THeadlessGame& game, const std::string& level, int32_t mode, uint64_t seed,
          const TBotStyle& style) {
    StartLevel(game, level, mode, seed);
    const int32_t start = game.Clock.Tick;
    TRun run;
    run.Result = PlayLevel(
        *game.Board, [&game](int32_t ms) { game.Clock.Tick += ms; }, MaxPuts,
        [](const std::string&) {}, style);
    run.Milliseconds = game.Clock.Tick - start;
    return run;
}

} // namespace

int RunLevelStats(const Arguments& arguments) {
    const TStatsCall call = ReadCall(arguments);
    RequireFile(call.Levels, "levels archive");
    RequireFile(call.Game, "game archive");
    THeadlessGame game(call.Levels, call.Game);
    std::vector<TLevelFile> levels = LevelFiles(*game.Levels);
    std::erase_if(levels, [&](const TLevelFile& level) {
        return level.Number < call.First || level.Number > call.Last;
    });
    if (levels.empty()) {
        throw Error("The levels archive holds no level of those numbers");
    }

    std::string styles;
    for (const TStyle& style : call.Styles) {
        styles += (styles.empty() ? "" : " / ") + style.Name;
    }
    std::cout << "Bot: " << styles << ", " << call.Seeds
              << " seeds per level and mode; puts, score and time are medians of the games won.\n\n"
              << "| level | layers | crystals | bosses | mode | won % | lost % | stuck % | puts | "
                 "score | time s |\n"
              << "|---|---|---|---|---|---|---|---|---|---|---|\n";
    const size_t total =
        levels.size() * call.Modes.size() * call.Styles.size() * static_cast<size_t>(call.Seeds);
    size_t played = 0;
    const auto began = std::chrono::steady_clock::now();
    for (const TLevelFile& level : levels) {
        StartLevel(game, level.Name, gmNoLose, 1);
        const TLevelSize size = SizeOf(game.Board->Level);
        for (const int32_t mode : call.Modes) {
            std::vector<TSummary> summaries;
            for (const TStyle& style : call.Styles) {
                std::vector<TRun> runs;
                for (int32_t seed = 1; seed <= call.Seeds; ++seed) {
                    runs.push_back(
                        Play(game, level.Name, mode, static_cast<uint64_t>(seed), style.Style));
                }
                summaries.push_back(Summarise(runs));
                played += runs.size();
            }
            std::cout << "| " << level.Number << " | " << size.Layers << " | " << size.Crystals
                      << " | " << size.Bosses << " | " << ModeName(mode) << " | "
                      << Cell(summaries, [](const TSummary& s) { return Percent(s.Won, s.Runs); })
                      << " | "
                      << Cell(summaries, [](const TSummary& s) { return Percent(s.Lost, s.Runs); })
                      << " | "
                      << Cell(summaries, [](const TSummary& s) { return Percent(s.Stuck, s.Runs); })
                      << " | "
                      << Cell(summaries, [](const TSummary& s) { return Median(s.Puts, 0); })
                      << " | "
                      << Cell(summaries, [](const TSummary& s) { return Median(s.Score, 0); })
                      << " | "
                      << Cell(summaries, [](const TSummary& s) { return Median(s.Seconds, 1); })
                      << " |" << std::endl;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        std::cerr << "level-stats: " << level.Name << " done, " << played << " of " << total
                  << " games in " << static_cast<int64_t>(seconds) << " s\n";
    }
    return 0;
}

} // namespace qz::tool
