#include "display/VersionCompare.h"

#include <gtest/gtest.h>

namespace {

std::string Marked(const std::vector<CCompareSpan>& spans) {
    std::string out;
    for (const CCompareSpan& s : spans)
        out += s.m_bChanged ? "[" + s.m_strText + "]" : s.m_strText;
    return out;
}

} // namespace

TEST(VersionCompare, AlignsByArticleAndMarksTheCharactersThatDiffer) {
    const std::string older = "前言\n第一条　甲乙丙。\n第二条　旧的条文。\n第三条　删去的。\n"
                              "第四条　不变。";
    const std::string newer = "前言\n第一条　甲乙丁丙。\n第二条　新的条文。\n第四条　不变。\n"
                              "第五条　新增的。";
    const std::vector<CCompareRow> rows = CVersionCompare::Compare(older, newer);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].m_nState, CCompareRow::Same);
    EXPECT_EQ(rows[1].m_nState, CCompareRow::Changed);
    EXPECT_EQ(Marked(rows[1].m_old), "第一条　甲乙丙。");
    EXPECT_EQ(Marked(rows[1].m_new), "第一条　甲乙[丁]丙。");
    EXPECT_EQ(Marked(rows[2].m_old), "第二条　[旧]的条文。");
    EXPECT_EQ(Marked(rows[2].m_new), "第二条　[新]的条文。");
    EXPECT_EQ(rows[3].m_nState, CCompareRow::Removed);
    EXPECT_EQ(rows[3].m_strHeading, "第三条");
    EXPECT_TRUE(rows[3].m_new.empty());
    EXPECT_EQ(rows[4].m_nState, CCompareRow::Same);
    EXPECT_EQ(rows[5].m_nState, CCompareRow::Added);
    EXPECT_EQ(rows[5].m_strHeading, "第五条");
    const CVersionCompare::CCounts counts = CVersionCompare::Count(rows);
    EXPECT_EQ(counts.m_nChanged, 2);
    EXPECT_EQ(counts.m_nAdded, 1);
    EXPECT_EQ(counts.m_nRemoved, 1);

    const std::string html = CVersionCompare::Html(rows, "2012 <旧>", "2021");
    EXPECT_NE(html.find("2012 &lt;旧&gt;"), std::string::npos);
    EXPECT_NE(html.find("name=\"change4\""), std::string::npos);
    EXPECT_EQ(html.find("name=\"change5\""), std::string::npos);
}

TEST(VersionCompare, LongUnitsMarkupAndBrokenTextStayCorrect) {
    // A law without articles, long: compared line by line, the changed line by characters.
    std::string older, newer;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "第" + std::to_string(i) + "行的文字，内容相同。\n";
        older += line;
        newer += i == 1500 ? "第1500行的文字，内容不同。\n" : line;
    }
    const std::vector<CCompareRow> rows = CVersionCompare::Compare(older, newer);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].m_nState, CCompareRow::Changed);
    const std::string marked = Marked(rows[0].m_new);
    EXPECT_NE(marked.find("内容[不]同"), std::string::npos);
    EXPECT_EQ(std::count(marked.begin(), marked.end(), '['), 1);

    // Markup in a law's text is shown as text; broken UTF-8 and empty texts do not crash.
    const std::vector<CCompareRow> tags =
        CVersionCompare::Compare("第一条 <b>x</b>", "第一条 <i>x</i>");
    EXPECT_EQ(CVersionCompare::Html(tags, "a", "b").find("<b>"), std::string::npos);
    EXPECT_TRUE(CVersionCompare::Compare("", "").empty());
    EXPECT_EQ(CVersionCompare::Compare("第一条 \xE4\xB8", "第一条 \xFF").size(), 1u);
}
