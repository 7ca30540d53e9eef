#include "ui/NyxLabel.h"

#include "UiFixture.h"
#include "archive/Error.h"
#include "ui/NyxForm.h"
#include "ui/NyxProgressBar.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

class Label : public UiFixture {
protected:
    template <class T = TNyxLabel>
    T& Make(int32_t width, int32_t height, const std::string& caption,
            const std::string& className = std::string(T::StaticClassName)) {
        const std::string name = "L" + std::to_string(engine.Count());
        engine.CreateObject(name, "Screen", className);
        engine.SetProperty(name, "Width", std::to_string(width));
        engine.SetProperty(name, "Height", std::to_string(height));
        engine.SetProperty(name, "FontName", "Test");
        engine.SetProperty(name, "Caption", caption);
        engine.SetProperty(name, "Alpha", "255");
        engine.SetProperty(name, "Visible", "true");
        return Get<T>(name);
    }
    static std::vector<std::u16string> Texts(const TNyxLabel& label) {
        std::vector<std::u16string> texts;
        for (const auto& line : label.Lines) {
            texts.push_back(line.Text);
        }
        return texts;
    }
    // The pen position of every glyph drawn since the last call.
    std::vector<int32_t> GlyphXs() {
        std::vector<int32_t> xs;
        for (const auto& glyph : host->Glyphs) {
            xs.push_back(glyph.X);
        }
        host->TakeCalls();
        return xs;
    }
    size_t QueuedScripts() const { return engine.Scripts().TagCount(); }
};

TEST_F(Label, WrapRules) {
    // No space: cut before the first character that overflows, which starts the next line.
    EXPECT_EQ(Texts(Make(100, 50, "ABCDEFGHIJKLM")),
              (std::vector<std::u16string>{u"ABCDEFGHIJ", u"KLM"}));
    auto& spaced = Make(100, 50, "AAAA BBBB CCCC");
    EXPECT_EQ(Texts(spaced), (std::vector<std::u16string>{u"AAAA BBBB", u"CCCC"}));
    EXPECT_EQ(spaced.Lines[0].Width, 90);
    EXPECT_EQ(spaced.Lines[0].Spaces, 1);
    // Trailing blanks and line breaks are dropped; a CR LF inside is a space.
    EXPECT_EQ(Texts(Make(100, 50, "AAAA BBBB CCCC  \r\n")), Texts(spaced));
    EXPECT_EQ(Texts(Make(100, 50, "AB\r\nCD\tE")), std::vector<std::u16string>{u"AB CD E"});
    // The first character of a later line is not counted: that line may run over by it.
    auto& over = Make(100, 50, "AAAAAAAAAA BBBBBBBBBBX");
    EXPECT_EQ(Texts(over), (std::vector<std::u16string>{u"AAAAAAAAAA", u"BBBBBBBBBBX"}));
    EXPECT_EQ(over.Lines[1].Width, 110);
    // Narrow characters measured with their own widths.
    EXPECT_EQ(Texts(Make(20, 50, "iiiii")), std::vector<std::u16string>{u"iiiii"});
    // No size or no font: no lines.
    EXPECT_TRUE(Make(0, 50, "A").Lines.empty());
    auto& unknown = Make(100, 50, "A");
    engine.SetProperty(unknown.GetName(), "FontName", "Missing");
    EXPECT_EQ(unknown.Font, nullptr);
    // Re-wrapped when the width changes.
    engine.SetProperty(spaced.GetName(), "Width", "200");
    EXPECT_EQ(Texts(spaced), std::vector<std::u16string>{u"AAAA BBBB CCCC"});
    EXPECT_EQ(Prop(spaced.GetName(), "Caption"), "AAAA BBBB CCCC");
    // UTF-8 in and out.
    auto& utf = Make(100, 50, "\xC3\xBC\xE2\x82\xAC");
    EXPECT_EQ(utf.Caption, u"\u00FC\u20AC");
    EXPECT_EQ(Prop(utf.GetName(), "Caption"), "\xC3\xBC\xE2\x82\xAC");
}

