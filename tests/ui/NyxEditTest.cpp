#include "ui/NyxEdit.h"

#include "UiFixture.h"
#include "objects/NyxStrings.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

using nyxshift::ssDouble;
using nyxshift::ssLeft;
using nyxshift::ssShift;

class Edit : public UiFixture {
protected:
    // An edit at (100, 50), 200 x 30, in the test font (10 pixels a character).
    TNyxEdit& Make(const std::string& caption, int32_t maxLength = 20, int32_t maxWidth = 200) {
        engine.CreateObject("E", "Screen", "TNyxEdit");
        engine.SetProperty("E", "Left", "100");
        engine.SetProperty("E", "Top", "50");
        engine.SetProperty("E", "Width", "200");
        engine.SetProperty("E", "Height", "30");
        engine.SetProperty("E", "FontName", "Test");
        engine.SetProperty("E", "MaxLength", std::to_string(maxLength));
        engine.SetProperty("E", "MaxWidth", std::to_string(maxWidth));
        engine.SetProperty("E", "Caption", caption);
        TNyxEdit& edit = Get<TNyxEdit>("E");
        edit.SetFocused(true);
        return edit;
    }
    static void Key(TNyxEdit& edit, uint16_t key, TNyxShift shift = 0) { edit.KeyDown(key, shift); }
    static void Type(TNyxEdit& edit, const std::string& text) {
        for (char c : text) {
            edit.KeyPress(c);
        }
    }
    static std::string Text(const TNyxEdit& edit) { return NarrowAnsi(edit.Caption); }
};

TEST_F(Edit, MaxLengthZeroBlocksEveryKeyAndTypingStopsAtTheLimit) {
    TNyxEdit& edit = Make("abc", 0);
    Type(edit, "x\x01\x16");
    EXPECT_EQ(Text(edit), "abc");
    EXPECT_EQ(edit.SelStart, 1);
    EXPECT_EQ(edit.SelEnd, 4);
    // ReadOnly blocks the editing keys too.
    edit.ReadOnly = true;
    Key(edit, 8);
    EXPECT_EQ(Text(edit), "abc");

    edit.ReadOnly = false;
    engine.SetProperty("E", "MaxLength", "5");
    edit.SelStart = edit.SelEnd = edit.CursorPos;
    Type(edit, "xyz");
    EXPECT_EQ(Text(edit), "abcxy");
}

TEST_F(Edit, CaptionFilteringByModeAndForbiddenChars) {
    TNyxEdit& edit = Make("a1b2 c3");
    engine.SetProperty("E", "InputMode", "imNumbersOnly");
    EXPECT_EQ(Text(edit), "123");
    EXPECT_EQ(edit.CursorPos, 4);
    engine.SetProperty("E", "Caption", "x9y8");
    EXPECT_EQ(Text(edit), "98");
    engine.SetProperty("E", "InputMode", "imNormal");
    engine.SetProperty("E", "ForbiddenChars", "/\\");
    engine.SetProperty("E", "Caption", "a/b\\c");
    EXPECT_EQ(Text(edit), "abc");
    // Typing obeys the same rules.
    edit.SelStart = edit.SelEnd = edit.CursorPos;
    Type(edit, "d/e");
    EXPECT_EQ(Text(edit), "abcde");
    engine.SetProperty("E", "InputMode", "imNumbersOnly");
    Type(edit, "7z");
    EXPECT_EQ(Text(edit), "7");
}

TEST_F(Edit, TypingReplacesSelectionEvenWhenTheCharacterDoesNotFit) {
    TNyxEdit& edit = Make("abcd", 20, 61);
    EXPECT_EQ(edit.SelStart, 1); // the focus selected everything
    Type(edit, "x");
    EXPECT_EQ(Text(edit), "x");
    EXPECT_EQ(edit.CursorPos, 2);
    Type(edit, "yzuv");
    EXPECT_EQ(Text(edit), "xyzuv");
    Type(edit, "w"); // 60 pixels, below 61
    EXPECT_EQ(Text(edit), "xyzuvw");
    Type(edit, "q"); // 70 pixels do not fit
    EXPECT_EQ(Text(edit), "xyzuvw");
    // A selection is deleted even when the replacing character is too wide.
    edit.SelStart = 2;
    edit.SelEnd = 4;
    engine.SetProperty("E", "MaxWidth", "30");
    Type(edit, "Q");
    EXPECT_EQ(Text(edit), "xuvw");
    EXPECT_EQ(edit.CursorPos, 2);
}

