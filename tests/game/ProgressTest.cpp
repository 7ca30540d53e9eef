#include "game/Progress.h"

#include "archive/Error.h"
#include "game/GameRecords.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

TEST(Progress, FinishedLevelsMoveTheMapOnAndKeepTheBestScore) {
    TProgress progress;
    EXPECT_EQ(progress.Of(gmPuzzle).Reached, 1);
    EXPECT_EQ(progress.BestOf(gmPuzzle, 1), -1);
    progress.Finished(gmPuzzle, 1, 500, 20);
    progress.Finished(gmPuzzle, 1, 300, 20); // a worse replay keeps the best
    progress.Finished(gmPuzzle, 3, 40, 20);  // a level reached by a loaded save
    EXPECT_EQ(progress.Of(gmPuzzle).Reached, 4);
    EXPECT_EQ(progress.BestOf(gmPuzzle, 1), 500);
    EXPECT_EQ(progress.BestOf(gmPuzzle, 2), -1);
    EXPECT_EQ(progress.BestOf(gmPuzzle, 3), 40);
    EXPECT_EQ(progress.Of(gmStrategy).Reached, 1); // each mode on its own
    progress.Finished(gmStrategy, 20, -5, 20);     // the last level reaches no further
    EXPECT_EQ(progress.Of(gmStrategy).Reached, 20);
    EXPECT_EQ(progress.BestOf(gmStrategy, 20), 0);

    const TProgress read = ParseProgress(ProgressText(progress));
    for (int32_t mode = gmNoLose; mode <= gmStrategy; ++mode) {
        EXPECT_EQ(read.Of(mode).Reached, progress.Of(mode).Reached);
        EXPECT_EQ(read.Of(mode).Best, progress.Of(mode).Best);
    }
}

TEST(Progress, DamagedTextIsRefusedWithTheLineAndWhy) {
    const auto refusal = [](const std::string& text) {
        try {
            ParseProgress(text);
        } catch (const Error& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refusal("Quarzel progress\r\nMode 2 Reached 3 Best 10 -1\r\n\r\n"), "accepted");
    EXPECT_EQ(refusal(""), "its first line is not \"Quarzel progress\"");
    EXPECT_EQ(refusal("\x89PNG\nMode 2 Reached 3 Best"),
              "its first line is not \"Quarzel progress\"");
    EXPECT_EQ(refusal("Quarzel progress\nMode 4 Reached 3 Best"),
              "line 2 has \"4\" where a number from 1 to 3 belongs");
    EXPECT_EQ(refusal("Quarzel progress\nMode 2 Reached 0 Best"),
              "line 2 has \"0\" where a number from 1 to 1000 belongs");
    EXPECT_EQ(refusal("Quarzel progress\n\nMode 2 Reached 2 Best 7 x"),
              "line 3 has \"x\" where a number from -1 to 1000000000 belongs");
    EXPECT_EQ(refusal("Quarzel progress\nMode 2 Reached 2 Best 99999999999"),
              "line 2 has \"99999999999\" where a number from -1 to 1000000000 belongs");
    EXPECT_EQ(refusal("Quarzel progress\nMode 2 Reached"), "line 2 ends early");
    EXPECT_EQ(refusal("Quarzel progress\nMode 2 Best 1"), "line 2 lacks \"Reached\"");
    std::string many = "Quarzel progress\nMode 1 Reached 1 Best";
    for (int i = 0; i <= 1000; ++i)
        many += " 0";
    EXPECT_EQ(refusal(many), "line 2 holds more levels than a game has");
}

} // namespace
} // namespace qz::test