TEST_F(Label, LayoutOfLines) {
    auto& label = Make(50, 100, "AAAA BBBB CCCC");
    ASSERT_EQ(label.Lines.size(), 3u);
    engine.SetProperty(label.GetName(), "LineSpace", "4");
    engine.SetProperty(label.GetName(), "Layout", "tlCenter");
    EXPECT_EQ(label.Lines[0].Y, 16);
    EXPECT_EQ(label.Lines[1].Y, 40);
    EXPECT_EQ(label.Lines[2].Y, 64);
    engine.SetProperty(label.GetName(), "TextShiftTop", "3");
    EXPECT_EQ(label.Lines[0].Y, 19);
    engine.SetProperty(label.GetName(), "Layout", "tlBottom");
    EXPECT_EQ(label.Lines[2].Y, 100 + 48 + 3 - 68);
    engine.SetProperty(label.GetName(), "Layout", "tlTop");
    EXPECT_EQ(label.Lines[1].Y, 24 + 3);

    engine.SetProperty(label.GetName(), "TextShiftLeft", "2");
    EXPECT_EQ(label.Lines[0].X, 2);
    engine.SetProperty(label.GetName(), "Alignment", "taCenter");
    EXPECT_EQ(label.Lines[0].X, 5 + 2);
    engine.SetProperty(label.GetName(), "Alignment", "taRight");
    EXPECT_EQ(label.Lines[0].X, 50 + 2 - 40);
    engine.SetProperty(label.GetName(), "Alignment", "taJustify");
    EXPECT_EQ(label.Lines[0].X, 2);
    // Height alone does not re-lay out.
    engine.SetProperty(label.GetName(), "Layout", "tlCenter");
    engine.SetProperty(label.GetName(), "Height", "200");
    EXPECT_EQ(label.Lines[0].Y, 16 + 3);
}

TEST_F(Label, JustifiedSpacing) {
    auto& even = Make(100, 50, "AAA BB CC DDDDDDDD");
    engine.SetProperty(even.GetName(), "Alignment", "taJustify");
    host->TakeCalls();
    even.Paint();
    // Line 1 spread (5 extra pixels per space), the last line drawn as one text.
    EXPECT_EQ(GlyphXs(),
              (std::vector<int32_t>{0, 10, 20, 45, 55, 80, 90, 0, 10, 20, 30, 40, 50, 60, 70}));

    auto& remainder = Make(103, 50, "AAA BB CC DDDDDDDD");
    engine.SetProperty(remainder.GetName(), "Alignment", "taJustify");
    host->TakeCalls();
    remainder.Paint();
    std::vector<int32_t> xs = GlyphXs();
    xs.resize(7);
    EXPECT_EQ(xs, (std::vector<int32_t>{0, 10, 20, 46, 56, 83, 93}));

    // Five spaces, remainder 2: the space numbered round(5 / 2) = 2 (halves to even).
    auto& halves = Make(122, 50, "A B C D E F GGGGGGGGGGGG");
    ASSERT_EQ(halves.Lines[0].Text, u"A B C D E F");
    engine.SetProperty(halves.GetName(), "Alignment", "taJustify");
    host->TakeCalls();
    halves.Paint();
    xs = GlyphXs();
    xs.resize(6);
    EXPECT_EQ(xs, (std::vector<int32_t>{0, 22, 45, 67, 89, 111}));
}

TEST_F(Label, ButtonPressLeaveReturnRelease) {
    auto& button = Make(100, 30, "Go");
    engine.SetProperty(button.GetName(), "OnMouseUp", "HideModal;");
    engine.SetProperty(button.GetName(), "OnMouseDown", "HideModal;");
    button.MouseDown(TNyxButton::mbLeft, 0, 10, 10);
    EXPECT_EQ(QueuedScripts(), 1u);
    button.MouseMove(0, 150, 10);
    EXPECT_FALSE(button.Over);
    button.MouseMove(0, 50, 10);
    EXPECT_TRUE(button.Over);
    button.MouseUp(TNyxButton::mbLeft, 0, 50, 10);
    EXPECT_EQ(QueuedScripts(), 2u);
    button.MouseUp(TNyxButton::mbLeft, 0, 50, 10);
    EXPECT_EQ(QueuedScripts(), 2u) << "a release without a press";
    // Released outside, or another button: no click.
    button.MouseDown(TNyxButton::mbLeft, 0, 10, 10);
    button.MouseUp(TNyxButton::mbLeft, 0, 100, 10);
    button.MouseDown(TNyxButton::mbRight, 0, 10, 10);
    button.MouseUp(TNyxButton::mbRight, 0, 10, 10);
    EXPECT_EQ(QueuedScripts(), 3u);
    // A sound without a script still plays.
    engine.ClearScripts();
    engine.SetProperty(button.GetName(), "OnMouseUp", "");
    engine.SetProperty(button.GetName(), "SoundMouseUp", "click.ogg");
    button.MouseDown(TNyxButton::mbLeft, 0, 10, 10);
    button.MouseUp(TNyxButton::mbLeft, 0, 10, 10);
    engine.RunScripts();
    EXPECT_EQ(host->Sounds, std::vector<std::string>{"click.ogg"});
}

