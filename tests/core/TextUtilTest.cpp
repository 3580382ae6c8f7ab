#include "ground/TextUtil.h"
#include "ground/GbkCodec.h"

#include <gtest/gtest.h>

TEST(ExtractFirstWord, Cases) {
    const struct {
        const char* text;
        const char* word;
        const char* rest;
    } cases[] = {
        {"合同  法\t规", "合同", "法\t规"},
        {"合同", "合同", ""},
        {" 合同", "", "合同"},
        {"a \t\r\n\v\fb", "a", "b"},
        {"a　b c", "a　b", "c"}, // the full-width blank is no separator
        {"a ", "a", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(ExtractFirstWord(text), c.word) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

TEST(SplitWords, KeepsEmptyWordsOfLeadingSpaces) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitWords(""), V{});
    EXPECT_EQ(SplitWords("合同 法"), (V{"合同", "法"}));
    EXPECT_EQ(SplitWords(" 合同  法 "), (V{"", "合同", "法"}));
}

TEST(ReplaceAll, LeftToRightWithoutOverlap) {
    const struct {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"aaa", "aa", "b", "ba"},
        {"a\nb\n", "\n", "<br>", "a<br>b<br>"},
        {"合同合同", "合同", "<font color=blue>合同</font>", "<font color=blue>合同</font><font color=blue>合同</font>"},
        {"Abc abc", "abc", "X", "Abc X"},
        {"abc", "", "X", "abc"},
        {"x", "x", "xx", "xx"},
        {"\xE5\x90\x88", "\x90\x88", "!", "\xE5\x90\x88"}, // never inside a character
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        ReplaceAll(text, c.pattern, c.replacement);
        EXPECT_EQ(text, c.result) << c.text << " / " << c.pattern;
    }
}

TEST(GbkCodec, RoundTripInvalidBytesAndCounts) {
    CGbkCodec gbk;
    ASSERT_TRUE(gbk.IsValid());
    const std::string text = "中华人民共和国合同法 Article 1 €𠀀";
    const std::string wire = gbk.FromUtf8(text);
    EXPECT_EQ(gbk.ToUtf8(wire), text);
    EXPECT_EQ(gbk.FromUtf8("税收"), "\xCB\xB0\xCA\xD5");
    // Invalid and truncated input becomes U+FFFD and the rest survives.
    EXPECT_EQ(gbk.ToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(gbk.ToUtf8("ab\xCB"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(gbk.FromUtf8("a\xFF" "b"), "a?b");
    EXPECT_EQ(CGbkCodec::GbkByteCount("abc"), 3u);
    EXPECT_EQ(CGbkCodec::GbkByteCount("合同a"), 5u);
    CGbkCodec unknown("NO-SUCH-CHARSET");
    EXPECT_FALSE(unknown.IsValid());
    EXPECT_EQ(unknown.ToUtf8("x"), "x");
}
