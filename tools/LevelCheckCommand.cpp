// quarzel-data level-check: loads one level of the shipped archives with the game's own
// loaders and lists every problem it has, one per line.

#include "Commands.h"
#include "game/HeadlessGame.h"
#include "game/LevelCheck.h"

#include <iostream>

namespace qz::tool {

int RunLevelCheck(const Arguments& arguments) {
    if (arguments.size() != 3) {
        throw UsageError{};
    }
    THeadlessGame game(arguments[0], arguments[1]);
    const std::vector<std::string> found = CheckLevel(*game.Board, *game.Levels, arguments[2]);
    std::vector<std::string> problems = game.Problems;
    problems.insert(problems.end(), found.begin(), found.end());
    for (const std::string& problem : problems) {
        std::cout << problem << "\n";
    }
    if (problems.empty()) {
        std::cout << arguments[2] << ": no problems\n";
    }
    return problems.empty() ? 0 : 1;
}

} // namespace qz::tool
