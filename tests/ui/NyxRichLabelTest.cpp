#include "ui/NyxRichLabel.h"

#include "UiFixture.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

using nyxshift::ssLeft;

class RichLabel : public UiFixture {
protected:
    // A rich label at (50, 60) in the test font (10 pixels a character and a space).
    TNyxRichLabel& Make(int32_t width, const std::string& caption) {
        engine.CreateObject("R", "Screen", "TNyxRichLabel");
        engine.SetProperty("R", "Left", "50");
        engine.SetProperty("R", "Top", "60");
        engine.SetProperty("R", "Width", std::to_string(width));
        engine.SetProperty("R", "Height", "100");
        engine.SetProperty("R", "Color", "1");
        engine.SetProperty("R", "LinkColor", "5");
        engine.SetProperty("R", "Alpha", "255");
        engine.SetProperty("R", "FontName", "Test");
        engine.SetProperty("R", "Caption", caption);
        return Get<TNyxRichLabel>("R");
    }
    // "text@x,y" per segment ("#index" for a link), with ":color" when not the label's.
    static std::vector<std::string> Layout(const TNyxRichLabel& label) {
        std::vector<std::string> out;
        for (const auto& segment : label.Segments) {
            std::string text = segment.OverColor >= 0
                                   ? "#" + std::to_string(segment.OverColor)
                                   : std::string(segment.Text.begin(), segment.Text.end());
            text += "@" + std::to_string(segment.X) + "," + std::to_string(segment.Y);
            if (segment.Color != 1) {
                text += ":" + std::to_string(segment.Color);
            }
            out.push_back(text);
        }
        return out;
    }
};

TEST_F(RichLabel, BracesAndColours) {
    TNyxRichLabel& label = Make(300, "a {{b}} {$FF}red{/$} c\r\nd");
    EXPECT_EQ(Layout(label), (std::vector<std::string>{"a@0,0", "{b}@20,0", "red@60,0:255",
                                                       "c@100,0", "d@120,0"}));
    EXPECT_EQ(label.Segments[2].Spaces, 1); // the space after the tag follows "red"
    EXPECT_EQ(Prop("R", "Caption"), "a {{b}} {$FF}red{/$} c d");
    // Unbalanced pops keep the label's colour; an unclosed brace is text.
    Make(300, "{/$}x {$12}y{/$}{/$} z {");
    EXPECT_EQ(Layout(label), (std::vector<std::string>{"x@0,0", "y@20,0:18", "z@40,0", "{@60,0"}));
}

TEST_F(RichLabel, WrapsWordsAndSplitsLongOnes) {
    TNyxRichLabel& label = Make(100, "ABCDEFGHIJKLMNO ab cd ef");
    EXPECT_EQ(Layout(label), (std::vector<std::string>{"ABCDEFGHIJ@0,0", "KLMNO@0,20", "ab@60,20",
                                                       "cd@0,40", "ef@30,40"}));
}

TEST_F(RichLabel, BreaksBlocksAndTables) {
    TNyxRichLabel& label = Make(100, "a{BR/}b{BR 7}c{HR 15}d");
    EXPECT_EQ(Layout(label), (std::vector<std::string>{"a@0,0", "b@0,20", "c@0,27", "d@25,27"}));

    Make(100, "x{Center}ab cd{/Center}{Right}ef{/Right}yy");
    EXPECT_EQ(Layout(label),
              (std::vector<std::string>{"x@0,0", "ab@25,20", "cd@55,20", "ef@80,40", "yy@0,60"}));

    Make(200, "{Table}{TLeft 10}ab{TRight 90}cd{TCenter 150}ef{BR/}{TLeft 0}g{/Table}h");
    EXPECT_EQ(Layout(label),
              (std::vector<std::string>{"ab@10,0", "cd@70,0", "ef@140,0", "g@0,20", "h@0,40"}));

    // Justified: the free pixels go to the spaces of a wrapped line, the first ones taking
    // the remainder; the last line keeps its spacing.
    Make(101, "{Justify}aa b cc dddd{/Justify}");
    EXPECT_EQ(Layout(label),
              (std::vector<std::string>{"aa@0,0", "b@46,0", "cc@81,0", "dddd@0,20"}));
}

TEST_F(RichLabel, LinksAreLabelsThatQueueTheirActionOnPress) {
    TNyxRichLabel& label =
        Make(300, "go {F--- Test 3}{Link Action=ShowModal Form=\"WHelp\";}help me{/Link}{/F} now");
    ASSERT_EQ(label.Links.size(), 1u);
    EXPECT_EQ(Layout(label), (std::vector<std::string>{"go@0,0", "#0@30,0", "now@110,0"}));
    TNyxLabel& link = *label.Links[0];
    EXPECT_EQ(link.OnMouseDown, "ShowModal Form=\"WHelp\";");
    EXPECT_EQ(link.ScreenLeft, 80);
    EXPECT_EQ(link.ScreenTop, 60);
    EXPECT_EQ(link.Width, 70);
    EXPECT_EQ(link.Height, 20);
    EXPECT_EQ(link.Color, 5);

    label.MouseDown(TNyxButton::mbLeft, ssLeft, 60, 65); // on "go": nothing
    EXPECT_EQ(engine.Scripts().TagCount(), 0u);
    label.MouseDown(TNyxButton::mbLeft, ssLeft, 85, 65);
    ASSERT_EQ(engine.Scripts().TagCount(), 1u);
    const TNyxXMLTag& script = *engine.Scripts().GetTag(0);
    EXPECT_EQ(script.FindAttribute("Sender")->Value, "");
    EXPECT_EQ(script.GetTag(0)->Name, "ShowModal");

    host->TakeCalls();
    label.Paint();
    const std::vector<std::string> calls = host->TakeCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], "Draw  50 60 0");
    EXPECT_EQ(calls[1], "ExtDraw TestFont 2 50 60 1 255");
    EXPECT_EQ(calls[2], "ExtDraw TestFont 3 160 60 1 255");
    EXPECT_EQ(calls[3].substr(calls[3].size() - 12), " 80 60 5 255");
}

} // namespace
} // namespace qz::test
