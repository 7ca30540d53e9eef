#include "UiFixture.h"
#include "archive/Error.h"
#include "ui/NyxForm.h"
#include "ui/NyxLabel.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

class InterfaceObject : public UiFixture {
protected:
    // A window 400 x 300 at (50, 40) with one control of class T.
    template <class T>
    T& MakeChild(const std::string& className = std::string(T::StaticClassName)) {
        engine.CreateObject("WTest", "Screen", "TNyxForm");
        engine.CreateObject("WTest_X", "WTest", className);
        engine.ResolveParents();
        auto& form = Get<TNyxForm>("WTest");
        form.BuildChildren();
        engine.SetProperty("WTest", "Width", "400");
        engine.SetProperty("WTest", "Height", "300");
        engine.SetProperty("WTest", "Left", "50");
        engine.SetProperty("WTest", "Top", "40");
        return Get<T>("WTest_X");
    }
};

TEST_F(InterfaceObject, AlignmentInParentAndOnScreen) {
    auto& child = MakeChild<TNyxLabel>();
    engine.SetProperty("WTest_X", "Width", "100");
    engine.SetProperty("WTest_X", "Height", "20");
    engine.SetProperty("WTest_X", "HAlign", "haCenter");
    engine.SetProperty("WTest_X", "ShiftLeft", "10");
    EXPECT_EQ(child.Left, 160);
    EXPECT_EQ(child.ScreenLeft, 210);
    engine.SetProperty("WTest_X", "Left", "3");
    EXPECT_EQ(child.Left, 160) << "Left has no effect while aligned";

    engine.SetProperty("WTest_X", "HAlign", "haRight");
    EXPECT_EQ(child.Left, 10 + 400 - 100);
    engine.SetProperty("WTest_X", "VAlign", "vabottom");
    engine.SetProperty("WTest_X", "ShiftTop", "-5");
    EXPECT_EQ(child.Top, -5 + 300 - 20);
    engine.SetProperty("WTest_X", "VAlign", "vaCenter");
    EXPECT_EQ(child.Top, -5 + 150 - 10);
    engine.SetProperty("WTest_X", "HAlign", "haJustify");
    EXPECT_EQ(child.Left, 0);
    EXPECT_EQ(child.Width, 400);
    EXPECT_EQ(child.ScreenLeft, 50);

    // Moving the window re-aligns and moves its children.
    engine.SetProperty("WTest", "Width", "600");
    EXPECT_EQ(child.Width, 600);
    engine.SetProperty("WTest", "Top", "100");
    EXPECT_EQ(child.ScreenTop, 100 + child.Top);

    // Without a parent the screen is the reference (odd sizes halve toward zero).
    engine.SetProperty("WTest", "Width", "101");
    engine.SetProperty("WTest", "HAlign", "haCenter");
    EXPECT_EQ(Get<TNyxForm>("WTest").Left, 400 - 50);
    EXPECT_EQ(Prop("WTest", "HAlign"), "haCenter");
}

TEST_F(InterfaceObject, PictureAutoSizeAndPlacement) {
    host->AddPicture("Pic", 64, 32);
    host->AddPicture("Narrow", 50, 10);
    auto& child = MakeChild<TNyxInterfaceObject>("TNyxProgressBar");
    engine.SetProperty("WTest_X", "AutoSize", "asPicture");
    engine.SetProperty("WTest_X", "Picture", "Pic");
    EXPECT_EQ(child.Width, 64);
    EXPECT_EQ(child.Height, 32);
    engine.SetProperty("WTest_X", "Width", "200");
    EXPECT_EQ(child.Width, 64) << "sizes are ignored while auto-sized";
    // An unknown picture keeps the size.
    engine.SetProperty("WTest_X", "Picture", "Missing");
    EXPECT_EQ(child.Width, 64);

    engine.SetProperty("WTest_X", "AutoSize", "asCaption");
    engine.SetProperty("WTest_X", "Width", "300");
    EXPECT_EQ(child.Width, 64);

    engine.SetProperty("WTest_X", "AutoSize", "asNone");
    engine.SetProperty("WTest_X", "Width", "101");
    engine.SetProperty("WTest_X", "Height", "40");
    engine.SetProperty("WTest_X", "Picture", "Narrow");
    engine.SetProperty("WTest_X", "PictureHAlign", "phaCenter");
    EXPECT_EQ(child.PictureLeft, 25);
    engine.SetProperty("WTest_X", "PictureHAlign", "phaRight");
    EXPECT_EQ(child.PictureLeft, 51);
    engine.SetProperty("WTest_X", "PictureVAlign", "pvaBottom");
    EXPECT_EQ(child.PictureTop, 30);
    engine.SetProperty("WTest_X", "PictureVAlign", "pvaCenter");
    EXPECT_EQ(child.PictureTop, 15);

    host->TakeCalls();
    engine.SetProperty("WTest_X", "PictureAlpha", "99");
    child.Paint();
    EXPECT_EQ(host->TakeCalls(), std::vector<std::string>{"Draw Narrow 101 55 99"});
}

