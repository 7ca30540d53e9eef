#include "objects/NyxBaseClasses.h"

#include "archive/Error.h"
#include "objects/NyxStrings.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

enum class TAlign { haNone, haLeft, haCenter };

// A control-like class with one property of every kind; Width goes through a setter that
// counts its calls, Caption is held as UTF-16 and travels as UTF-8.
class TTestControl : public TNyxObject {
public:
    static constexpr std::string_view StaticClassName = "TTestControl";
    static const TNyxPropertyTable& StaticProperties() {
        static const TNyxPropertyTable table(
            &TNyxObject::StaticProperties(),
            {
                nyxprop::Integer("Width", &TTestControl::Width, &TTestControl::SetWidth),
                nyxprop::Byte("PictureAlpha", &TTestControl::PictureAlpha),
                nyxprop::Boolean("Checked", &TTestControl::Checked),
                nyxprop::Enumeration("HAlign", &TTestControl::HAlign,
                                     {"haNone", "haLeft", "haCenter"}),
                nyxprop::TextAccessor<TTestControl>("Caption", TNyxPropKind::UTF8String,
                                                    &TTestControl::GetCaption,
                                                    &TTestControl::SetCaption),
                nyxprop::Wide("Hint", &TTestControl::Hint),
            });
        return table;
    }
    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }

    void SetWidth(int32_t value) {
        Width = value;
        ++WidthSets;
    }
    std::string GetCaption() const { return Utf16ToUtf8(Caption); }
    void SetCaption(const std::string& value) { Caption = Utf8ToUtf16(value); }

    int32_t Width = 0;
    int WidthSets = 0;
    uint8_t PictureAlpha = 0;
    bool Checked = false;
    TAlign HAlign = TAlign::haNone;
    std::u16string Caption;
    std::u16string Hint;
};

class NyxObjects : public ::testing::Test {
protected:
    void SetUp() override { TNyxClassReg::Global().Register<TTestControl>(); }

    TTestControl& Control(const std::string& name) {
        const int32_t index = engine.CreateObject(name, "WForm", "TTestControl");
        EXPECT_GE(index, 0);
        return static_cast<TTestControl&>(*engine.Object(index));
    }

    TNyxEngine engine;
};

TEST_F(NyxObjects, RegistryStartsWithTheBaseClassAndMatchesNamesExactly) {
    const auto& registry = TNyxClassReg::Global();
    ASSERT_FALSE(registry.Classes().empty());
    EXPECT_EQ(registry.Classes()[0].ClassName, "TNyxObject");
    EXPECT_NE(registry.FindClass("TTestControl"), nullptr);
    EXPECT_EQ(registry.FindClass("ttestcontrol"), nullptr);
    EXPECT_FALSE(TNyxClassReg::Global().Register<TTestControl>());

    EXPECT_EQ(engine.CreateObject("A", "", "TTESTCONTROL"), -1);
    EXPECT_EQ(engine.CreateObject("A", "", "TNoSuchClass"), -1);
    EXPECT_EQ(engine.Count(), 0);
}

TEST_F(NyxObjects, CreateObjectSetsEngineParentAndNameButDoesNotResolve) {
    engine.CreateObject("WForm", "", "TNyxObject");
    TTestControl& button = Control("WForm_BOk");
    EXPECT_EQ(button.GetEngine(), &engine);
    EXPECT_EQ(button.ParentName, "WForm");
    EXPECT_EQ(button.GetName(), "WForm_BOk");
    EXPECT_EQ(button.ParentObject, nullptr);
    engine.ResolveParents();
    EXPECT_EQ(button.ParentObject, engine.FindObject("WForm"));
    EXPECT_EQ(engine.Object(0)->ParentObject, nullptr);
}

TEST_F(NyxObjects, DuplicateNamesAreRefusedSilently) {
    TTestControl& a = Control("A");
    TTestControl& b = Control("A");
    EXPECT_EQ(b.GetName(), "");
    EXPECT_EQ(engine.FindObject("A"), &a);
    EXPECT_EQ(engine.IndexOf("a"), -1);

    b.SetName("B");
    b.SetName("A");
    EXPECT_EQ(b.GetName(), "B");
    // Renaming to the current name is a no-op even when another object shares it.
    b.SetName("B");
    EXPECT_EQ(b.GetName(), "B");
    EXPECT_NO_THROW(engine.SetProperty("B", "name", "A"));
    EXPECT_EQ(b.GetName(), "B");
}

TEST_F(NyxObjects, DeleteIgnoresBadIndexesAndShiftsTheRest) {
    Control("A");
    Control("B");
    Control("C");
    engine.Delete(-1);
    engine.Delete(3);
    EXPECT_EQ(engine.Count(), 3);
    engine.Delete(0);
    EXPECT_EQ(engine.IndexOf("B"), 0);
    EXPECT_EQ(engine.IndexOf("C"), 1);
    engine.Remove("C");
    engine.Remove("Nobody");
    EXPECT_EQ(engine.Count(), 1);
    engine.Clear();
    EXPECT_EQ(engine.Count(), 0);
    engine.Delete(0);
}

