// quarzel-data play: a bot plays one level of the shipped archives with the real rules and
// no screen, one line per put and a last line with the result.

#include "Commands.h"
#include "archive/Error.h"
#include "archive/Random.h"
#include "game/HeadlessGame.h"
#include "game/LevelBot.h"
#include "game/LevelLoader.h"

#include <iostream>

namespace qz::tool {

int RunPlay(const Arguments& arguments) {
    if (arguments.size() < 3) {
        throw UsageError{};
    }
    std::optional<int32_t> mode;
    std::optional<int64_t> seed;
    int32_t maxPuts = 2000;
    for (size_t i = 3; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size()) {
            throw UsageError{};
        }
        const std::string& option = arguments[i];
        const std::optional<int64_t> value = TryStrToInt64(arguments[i + 1]);
        if (!value) {
            throw UsageError{};
        }
        if (option == "--mode" && *value >= gmNoLose && *value <= gmStrategy) {
            mode = static_cast<int32_t>(*value);
        } else if (option == "--seed") {
            seed = *value;
        } else if (option == "--max-puts" && *value >= 0 && *value <= INT32_MAX) {
            maxPuts = static_cast<int32_t>(*value);
        } else {
            throw UsageError{};
        }
    }
    if (!mode || !seed) {
        throw UsageError{};
    }
    THeadlessGame game(arguments[0], arguments[1]);
    TBoard& board = *game.Board;
    Random().Seed(static_cast<uint64_t>(*seed));
    board.Game.Mode = *mode;
    board.Game.GameState = gsGamePlay;
    board.Game.Rescue = true;
    if (!LoadLevel(board, *game.Levels, arguments[2], true)) {
        throw Error(arguments[2] + " is no level file: no text, even deciphered");
    }
    const TBotResult result = PlayLevel(
        board, [&game](int32_t ms) { game.Clock.Tick += ms; }, maxPuts,
        [](const std::string& line) { std::cout << line << "\n"; });
    std::cout << "result: " << result.Outcome << " puts=" << result.Puts
              << " score=" << result.Score << "\n";
    return result.Outcome == "won" ? 0 : 1;
}

} // namespace qz::tool