TEST_F(InterfaceObject, PropertyTableRowsAndConversionErrors) {
    const auto& rows = TNyxInterfaceObject::StaticProperties().Rows();
    std::vector<std::string> names;
    for (const auto& row : rows) {
        names.push_back(row.Name);
    }
    const std::vector<std::string> expected = {"ParentName",
                                               "Name",
                                               "Tag",
                                               "Left",
                                               "Top",
                                               "AutoSize",
                                               "Picture",
                                               "PictureHAlign",
                                               "PictureVAlign",
                                               "PictureAlpha",
                                               "Width",
                                               "Height",
                                               "HAlign",
                                               "VAlign",
                                               "ShiftLeft",
                                               "ShiftTop",
                                               "Visible",
                                               "OnKeyDown",
                                               "OnKeyPress",
                                               "OnKeyUp",
                                               "OnMouseDown",
                                               "OnMouseMove",
                                               "OnMouseUp",
                                               "OnMouseWheel",
                                               "SoundKeyDown",
                                               "SoundKeyPress",
                                               "SoundKeyUp",
                                               "SoundMouseDown",
                                               "SoundMouseMove",
                                               "SoundMouseUp",
                                               "SoundMouseWheel"};
    EXPECT_EQ(names, expected);
    const auto& focused = TNyxFocusedObject::StaticProperties().Rows();
    ASSERT_EQ(focused.size(), rows.size() + 2);
    EXPECT_EQ(focused[rows.size()].Name, "Focused");
    EXPECT_EQ(focused[rows.size() + 1].Name, "TabOrder");

    MakeChild<TNyxLabel>();
    EXPECT_THROW(engine.SetProperty("WTest_X", "Width", "wide"), Error);
    EXPECT_THROW(engine.SetProperty("WTest_X", "PictureAlpha", "256"), Error);
    EXPECT_THROW(engine.SetProperty("WTest_X", "HAlign", "haMiddle"), Error);
    EXPECT_THROW(engine.SetProperty("WTest_X", "NoSuch", "1"), Error);
    EXPECT_FALSE(engine.SetProperty("WNobody", "Width", "1"));
    EXPECT_EQ(Prop("WNobody", "Width"), "");
}

TEST_F(InterfaceObject, AssignCopiesEveryField) {
    auto& source = MakeChild<TNyxLabel>();
    engine.SetProperty("WTest_X", "Width", "70");
    engine.SetProperty("WTest_X", "OnMouseUp", "HideModal;");
    engine.SetProperty("WTest_X", "SoundKeyUp", "k.ogg");
    engine.SetProperty("WTest_X", "Caption", "Copy me");
    TNyxLabel copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Width, 70);
    EXPECT_EQ(copy.ScreenLeft, source.ScreenLeft);
    EXPECT_EQ(copy.OnMouseUp, "HideModal;");
    EXPECT_EQ(copy.SoundKeyUp, "k.ogg");
    EXPECT_EQ(copy.GetCaption(), "Copy me");
    EXPECT_EQ(copy.GetName(), "");
}