TEST_F(Label, PaintStates) {
    auto& button = Make(100, 30, "Go");
    engine.SetProperty(button.GetName(), "Left", "10");
    engine.SetProperty(button.GetName(), "Picture", "Up");
    engine.SetProperty(button.GetName(), "MouseOverPicture", "Over");
    engine.SetProperty(button.GetName(), "MouseDownPicture", "Down");
    engine.SetProperty(button.GetName(), "Color", "1");
    engine.SetProperty(button.GetName(), "MouseOverColor", "2");
    engine.SetProperty(button.GetName(), "TextDownShiftLeft", "3");
    engine.SetProperty(button.GetName(), "TextDownShiftTop", "4");
    engine.SetProperty(button.GetName(), "PictureAlpha", "9");
    host->TakeCalls();
    button.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Up 10 0 9", "ExtDraw TestFont 2 10 0 1 255"}));
    button.MouseMove(0, 20, 5);
    button.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Over 10 0 9", "ExtDraw TestFont 2 10 0 2 255"}));
    button.MouseDown(TNyxButton::mbLeft, 0, 20, 5);
    button.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Down 10 0 9", "ExtDraw TestFont 2 13 4 2 255"}));
    // Without a pressed picture the pointed-at one stands in, and without that the picture:
    // a label never vanishes under the pointer.
    engine.SetProperty(button.GetName(), "MouseDownPicture", "");
    button.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Over 10 0 9", "ExtDraw TestFont 2 13 4 2 255"}));
    engine.SetProperty(button.GetName(), "MouseOverPicture", "");
    button.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Up 10 0 9", "ExtDraw TestFont 2 13 4 2 255"}));
    EXPECT_EQ(button.GetPictures(), "Up");
    // A window that stops being the top one makes its controls forget the pointer.
    button.PointerLeft();
    button.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Up 10 0 9", "ExtDraw TestFont 2 10 0 1 255"}));
}

TEST_F(Label, CheckBox) {
    host->AddPicture("Box", 16, 16);
    auto& box = Make<TNyxCheckBox>(116, 20, "AAAAAAAAAAA");
    EXPECT_EQ(box.Lines.size(), 1u) << "no box picture yet";
    engine.SetProperty(box.GetName(), "Picture", "Box");
    engine.SetProperty(box.GetName(), "MouseDownPicture", "Checked");
    engine.SetProperty(box.GetName(), "Width", "116");
    EXPECT_EQ(box.TextAreaWidth(), 100);
    EXPECT_EQ(box.Lines.size(), 2u) << "re-wrapped by the width";
    engine.SetProperty(box.GetName(), "Caption", "Sound");
    box.MouseDown(TNyxButton::mbLeft, 0, 5, 5);
    box.MouseUp(TNyxButton::mbLeft, 0, 5, 5);
    EXPECT_TRUE(box.Checked);
    box.MouseDown(TNyxButton::mbLeft, 0, 5, 5);
    box.MouseUp(TNyxButton::mbLeft, 0, 200, 5);
    EXPECT_TRUE(box.Checked);
    box.MouseUp(TNyxButton::mbLeft, 0, 5, 5);
    EXPECT_TRUE(box.Checked);
    box.MouseDown(TNyxButton::mbLeft, 0, 5, 5);
    box.MouseUp(TNyxButton::mbLeft, 0, 5, 5);
    EXPECT_EQ(Prop(box.GetName(), "Checked"), "False");

    host->TakeCalls();
    box.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Box 0 0 0", "ExtDraw TestFont 5 16 0 0 255"}));
    engine.SetProperty(box.GetName(), "BoxPlace", "bpRight");
    engine.SetProperty(box.GetName(), "Checked", "true");
    box.Paint();
    // The checked picture is unknown to the host: its width counts as 0.
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{"Draw Checked 116 0 0", "ExtDraw TestFont 5 0 0 0 255"}));
}