TEST_F(Edit, CursorKeysAndShiftSelection) {
    TNyxEdit& edit = Make("abcdef");
    Key(edit, 36); // Home
    EXPECT_EQ(edit.CursorPos, 1);
    Key(edit, 39);
    Key(edit, 39);
    EXPECT_EQ(edit.CursorPos, 3);
    EXPECT_EQ(edit.SelStart, 3);
    Key(edit, 37, ssShift);
    EXPECT_EQ(edit.CursorPos, 2);
    EXPECT_EQ(NarrowAnsi(edit.SelectedText()), "b");
    Key(edit, 35, ssShift); // Shift+End extends from the anchor
    EXPECT_EQ(NarrowAnsi(edit.SelectedText()), "cdef");
    Key(edit, 8); // Backspace deletes the selection
    EXPECT_EQ(Text(edit), "ab");
    EXPECT_EQ(edit.CursorPos, 3);
    Key(edit, 8); // and then the character before the cursor, the first one too
    EXPECT_EQ(Text(edit), "a");
    Key(edit, 8);
    EXPECT_EQ(Text(edit), "");
    EXPECT_EQ(edit.CursorPos, 1);
    Type(edit, "a");
    Key(edit, 36);
    Key(edit, 8); // nothing before the first position
    EXPECT_EQ(Text(edit), "a");
    Key(edit, 46);
    EXPECT_EQ(Text(edit), "");
    Key(edit, 46);
    Key(edit, 8);
    Key(edit, 37);
    EXPECT_EQ(edit.CursorPos, 1);
    // Losing the focus drops the selection; keys are ignored without focus.
    edit.SetFocused(false);
    EXPECT_EQ(edit.SelStart, 0);
    EXPECT_EQ(edit.SelEnd, 0);
    Type(edit, "z");
    EXPECT_EQ(Text(edit), "");
}

TEST_F(Edit, SingleDeletesCollapseTheSelectionAtTheCursor) {
    TNyxEdit& edit = Make("abcd");
    Key(edit, 35);
    Key(edit, 37);
    Key(edit, 8); // "abd", cursor before "d"
    EXPECT_EQ(Text(edit), "abd");
    Key(edit, 39, ssShift);
    EXPECT_EQ(NarrowAnsi(edit.SelectedText()), "d");
}

TEST_F(Edit, ClipboardCopyCutPaste) {
    TNyxEdit& edit = Make("hello");
    engine.SetClipboardText("before");
    edit.SelStart = 2;
    edit.SelEnd = 4;
    char ctrlC = 3;
    edit.KeyPress(ctrlC);
    EXPECT_EQ(engine.ClipboardText(), "el");
    // A password field does not copy, but it cuts.
    engine.SetProperty("E", "PasswordChar", "*");
    engine.SetClipboardText("kept");
    edit.KeyPress(ctrlC);
    EXPECT_EQ(engine.ClipboardText(), "kept");
    char ctrlX = 24;
    edit.KeyPress(ctrlX);
    EXPECT_EQ(engine.ClipboardText(), "el");
    EXPECT_EQ(Text(edit), "hlo");
    EXPECT_EQ(edit.CursorPos, 2);
    engine.SetProperty("E", "PasswordChar", "");

    // Paste: line breaks and tabs become spaces, inserted at the cursor.
    engine.SetClipboardText("a\r\nb\tc");
    char ctrlV = 22;
    edit.KeyPress(ctrlV);
    EXPECT_EQ(Text(edit), "ha b clo");
    EXPECT_EQ(edit.CursorPos, 7);
    EXPECT_EQ(edit.SelStart, 7);

    // Cut to the characters MaxLength still allows.
    engine.SetProperty("E", "MaxLength", "10");
    engine.SetClipboardText("WXYZ");
    edit.KeyPress(ctrlV);
    EXPECT_EQ(Text(edit), "ha b cWXlo");
    // Too wide: the longest prefix of at most MaxLength - length - 1 that fits.
    engine.SetProperty("E", "Caption", "abc");
    engine.SetProperty("E", "MaxWidth", "80");
    engine.SetClipboardText("123456");
    edit.KeyPress(ctrlV);
    EXPECT_EQ(Text(edit), "abc12345");
    // A digits-only field takes only the digits of the clipboard.
    engine.SetProperty("E", "MaxWidth", "200");
    engine.SetProperty("E", "InputMode", "imNumbersOnly");
    engine.SetClipboardText("4x2");
    edit.SelStart = edit.SelEnd = edit.CursorPos;
    edit.KeyPress(ctrlV);
    EXPECT_EQ(Text(edit), "1234542");

    // Control characters, DEL and the C1 block, are refused typed and pasted alike.
    engine.SetProperty("E", "InputMode", "imNormal");
    engine.SetProperty("E", "MaxLength", "40");
    engine.SetProperty("E", "Caption", "");
    for (char c : {'\x7f', '\x85', '\x9f'})
        edit.KeyPress(c);
    engine.SetClipboardText("a\x01"
                            "b\x1b"
                            "c\x7f"
                            "\x9b"
                            "d\xe9");
    edit.KeyPress(ctrlV);
    EXPECT_EQ(Text(edit), "abcd\xe9");
}

