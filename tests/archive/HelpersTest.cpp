#include "archive/Helpers.h"

#include "archive/MemoryStream.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(Helpers, SplitKeepsEmptyPieces) {
    EXPECT_EQ(SplitString("a,b,,c", ','), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(SplitString("", ','), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitString(",", ','), (std::vector<std::string>{"", ""}));
}

TEST(Helpers, TrimRemovesControlsAndBlanks) {
    EXPECT_EQ(Trim(" \t\r\n x y \x01"), "x y");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_TRUE(SameText("AbC", "aBc"));
    EXPECT_FALSE(SameText("\xC4", "\xE4"));
}

TEST(Helpers, NumberConversionWithDefault) {
    EXPECT_EQ(StrToIntDef("42", -1), 42);
    EXPECT_EQ(StrToIntDef("  -7", 0), -7);
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("0x10", 0), 16);
    EXPECT_EQ(StrToIntDef("12 ", -1), -1);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_EQ(StrToIntDef("-", -1), -1);
    EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
    EXPECT_EQ(TryStrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_FALSE(TryStrToInt64("9223372036854775808"));
    EXPECT_DOUBLE_EQ(StrToFloatDef("1.5", 0), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatDef("-2e3", 0), -2000);
    EXPECT_DOUBLE_EQ(StrToFloatDef("1,5", 9), 9);
    EXPECT_DOUBLE_EQ(StrToFloatDef("x", 9), 9);
}

TEST(Helpers, RectanglesAreInclusive) {
    const TRect a{0, 0, 9, 9};
    EXPECT_EQ(a.Width(), 10);
    EXPECT_TRUE(PtInRect(a, {9, 9}));
    EXPECT_FALSE(PtInRect(a, {10, 0}));
    EXPECT_EQ(IntersectRect(a, {9, 9, 20, 20}), (TRect{9, 9, 9, 9}));
    EXPECT_FALSE(IntersectRect(a, {10, 0, 20, 20}));
    TIntegers list;
    EXPECT_EQ(AddInteger(list, 5), 0);
    EXPECT_EQ(AddInteger(list, 5), 1);
    EXPECT_EQ(IndexOfInteger(list, 5), 0);
    EXPECT_EQ(IndexOfInteger(list, 6), -1);
}

TEST(MemoryStream, ReadWriteAndCopy) {
    TMemoryStream stream;
    stream.Write("hello");
    EXPECT_EQ(stream.Position(), 5u);
    stream.SetPosition(7);
    stream.Write("!");
    EXPECT_EQ(stream.ToString(), std::string("hello\0\0!", 8));
    char buffer[4];
    stream.SetPosition(6);
    EXPECT_EQ(stream.Read(buffer, 4), 2u);
    EXPECT_EQ(stream.Read(buffer, 4), 0u);
    TMemoryStream copy;
    copy.CopyFrom(stream);
    EXPECT_EQ(copy.View(), stream.View());
    EXPECT_EQ(copy.Position(), copy.Size());
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2u);
    EXPECT_EQ(stream.ToString(), "he");
}

} // namespace
} // namespace qz