TEST_F(NyxObjects, AssignCopiesTagAndEngineButNotNames) {
    TTestControl& a = Control("A");
    a.Tag = 7;
    TNyxObject loose;
    loose.SetName("Loose");
    loose.Assign(a);
    EXPECT_EQ(loose.Tag, 7);
    EXPECT_EQ(loose.GetEngine(), &engine);
    EXPECT_EQ(loose.GetName(), "Loose");
    EXPECT_EQ(loose.ParentName, "");
}

TEST_F(NyxObjects, PropertyTableListsBaseRowsFirst) {
    EXPECT_EQ(TTestControl::StaticProperties().Describe(),
              "ParentName string plain\n"
              "Name string setter\n"
              "Tag integer plain\n"
              "Width integer setter\n"
              "PictureAlpha byte plain\n"
              "Checked boolean plain\n"
              "HAlign enumeration(haNone,haLeft,haCenter) plain\n"
              "Caption utf8string setter\n"
              "Hint widestring plain\n");
}

TEST_F(NyxObjects, IntegersAreTruncatedAndRangeChecked) {
    TTestControl& c = Control("C");
    EXPECT_TRUE(engine.SetProperty("C", "width", "12.9"));
    EXPECT_EQ(c.Width, 12);
    EXPECT_EQ(c.WidthSets, 1);
    engine.SetProperty("C", "WIDTH", "-3.9");
    EXPECT_EQ(c.Width, -3);
    engine.SetProperty("C", "Width", " 2147483647 ");
    EXPECT_EQ(c.Width, 2147483647);
    EXPECT_EQ(std::get<int32_t>(engine.GetProperty("C", "Width")), 2147483647);

    try {
        engine.SetProperty("C", "Width", "wide");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Could not convert variant of type (String) into type (Double)");
    }
    try {
        engine.SetProperty("C", "Width", "2147483648");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Range check error");
    }
    EXPECT_THROW(engine.SetProperty("C", "Width", ""), Error);
    EXPECT_THROW(engine.SetProperty("C", "Width", "inf"), Error);
    EXPECT_EQ(c.Width, 2147483647);

    engine.SetProperty("C", "PictureAlpha", "255");
    EXPECT_EQ(c.PictureAlpha, 255);
    engine.SetProperty("C", "PictureAlpha", "-0.5");
    EXPECT_EQ(c.PictureAlpha, 0);
    EXPECT_THROW(engine.SetProperty("C", "PictureAlpha", "256"), Error);
    EXPECT_THROW(engine.SetProperty("C", "PictureAlpha", "-1"), Error);
    EXPECT_EQ(std::get<int32_t>(engine.GetProperty("C", "PictureAlpha")), 0);
}

TEST_F(NyxObjects, IdentifiersMatchIgnoringCaseAndReadBackAsDeclared) {
    TTestControl& c = Control("C");
    for (const char* text : {"true", "True", "TRUE"}) {
        c.Checked = false;
        engine.SetProperty("C", "Checked", text);
        EXPECT_TRUE(c.Checked) << text;
    }
    EXPECT_EQ(std::get<std::string>(engine.GetProperty("C", "checked")), "True");
    try {
        engine.SetProperty("C", "Checked", "yes");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid property element: yes");
    }
    EXPECT_TRUE(c.Checked);

    engine.SetProperty("C", "HAlign", "hacenter");
    EXPECT_EQ(c.HAlign, TAlign::haCenter);
    EXPECT_EQ(PropValueToString(engine.GetProperty("C", "HAlign")), "haCenter");
    EXPECT_THROW(engine.SetProperty("C", "HAlign", "haRight"), Error);
}

TEST_F(NyxObjects, StringsAreStoredUnchangedAndWideStringsByteByByte) {
    TTestControl& c = Control("C");
    engine.SetProperty("C", "ParentName", " WOther ");
    EXPECT_EQ(c.ParentName, " WOther ");
    engine.SetProperty("C", "Caption", "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
    EXPECT_EQ(c.Caption, u"Gr\u00FC\u00DF \u20AC");
    EXPECT_EQ(std::get<std::string>(engine.GetProperty("C", "Caption")),
              "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
    engine.SetProperty("C", "Hint", "\xE9t\xE9");
    EXPECT_EQ(c.Hint, u"\u00E9t\u00E9");
    c.Hint += u'\u20AC';
    EXPECT_EQ(std::get<std::string>(engine.GetProperty("C", "Hint")), "\xE9t\xE9?");
    engine.SetProperty("C", "Tag", "-5");
    EXPECT_EQ(PropValueToString(engine.GetProperty("C", "tag")), "-5");
}

TEST_F(NyxObjects, UnknownObjectsAndPropertiesAreReported) {
    Control("C");
    EXPECT_FALSE(engine.SetProperty("Nobody", "Width", "1"));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(engine.GetProperty("Nobody", "Width")));
    try {
        engine.SetProperty("C", "Colour", "1");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Property Colour does not exist");
    }
    EXPECT_THROW(engine.GetProperty("C", "Colour"), Error);
}

} // namespace
} // namespace qz
