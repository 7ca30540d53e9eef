#include "archive/CUnit.h"

#include "archive/Random.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

std::string Cipher(const std::string& bytes, const std::string& key) {
    TMemoryStream source(bytes);
    TMemoryStream dest("left over");
    CipherStream(source, dest, key);
    EXPECT_EQ(source.Size(), 0u);
    EXPECT_EQ(dest.Position(), 0u);
    return dest.ToString();
}

TEST(Cipher, EmptySourceGivesEmptyDest) {
    EXPECT_EQ(Cipher("", "key"), "");
}

TEST(Cipher, ShortFinalBlockIsOnlyXoredWithTheRepeatedKey) {
    const std::string expected{'\x10' ^ 'a', '\x20' ^ 'b', '\x30' ^ 'a'};
    EXPECT_EQ(Cipher("\x10\x20\x30", "ab"), expected);
    // A long key contributes its first eight characters only.
    EXPECT_EQ(Cipher("\x01", "Zabcdefghij"), std::string{'\x01' ^ 'Z'});
}

TEST(Cipher, FullBlockWithZeroKeyIsTransposed) {
    const std::string zeroKey(8, '\0');
    EXPECT_EQ(Cipher(std::string("\xFF\0\0\0\0\0\0\0", 8), zeroKey), std::string(8, '\x01'));
    // Bit j of output byte i is bit i of input byte j.
    EXPECT_EQ(Cipher(std::string("\x02\0\0\0\0\0\0\x80", 8), zeroKey),
              std::string("\0\x01\0\0\0\0\0\x80", 8));
}

TEST(Cipher, EmptyKeyUsesTheDefaultKey) {
    EXPECT_EQ(Cipher("abc", ""), Cipher("abc", std::string(1, DefaultCipherKey)));
}

TEST(Cipher, TwiceWithTheSameKeyRestoresAnyInput) {
    TRandom random(7);
    for (int length = 0; length < 70; ++length) {
        std::string bytes(static_cast<size_t>(length), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random.Next(256));
        }
        const std::string key =
            length % 5 == 0 ? "" : std::string("k3y!Zq9~x").substr(0, length % 10);
        EXPECT_EQ(Cipher(Cipher(bytes, key), key), bytes) << "length " << length;
        if (length >= 8 && !key.empty()) {
            EXPECT_NE(Cipher(bytes, key), bytes);
        }
    }
}

TEST(PlainText, LinesUpTo254CharactersWithCrLf) {
    EXPECT_TRUE(IsPlainText(TMemoryStream("")));
    EXPECT_FALSE(IsPlainText(TMemoryStream(std::string(300, 'a'))));
    EXPECT_TRUE(IsPlainText(TMemoryStream(std::string(250, 'a') + "\r\n" + std::string(250, 'b'))));
    EXPECT_TRUE(IsPlainText(TMemoryStream(std::string(255, 'a'))));
    EXPECT_FALSE(IsPlainText(TMemoryStream(std::string(256, 'a'))));
    EXPECT_TRUE(IsPlainText(TMemoryStream(std::string(254, 'a') + "\r\n")));
    EXPECT_FALSE(IsPlainText(TMemoryStream(std::string(255, 'a') + "\r\n")));
    // LF alone does not end a line; a control byte after CR other than LF is not text.
    EXPECT_FALSE(IsPlainText(TMemoryStream(std::string(200, 'a') + "\n" + std::string(200, 'b'))));
    EXPECT_FALSE(IsPlainText(TMemoryStream("ab\r\tc")));
    EXPECT_TRUE(IsPlainText(TMemoryStream("ab\tc\x01\r\n")));
}

TEST(LineCodec, RotatesPrintableCodesAndKeepsControls) {
    EXPECT_EQ(EncodeText("A"), "t");
    EXPECT_EQ(EncodeText("\xD2"), "%");
    EXPECT_EQ(DecodeText("t"), "A");
    EXPECT_EQ(DecodeText("%"), "\xD2");
    EXPECT_EQ(EncodeText("\t\n\r"), "\t\n\r");
    for (int code = 0; code < 256; ++code) {
        const std::string one(1, static_cast<char>(code));
        EXPECT_EQ(DecodeText(EncodeText(one)), one) << code;
        EXPECT_EQ(EncodeText(one).size(), 1u);
    }
    EXPECT_EQ(EncodeText("\xCC\xCD"), "\xFF\x20");
}

TEST(DigitCodec, ShuffleAndKeyDerivation) {
    EXPECT_EQ(KeepDigits("a1-2 3x"), "123");
    EXPECT_EQ(ShuffleString("1234"), "3142");
    EXPECT_EQ(ShuffleString("123"), "123");
    EXPECT_EQ(ShuffleString(""), "");
    // "905996" shuffles to "999065": three characters and a leading zero go, "65" is "A".
    EXPECT_EQ(ShuffleString("905996"), "999065");
    EXPECT_EQ(DigitsToText("9x0-5996"), "A");
    // Odd lengths are not shuffled. Each byte keeps its low 7 bits; zero bytes are skipped.
    EXPECT_EQ(DigitsToText("0000193"), "A");
    EXPECT_EQ(DigitsToText("0000322"), "B\x01");
    EXPECT_EQ(DigitsToText("000065601"), "A\x01");
    EXPECT_EQ(DigitsToText(""), "");
    EXPECT_EQ(DigitsToText("99999999999999999999999999"), "");
}

TEST(DigitCodec, DataKeyIsFixedForAllGameData) {
    // Every enciphered file of the game was written with this key: changing the digit
    // constant makes the shipped data unreadable.
    EXPECT_EQ(DataKey(), "Qz7#kR2m");
}

} // namespace
} // namespace qz
