#include "objects/NyxStrings.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(NyxStrings, Utf8RoundTripsEveryPlane) {
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, (std::u16string{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(NyxStrings, MalformedUtf8BecomesReplacementCharacters) {
    // Stray continuation, overlong "/", encoded surrogate, above U+10FFFF, cut sequence.
    EXPECT_EQ(Utf8ToUtf16("\x80"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"
                          "A"),
              u"\uFFFDA");
    EXPECT_EQ(Utf8ToUtf16("\xFF"
                          "b"),
              u"\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD");
}

TEST(NyxStrings, LoneSurrogatesAreWrittenAsReplacement) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
}

TEST(NyxStrings, AnsiWidensAndNarrowsByteByByte) {
    EXPECT_EQ(WidenAnsi("a\xFF"), (std::u16string{u'a', 0x00FF}));
    EXPECT_EQ(NarrowAnsi(std::u16string{u'a', 0x00FF, 0x0100}), "a\xFF?");
}

} // namespace
} // namespace qz
