#include "display/LawArticles.h"

#include <gtest/gtest.h>

TEST(LawArticles, NumbersReadAndWrittenInChineseNumerals) {
    const struct {
        const char* text;
        int number;
    } cases[] = {{"一", 1},
                 {"十", 10},
                 {"十二", 12},
                 {"二十", 20},
                 {"一百零一", 101},
                 {"二百三十二", 232},
                 {"一千二百六十", 1260},
                 {"一千零五", 1005},
                 {"232", 232},
                 {"两", 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(CLawArticles::ParseNumber(c.text), c.number) << c.text;
        const bool written = c.text[0] < '0' || c.text[0] > '9';
        if (written && std::string(c.text) != "两") {
            EXPECT_EQ(CLawArticles::ChineseNumber(c.number), c.text);
        }
    }
    EXPECT_EQ(CLawArticles::ParseNumber("条"), 0);
    EXPECT_EQ(CLawArticles::ParseNumber(""), 0);
    EXPECT_EQ(CLawArticles::ArticleFromArgument("232"), "第二百三十二条");
    EXPECT_EQ(CLawArticles::ArticleFromArgument(" 第二百三十二条 "), "第二百三十二条");
    EXPECT_EQ(CLawArticles::ArticleFromArgument("第232条"), "第二百三十二条");
    EXPECT_EQ(CLawArticles::ArticleFromArgument("第三章"), "");
    EXPECT_EQ(CLawArticles::ArticleFromArgument("abc"), "");
    EXPECT_EQ(CLawArticles::ArticleFromArgument("0"), "");
}

TEST(LawArticles, SplitsAtHeadingLinesOnly) {
    const std::string text = "总则说明\n\n第一章　总则\n\n第一条　为了……，依照本法第十条制定。\n\n"
                             "第二条　适用本法。\n第二款的文字。\n\n第二章　分则\n\n第三条 最后。";
    const std::vector<CLawUnit> units = CLawArticles::Split(text);
    ASSERT_EQ(units.size(), 6u);
    EXPECT_EQ(units[0].m_nKind, CLawUnit::Preamble);
    EXPECT_EQ(units[1].m_strHeading, "第一章");
    EXPECT_EQ(units[1].m_nKind, CLawUnit::Chapter);
    EXPECT_EQ(units[2].m_strHeading, "第一条");
    EXPECT_EQ(units[3].m_strHeading, "第二条");
    EXPECT_EQ(units[3].m_nNumber, 2);
    EXPECT_EQ(units[5].m_strHeading, "第三条");
    EXPECT_EQ(units[5].m_nEnd, text.size());
    // A citation inside a sentence ("本法第十条") is no heading.
    for (const CLawUnit& u : units)
        EXPECT_NE(u.m_strHeading, "第十条");

    CLawUnit unit;
    const size_t inSecondParagraph = text.find("第二款的文字");
    ASSERT_TRUE(CLawArticles::ArticleAt(text, inSecondParagraph, unit));
    EXPECT_EQ(unit.m_strHeading, "第二条");
    EXPECT_EQ(CLawArticles::Citation(
                  "中华人民共和国某法", unit.m_strHeading,
                  std::string_view(text).substr(unit.m_nBegin, unit.m_nEnd - unit.m_nBegin)),
              "《中华人民共和国某法》第二条\n适用本法。\n第二款的文字。");
    // In a chapter heading or the preamble there is no article.
    EXPECT_FALSE(CLawArticles::ArticleAt(text, text.find("分则"), unit));
    EXPECT_FALSE(CLawArticles::ArticleAt(text, 0, unit));
    // A selection from the first article into a chapter heading begins at the first.
    CLawUnit first, last;
    ASSERT_TRUE(
        CLawArticles::ArticlesBetween(text, text.find("分则"), text.find("为了"), first, last));
    EXPECT_EQ(first.m_strHeading, "第一条");
    EXPECT_EQ(last.m_strHeading, "第一条");
    EXPECT_TRUE(CLawArticles::Split("").empty());
    EXPECT_EQ(CLawArticles::Split("没有条文的文字").size(), 1u);
}
