#include "ui/NyxHint.h"

#include "UiFixture.h"
#include "ui/NyxForm.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

class Hint : public UiFixture {
protected:
    void SetUp() override {
        LoadTestDescription();
        engine.ShowForm("WMain");
    }
};

TEST_F(Hint, ShownForItsTimeThenHidden) {
    auto& hint = Get<TNyxHint>("WMain_HInfo");
    // "Hello world" on the first line, "again" on the second (110 pixels wide).
    ASSERT_FALSE(hint.Segments.empty());
    EXPECT_EQ(hint.Segments.back().Y, 20);
    EXPECT_FALSE(hint.Visible);
    ticks = 5000;
    engine.ShowHint("WMain_HInfo");
    EXPECT_TRUE(hint.Visible);
    EXPECT_EQ(hint.ShowStart, 5000u);
    EXPECT_EQ(hint.Height, 20 + 2 + 20);

    host->TakeCalls();
    engine.PaintForms();
    for (const std::string& call : host->TakeCalls()) {
        EXPECT_EQ(call.find("DrawRect"), std::string::npos) << "hints are painted on their own";
    }
    ticks = 6999;
    engine.PaintHints();
    const std::vector<std::string> frame = {
        "DrawRect 500 400 610 442 4210752 100 1", "Draw  500 400 0",
        "ExtDraw TestFont 5 500 402 0 255",       "ExtDraw TestFont 5 560 402 255 255",
        "ExtDraw TestFont 5 500 422 0 255",
    };
    EXPECT_EQ(host->TakeCalls(), frame);
    EXPECT_TRUE(hint.Visible);
    // The first frame two seconds after showing hides it, and is still drawn.
    ticks = 7000;
    engine.PaintHints();
    EXPECT_EQ(host->TakeCalls(), frame);
    EXPECT_FALSE(hint.Visible);
    engine.PaintHints();
    EXPECT_TRUE(host->TakeCalls().empty());
    // PaintAll paints the hints with the windows.
    engine.ShowHint("WMain_HInfo");
    engine.PaintAll();
    const std::vector<std::string> all = host->TakeCalls();
    EXPECT_EQ(std::count(all.begin(), all.end(), frame[0]), 1);
}

TEST_F(Hint, WithoutTextOrOutsideTheTopWindowNotShown) {
    engine.ShowHint("WMain_HEmpty");
    EXPECT_FALSE(Get<TNyxHint>("WMain_HEmpty").Visible);
    engine.ShowHint("WMain_BPlay");
    engine.ShowForm("WDialog");
    engine.ShowHint("WMain_HInfo");
    EXPECT_FALSE(Get<TNyxHint>("WMain_HInfo").Visible);
}

TEST_F(Hint, ShowAtPlacement) {
    auto& hint = Get<TNyxHint>("WMain_HInfo");
    const int32_t h = 42;
    engine.ShowHintAt("WMain_HInfo", 400, 300);
    EXPECT_TRUE(hint.Visible);
    EXPECT_EQ(hint.ScreenLeft, 400 - 110);
    EXPECT_EQ(hint.ScreenTop, 300 - h);
    // Near the edges it opens toward the point's lower right.
    engine.ShowHintAt("WMain_HInfo", 30, 10);
    EXPECT_EQ(hint.ScreenLeft, 30);
    EXPECT_EQ(hint.ScreenTop, 10);
    // Exactly one hint width (height) from the edge: left where it was.
    engine.ShowHintAt("WMain_HInfo", 110, h);
    EXPECT_EQ(hint.ScreenLeft, 30);
    EXPECT_EQ(hint.ScreenTop, 10);
    // Not a hint: nothing.
    engine.ShowHintAt("WMain_BPlay", 1, 1);
    engine.ShowHintAt("WNobody", 1, 1);
}

} // namespace
} // namespace qz::test