class Focus : public UiFixture {
protected:
    // A window with count focusable controls at tab orders 0, 1, 2 ...
    TNyxForm& MakeForm(int count) {
        engine.CreateObject("WF", "Screen", "TNyxForm");
        for (int i = 0; i < count; ++i) {
            auto control = std::make_unique<TNyxFocusedObject>();
            control->ParentName = "WF";
            control->TabOrder = i;
            control->Visible = true;
            control->Width = 10;
            control->Height = 10;
            control->Left = 20 * i;
            controls.push_back(control.get());
            engine.Add(std::move(control));
            controls.back()->SetName("WF_C" + std::to_string(i));
        }
        engine.ResolveParents();
        auto& form = Get<TNyxForm>("WF");
        form.BuildChildren();
        engine.SetProperty("WF", "Width", "800");
        engine.SetProperty("WF", "Height", "600");
        form.BuildTabList();
        engine.ShowForm("WF");
        return form;
    }
    int FocusedIndex() const {
        int found = -1;
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i]->Focused) {
                EXPECT_EQ(found, -1) << "one control has the focus";
                found = static_cast<int>(i);
            }
        }
        return found;
    }
    void Key(uint16_t key, TNyxShift shift = 0) { engine.KeyDown(key, shift); }
    std::vector<TNyxFocusedObject*> controls;
};

TEST_F(Focus, TabWrapsBothWays) {
    MakeForm(3);
    controls[2]->Focused = true;
    Key(9);
    EXPECT_EQ(FocusedIndex(), 0);
    Key(9);
    EXPECT_EQ(FocusedIndex(), 1);
    Key(9, nyxshift::ssShift);
    Key(9, nyxshift::ssShift);
    EXPECT_EQ(FocusedIndex(), 2);
    // Nothing focused: Tab starts from the first entry and moves to the second.
    controls[2]->Focused = false;
    Key(9);
    EXPECT_EQ(FocusedIndex(), 1);
}

TEST_F(Focus, NoFocusableControlOrOneIgnoresTab) {
    engine.CreateObject("WEmpty", "Screen", "TNyxForm");
    engine.ShowForm("WEmpty");
    Key(9);
    MakeForm(1);
    Key(9);
    EXPECT_EQ(FocusedIndex(), -1);
    controls[0]->Focused = true;
    Key(9);
    EXPECT_EQ(FocusedIndex(), 0);
}

TEST_F(Focus, GapInTabOrdersIsSkipped) {
    auto& form = MakeForm(3);
    controls[1]->TabOrder = 5;
    form.BuildTabList();
    ASSERT_EQ(form.TabList.size(), 6u);
    controls[0]->Focused = true;
    Key(9);
    EXPECT_EQ(FocusedIndex(), 2);
    Key(9);
    EXPECT_EQ(FocusedIndex(), 1);
    Key(9);
    EXPECT_EQ(FocusedIndex(), 0);
    Key(9, nyxshift::ssShift);
    EXPECT_EQ(FocusedIndex(), 1);
    controls[1]->SetFocused(false);
    engine.MouseDown(TNyxButton::mbLeft, 0, 41, 1);
    EXPECT_EQ(FocusedIndex(), 2);
}

TEST_F(Focus, ClickMovesFocusAndTabOrderRenumbers) {
    auto& form = MakeForm(4);
    controls[0]->Focused = true;
    engine.MouseDown(TNyxButton::mbLeft, 0, 45, 5);
    EXPECT_EQ(FocusedIndex(), 2);
    EXPECT_TRUE(controls[2]->Pressed);
    EXPECT_FALSE(controls[0]->Pressed);

    // Moving entry 3 to position 1 shifts 1 and 2 up.
    engine.SetProperty("WF_C3", "TabOrder", "1");
    ASSERT_EQ(form.TabList.size(), 4u);
    EXPECT_EQ(form.TabList[1], controls[3]);
    EXPECT_EQ(controls[3]->TabOrder, 1);
    EXPECT_EQ(controls[1]->TabOrder, 2);
    EXPECT_EQ(controls[2]->TabOrder, 3);
    for (size_t i = 0; i < form.TabList.size(); ++i) {
        EXPECT_EQ(form.TabList[i]->TabOrder, static_cast<int32_t>(i));
    }
    // Out of range values are clamped.
    engine.SetProperty("WF_C0", "TabOrder", "99");
    EXPECT_EQ(form.TabList.back(), controls[0]);
    EXPECT_EQ(controls[0]->TabOrder, 3);
    engine.SetProperty("WF_C0", "TabOrder", "-4");
    EXPECT_EQ(form.TabList.front(), controls[0]);
    EXPECT_EQ(controls[0]->TabOrder, 0);
}

} // namespace
} // namespace qz::test