TEST_F(Label, RadioGroups) {
    LoadTestDescription();
    auto& easy = Get<TNyxRadioButton>("WMain_RBEasy");
    auto& hard = Get<TNyxRadioButton>("WMain_RBHard");
    auto& music = Get<TNyxRadioButton>("WMain_RBMusic");
    // Clicking the checked button does nothing, not even its script.
    easy.MouseDown(TNyxButton::mbLeft, 0, easy.ScreenLeft + 1, easy.ScreenTop + 1);
    easy.MouseUp(TNyxButton::mbLeft, 0, easy.ScreenLeft + 1, easy.ScreenTop + 1);
    EXPECT_TRUE(easy.Checked);
    EXPECT_EQ(QueuedScripts(), 0u);
    hard.MouseDown(TNyxButton::mbLeft, 0, hard.ScreenLeft + 1, hard.ScreenTop + 1);
    hard.MouseUp(TNyxButton::mbLeft, 0, hard.ScreenLeft + 1, hard.ScreenTop + 1);
    EXPECT_TRUE(hard.Checked);
    EXPECT_FALSE(easy.Checked);
    EXPECT_TRUE(music.Checked);
    EXPECT_EQ(QueuedScripts(), 1u);
    engine.SetProperty("WMain_RBEasy", "Checked", "true");
    EXPECT_FALSE(hard.Checked);
    engine.SetProperty("WMain_RBEasy", "Checked", "false");
    EXPECT_FALSE(easy.Checked);
    EXPECT_FALSE(hard.Checked);
    EXPECT_EQ(easy.Lines[0].ThirdColor, 7);
    // A checked button's text is in CheckedColor, an unchecked one's in Color.
    engine.SetProperty("WMain_RBHard", "Checked", "true");
    host->TakeCalls();
    hard.Paint();
    easy.Paint();
    EXPECT_EQ(host->TakeCalls(), (std::vector<std::string>{
                                     "Draw BoxChecked 210 310 0", "ExtDraw TestFont 4 226 310 0 0",
                                     "Draw Box 210 280 0", "ExtDraw TestFont 4 226 280 3 0"}));
    EXPECT_THROW(engine.SetProperty("WMain_RBEasy", "Checked", "yes"), Error);
}

TEST_F(Label, ProgressSteps) {
    engine.CreateObject("PB", "Screen", "TNyxProgressBar");
    auto& bar = Get<TNyxProgressBar>("PB");
    engine.SetProperty("PB", "Width", "200");
    engine.SetProperty("PB", "StepWidth", "10");
    engine.SetProperty("PB", "Max", "100");
    engine.SetProperty("PB", "Position", "50");
    EXPECT_EQ(bar.StepCount(), 10);
    engine.SetProperty("PB", "BarShiftLeft", "50");
    EXPECT_EQ(bar.StepCount(), 5);
    // (200 - 2 * 75) / 10 * 0.5 = 2.5: halves to even.
    engine.SetProperty("PB", "BarShiftLeft", "75");
    EXPECT_EQ(bar.StepCount(), 2);
    engine.SetProperty("PB", "Min", "100");
    EXPECT_EQ(bar.StepCount(), 0);
    engine.SetProperty("PB", "Min", "0");
    engine.SetProperty("PB", "StepWidth", "0");
    EXPECT_EQ(bar.StepCount(), 0);
    // Beyond Max the bar is full, not longer; below Min it is empty.
    engine.SetProperty("PB", "StepWidth", "10");
    engine.SetProperty("PB", "BarShiftLeft", "0");
    engine.SetProperty("PB", "Position", "1000000");
    EXPECT_EQ(bar.StepCount(), 20);
    engine.SetProperty("PB", "Position", "-5");
    EXPECT_EQ(bar.StepCount(), 0);
}

TEST_F(Label, InvisibleControlsGetNoMouseAndNoPaint) {
    LoadTestDescription();
    engine.ShowForm("WMain");
    engine.SetProperty("WMain_BPlay", "Visible", "false");
    engine.MouseDown(TNyxButton::mbLeft, 0, 215, 175);
    engine.MouseUp(TNyxButton::mbLeft, 0, 215, 175);
    EXPECT_EQ(engine.Forms().size(), 1u);
    EXPECT_TRUE(host->Sounds.empty());
    host->TakeCalls();
    engine.PaintForms();
    for (const std::string& call : host->TakeCalls()) {
        EXPECT_EQ(call.find("Btn"), std::string::npos) << call;
    }
}

} // namespace
} // namespace qz::test
