#pragma once
// What the "expect" and "botput" lines of an input script look at and do in a headless run:
// the screen state, the window stack, control properties, the game record, the files the
// game wrote, the sounds and messages so far; and the put the level bot would make, as the
// pointer and button events a player would give.

#include "app/InputScript.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qz {

class TForm1;

// What the run saw outside the window (the messages shown) and the values its "remember"
// lines kept, by subject.
struct TRunFacts {
    int32_t Messages = 0;
    std::string LastMessage;
    std::map<std::string, std::string, std::less<>> Remembered;
};

// The value of an expect line's subject now, or nothing for a subject that does not exist
// (then the line is wrong, not the game).
std::optional<std::string> SubjectValue(const TForm1& form, const TRunFacts& facts,
                                        const std::vector<std::string>& subject);

// Nothing when the expectation holds; otherwise what was wanted and what was found.
// Numbers compare as numbers, other values as text; the value "remembered" stands for what
// the last "remember" of the same subject kept.
std::optional<std::string> FailedExpectation(const TForm1& form, const TRunFacts& facts,
                                             const TScriptEvent& expect);

// One line of what the expect subjects without arguments show now.
std::string StateReport(const TForm1& form, const TRunFacts& facts);

// The subject's words joined by blanks, as "remember" keeps it.
std::string SubjectName(const std::vector<std::string>& subject);

// The script lines of the put the bot would make with the crystal in hand: a right click
// per turn, then a click where the crystal snaps (for "botaim" a move there, so that the
// preview shows; for "botkeys" the keys instead: X per turn, the arrows to the place, and
// Enter). Nothing when no put is possible.
std::vector<TScriptEvent> BotPutLines(TForm1& form, const TScriptEvent& line);

} // namespace qz