TEST_F(Edit, MousePlacesTheCursorAndDragSelects) {
    TNyxEdit& edit = Make("abcdef");
    edit.SetFocused(false);
    edit.MouseDown(TNyxButton::mbLeft, ssLeft, 125, 60); // inside the third character
    EXPECT_TRUE(edit.Focused);
    EXPECT_TRUE(edit.Pressed);
    EXPECT_EQ(edit.CursorPos, 3);
    EXPECT_EQ(edit.SelStart, 3);
    edit.MouseMove(ssLeft, 152, 60);
    EXPECT_EQ(edit.CursorPos, 6);
    EXPECT_EQ(NarrowAnsi(edit.SelectedText()), "cde");
    edit.MouseMove(ssLeft, 250, 60); // past the text: after the last character
    EXPECT_EQ(edit.CursorPos, 7);
    edit.MouseUp(TNyxButton::mbLeft, 0, 250, 60);
    edit.MouseMove(ssLeft, 100, 60); // released: no more dragging
    EXPECT_EQ(edit.CursorPos, 7);
    // Shift keeps the anchor; a double click selects all and blocks the drag.
    edit.MouseDown(TNyxButton::mbLeft, ssLeft | ssShift, 105, 60);
    EXPECT_EQ(edit.SelStart, 1);
    EXPECT_EQ(edit.CursorPos, 1);
    edit.MouseDown(TNyxButton::mbLeft, ssLeft | ssDouble, 125, 60);
    EXPECT_TRUE(edit.DoubleClicked);
    EXPECT_EQ(NarrowAnsi(edit.SelectedText()), "abcdef");
    edit.MouseMove(ssLeft, 105, 60);
    EXPECT_EQ(NarrowAnsi(edit.SelectedText()), "abcdef");
    // A press outside leaves the selection at 1..1.
    edit.MouseDown(TNyxButton::mbLeft, ssLeft, 10, 10);
    EXPECT_FALSE(edit.Pressed);
    EXPECT_EQ(edit.SelStart, 1);
    EXPECT_EQ(edit.SelEnd, 1);
}

TEST_F(Edit, PaintsCharactersInSelectionColourAndABlinkingCursor) {
    host->AddPicture("Caret", 4, 20);
    TNyxEdit& edit = Make("abc");
    engine.SetProperty("E", "Picture", "EditBack");
    engine.SetProperty("E", "CursorPicture", "Caret");
    engine.SetProperty("E", "Color", "1");
    engine.SetProperty("E", "SelectColor", "2");
    engine.SetProperty("E", "Alpha", "200");
    engine.SetProperty("E", "PictureAlpha", "128");
    engine.SetProperty("E", "TextShiftLeft", "5");
    engine.SetProperty("E", "TextShiftTop", "3");
    edit.SelStart = 2;
    edit.SelEnd = 3;
    edit.CursorPos = 3;
    host->TakeCalls();
    edit.Paint();
    EXPECT_EQ(host->TakeCalls(),
              (std::vector<std::string>{
                  "Draw EditBack 100 50 128", "ExtDraw TestFont 1 105 53 1 200",
                  "ExtDraw TestFont 1 115 53 2 200", "ExtDraw TestFont 1 125 53 1 200",
                  "Draw Caret 122 53 128", // 105 + 20 - 2 - 1
              }));
    ticks = 700; // the odd half second hides the cursor ...
    edit.Paint();
    EXPECT_EQ(host->TakeCalls().size(), 4u);
    edit.Pressed = true; // ... unless the mouse is held
    edit.Paint();
    EXPECT_EQ(host->TakeCalls().size(), 5u);
    // A password is drawn in one call.
    engine.SetProperty("E", "PasswordChar", "*");
    edit.Paint();
    EXPECT_EQ(host->TakeCalls(), (std::vector<std::string>{
                                     "Draw EditBack 100 50 128",
                                     "ExtDraw TestFont 3 105 53 1 200",
                                     "Draw Caret 122 53 128",
                                 }));
}

} // namespace
} // namespace qz::test
