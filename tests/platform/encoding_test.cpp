#include <gtest/gtest.h>

#include "platform/encoding.h"

TEST(Encoding, GbkRoundTripsThroughUtf8AndUtf16)
{
    const std::string gbk = "\xD6\xD0\xCE\xC4 ok"; // 中文 ok
    EXPECT_EQ(kwz::gbkToUtf8(gbk), "中文 ok");
    EXPECT_EQ(kwz::gbkToUtf16(gbk), u"中文 ok");
    EXPECT_EQ(kwz::utf8ToGbk("中文 ok"), gbk);
    EXPECT_EQ(kwz::utf16ToGbk(u"中文 ok"), gbk);
    EXPECT_EQ(kwz::gbkToUtf8(""), "");
}

TEST(Encoding, CharactersOutsideGbkSurviveAsGb18030)
{
    // µ and ² have no two-byte GBK code; a plain GBK encoder would turn them into '?'.
    const std::string narrow = kwz::utf8ToGbk("µm²");
    EXPECT_EQ(narrow, "\x81\x30\x85\x38m\x81\x30\x85\x35");
    EXPECT_EQ(kwz::gbkToUtf8(narrow), "µm²");
}

TEST(Encoding, Big5UnitWords)
{
    const std::string big5 = "\xB7\x4C\xA6\xCC"; // 微米
    EXPECT_EQ(kwz::big5ToUtf8(big5), "微米");
    EXPECT_EQ(kwz::big5ToUtf16(big5), u"微米");
    EXPECT_EQ(kwz::utf8ToBig5("微米"), big5);
    // A Simplified-only character has no Big5 code: one '?' for the whole character.
    EXPECT_EQ(kwz::utf8ToBig5("a测b"), "a?b");
}

TEST(Encoding, BadInputBecomesReplacementsNotCrashes)
{
    // A lead byte without its trail byte, then an invalid pair, then text.
    EXPECT_EQ(kwz::gbkToUtf8("x\xFF"), "x\xEF\xBF\xBD");
    EXPECT_EQ(kwz::gbkToUtf16("\xD6"), u"\uFFFD");
    EXPECT_EQ(kwz::utf8ToGbk("a\xC3"), "a?");
    EXPECT_EQ(kwz::utf8ToGbk("\xE4\xB8x"), "?x");
    // A lone surrogate is not a character.
    EXPECT_EQ(kwz::utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"z"), "\xEF\xBF\xBDz");
    EXPECT_EQ(kwz::utf8ToUtf16("h\xE2\x82\xACllo"), u"h€llo");
}

TEST(Encoding, LongTextsConvertWhole)
{
    std::string gbk;
    std::u16string wide;
    for (int i = 0; i < 5000; ++i)
    {
        gbk += "\xD6\xD0"
               "a";
        wide += u"中a";
    }
    // Compared as booleans: a failure must not print ten thousand characters.
    EXPECT_TRUE(kwz::gbkToUtf16(gbk) == wide);
    EXPECT_TRUE(kwz::utf16ToGbk(wide) == gbk);
}
