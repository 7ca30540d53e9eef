// The high-score tables: their file text, what a damaged or long file gives, and where a
// new score goes.
#include "game/HighScores.h"

#include "archive/CUnit.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

std::string Line(const std::string& plain) {
    return EncodeText(plain) + "\r\n";
}

TEST(HighScores, FileTextRoundTripsAndDamagedLinesAreSkipped) {
    const THighScores table = {{"Ann", 900}, {"Bob", -5}};
    const std::string text = HighScoresText(table);
    EXPECT_EQ(text, Line("<High name=\"Ann\" score=\"900\" />") +
                        Line("<High name=\"Bob\" score=\"-5\" />"));
    const THighScores read = ParseHighScores(text);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].Name, "Bob");
    EXPECT_EQ(read[1].Score, -5);
    EXPECT_EQ(HighScoresText({}), "");

    // A bad score skips its line only; a missing name reads as empty; LF endings work.
    const THighScores mixed = ParseHighScores(Line("<High name=\"A\" score=\"x\" />") +
                                              EncodeText("<High score=\"7\" />") + "\n" +
                                              Line("<High name=\"C\" score=\"8\" />"));
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[0].Name, "");
    EXPECT_EQ(mixed[0].Score, 7);
    EXPECT_EQ(mixed[1].Name, "C");

    // Thirty lines load their first twenty-one.
    std::string thirty;
    for (int i = 0; i < 30; ++i)
        thirty += Line("<High name=\"P" + std::to_string(i) + "\" score=\"" +
                       std::to_string(1000 - i) + "\" />");
    const THighScores loaded = ParseHighScores(thirty);
    ASSERT_EQ(loaded.size(), 21u);
    EXPECT_EQ(loaded.back().Name, "P20");

    // A double quote in a name is written as typed and cannot be read back whole.
    const THighScores quoted = ParseHighScores(HighScoresText({{"Al \"Ace\"", 3}}));
    ASSERT_EQ(quoted.size(), 1u);
    EXPECT_EQ(quoted[0].Name, "Al ");
}

TEST(HighScores, InsertKeepsEarlierEqualScoresInFrontAndRowsAreGridCells) {
    THighScores table;
    EXPECT_EQ(InsertHighScore(table, "A", 100), 0u);
    EXPECT_EQ(InsertHighScore(table, "B", 100), 1u);
    EXPECT_EQ(InsertHighScore(table, "C", 150), 0u);
    EXPECT_EQ(InsertHighScore(table, "D", 10), 3u);
    std::string names;
    for (const THighScore& entry : table)
        names += entry.Name;
    EXPECT_EQ(names, "CABD");
    EXPECT_EQ(HighScoreRow(1, table[1]), "Text=\"2\";Text=\"A\";Text=\"100\";");
}

} // namespace
} // namespace qz
