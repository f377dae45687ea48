#include "text/ShiftJis.h"
#include "text/ShortString.h"

#include <gtest/gtest.h>

using namespace tavrel;

TEST(ShiftJis, RoundTripsJapaneseAndAscii) {
    const std::string text = "計測パラメータ ABC ～①￥\\~";
    const auto cp932 = Utf8ToCp932(text);
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(Cp932ToUtf8(*cp932), text);
    // 0x5C and 0x7E stay backslash and tilde in CP932.
    EXPECT_EQ(Utf8ToCp932("\\~").value(), "\\~");
    // "計" is 0x8C 0x76.
    EXPECT_EQ(Utf8ToCp932("計").value(), "\x8C\x76");
}

TEST(ShiftJis, RefusesTextWithoutCp932Form) {
    EXPECT_FALSE(Utf8ToCp932("emoji \xF0\x9F\x98\x80").has_value());
    EXPECT_FALSE(Utf8ToCp932("\xC3\x28").has_value()); // not UTF-8
    EXPECT_EQ(Utf8ToCp932("").value(), "");
}

TEST(ShiftJis, UndecodableBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Cp932ToUtf8("a\xA0z"), "a\xEF\xBF\xBDz");
}

TEST(ShiftJis, CutsNeverSplitADoubleByteCharacter) {
    const std::string kanji = Utf8ToCp932("あいう").value(); // 6 bytes
    EXPECT_EQ(Cp932PrefixLength(kanji, 6), 6u);
    EXPECT_EQ(Cp932PrefixLength(kanji, 5), 4u);
    EXPECT_EQ(Cp932PrefixLength(kanji, 1), 0u);
    const std::string mixed = "a" + kanji; // a, then three double-byte characters
    EXPECT_EQ(Cp932PrefixLength(mixed, 2), 1u);
    EXPECT_EQ(Cp932PrefixLength(mixed, 3), 3u);
    // Half-width katakana (0xA1..0xDF) are single bytes.
    const std::string kana = Utf8ToCp932("ﾊﾟﾗ").value();
    EXPECT_EQ(kana.size(), 3u);
    EXPECT_EQ(Cp932PrefixLength(kana, 2), 2u);
    // A lone lead byte at the very end is kept as a byte, not dropped.
    EXPECT_EQ(Cp932PrefixLength("ab\x82", 10), 3u);
}

TEST(ShortString, CutsToCapacityAtCharacterBoundary) {
    ShortString<16> name;
    name = std::string_view("0123456789abcdefXYZ");
    EXPECT_EQ(name.Str(), "0123456789abcdef");
    const std::string fifteenPlusKanji = "0123456789abcde" + Utf8ToCp932("漢").value();
    name = fifteenPlusKanji;
    EXPECT_EQ(name.Str(), "0123456789abcde");
    ShortString<8> unit("mV");
    EXPECT_EQ(unit.Size(), 2u);
}
