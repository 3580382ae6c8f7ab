#include "SearchFixtureDb.h"

#include "data/SqlSelect.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "search/SearchComposer.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCatA = 0x2000000;            // level 1
constexpr int kCatA1 = kCatA + 0x80000;     // level 2
constexpr int kCatA1a = kCatA1 + 0x2000;    // level 3
constexpr int kCatA1a4 = kCatA1a + 0x80;    // level 4
constexpr int kCatA1a45 = kCatA1a4 + 1;     // level 5
constexpr int kCatA2 = kCatA + 2 * 0x80000; // level 2
constexpr int kCatB = 2 * 0x2000000;        // level 1

const char* const kFrame =
    "select  distinct law.lawid as lawid,law.topic as topic,law.datum as datum,"
    "law.wenhao as wenhao,law.bumen as bumen from (dornlawas v left join dornlaws law on "
    "v.lawid=law.lawid)";

class SearchComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddLaw(1, "中华人民共和国合同法", "1999-03-15", "主席令第15号", "全国人民代表大会");
        db.AddLaw(2, "合同行政监督管理办法", "2003-01-01", "国家工商行政管理总局令第3号",
                  "国家工商行政管理总局");
        db.AddLaw(3, "担保法司法解释", "2003-12-31", "法释〔2000〕44号", "最高人民法院");
        db.AddLaw(4, "O'Brien v. State 合同 case", "2004-01-01");
        db.AddLaw(5, "劳动合同法实施条例", "2008-09-18 10:30:00", "国务院令第535号", "国务院");
        db.AddLaw(6, "", "2005-06-01");
        db.AddLaw(7, "合同法", "2010-01-01"); // filed under no category
        db.AddLaw(8, "100% 合格 标准", "2002-05-05");
        db.AddLink(1, kCatA1);
        db.AddLink(1, kCatA1a);
        db.AddLink(2, kCatA1a45);
        db.AddLink(3, kCatA2);
        db.AddLink(4, kCatB);
        db.AddLink(5, kCatB);
        db.AddLink(5, kCatA1a4);
        db.AddLink(6, kCatA);
        db.AddLink(8, kCatB);
    }

    std::string TitleStatement(int treeId, const std::string& text, int scope) {
        CSqlSelect builder;
        CSearchComposer("dornlawas", "dornlaws", treeId).ComposeTitleSearch(builder, text, scope);
        return builder.Build();
    }

    std::string AdvancedStatement(int treeId, const CAdvancedSearchValues& values) {
        CSqlSelect builder;
        CSearchComposer("dornlawas", "dornlaws", treeId).ComposeAdvancedSearch(builder, values);
        return builder.Build();
    }

    CMessageRecorder messages;
    CSearchFixtureDb db;
};

TEST_F(SearchComposerTest, TitleSearchOfTheChineseEditionReadsAsDocumented) {
    EXPECT_EQ(TitleStatement(33554432, "合同", 0),
              "select  distinct law.lawid as lawid,law.topic as topic,law.datum as datum,"
              "law.wenhao as wenhao,law.bumen as bumen from (dornlawas v left join dornlaws law "
              "on v.lawid=law.lawid) where v.treeid>=33554432 and v.treeid<67108864 and "
              "law.topic like '%合同%' order by datum DESC");
    EXPECT_EQ(TitleStatement(0, "", 0), std::string(kFrame) + " order by datum DESC");
    EXPECT_EQ(TitleStatement(kCatA, "", 1), std::string(kFrame) + " order by datum DESC");
    EXPECT_EQ(TitleStatement(0, "合同  条例", 0),
              std::string(kFrame) +
                  " where law.topic like '%合同%' and law.topic like '%条例%' order by datum DESC");
    EXPECT_EQ(TitleStatement(0, " 合同", 1),
              std::string(kFrame) +
                  " where law.topic like '%%' and law.topic like '%合同%' order by datum DESC");
    EXPECT_EQ(TitleStatement(0, "O'Brien", 1),
              std::string(kFrame) + " where law.topic like '%O''Brien%' order by datum DESC");
}

TEST_F(SearchComposerTest, TitleSearchFindsTheLawsOfScopeAndWords) {
    struct Case {
        const char* what;
        int treeId;
        int scope;
        const char* text;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"no category: every filed law, newest first", 0, 0, "", {5, 6, 4, 3, 2, 8, 1}},
        {"all categories ignore the selection", kCatA, 1, "", {5, 6, 4, 3, 2, 8, 1}},
        {"level 1 subtree, a law filed twice listed once", kCatA, 0, "", {5, 6, 3, 2, 1}},
        {"level 2 subtree", kCatA1, 0, "", {5, 2, 1}},
        {"level 3 subtree", kCatA1a, 0, "", {5, 2, 1}},
        {"level 4 subtree", kCatA1a4, 0, "", {5, 2}},
        {"level 5 category", kCatA1a45, 0, "", {2}},
        {"sibling subtree", kCatB, 0, "", {5, 4, 8}},
        {"one word", 0, 1, "合同", {5, 4, 2, 1}},
        {"one word in a subtree", kCatB, 0, "合同", {5, 4}},
        {"two words must both occur", 0, 1, "合同 条例", {5}},
        {"a double space is one separator", 0, 1, "合同  条例", {5}},
        {"a leading space adds %% which skips an empty title", 0, 1, " ", {5, 4, 3, 2, 8, 1}},
        {"a quote is found as typed", 0, 1, "O'Brien", {4}},
        {"Latin letters match in any case", 0, 1, "o'brien", {4}},
        {"underscore matches one character", 0, 1, "合_法", {5, 1}},
        {"percent matches any run", 0, 1, "合%例", {5}},
        {"a typed percent sign stays a wildcard", 0, 1, "100%", {8}},
        {"a word that occurs nowhere", 0, 1, "刑法", {}},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(db.LawIds(TitleStatement(c.treeId, c.text, c.scope), &ok), c.expected) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SearchComposerTest, TypedTextNeverLeavesItsLiteral) {
    db.AddLaw(9, "#2003-1-1# [x] \\ 'a'' -- ;", "2001-01-01");
    db.AddLink(9, kCatB);
    struct Case {
        const char* text;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"'; delete from dornlaws; --", {}},
        {"' or '1'='1", {}},
        {"#2003-1-1#", {9}},
        {"[x]", {9}},
        {"\\", {9}},
        {"'a''", {9}},
        {"-- ;", {9}},
        {"'", {4, 9}},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(db.LawIds(TitleStatement(0, c.text, 1), &ok), c.expected) << c.text;
        EXPECT_TRUE(ok) << c.text;
        CAdvancedSearchValues values;
        values.m_strBumen = c.text;
        values.m_strWenhao = c.text;
        EXPECT_TRUE(db.LawIds(AdvancedStatement(0, values), &ok).empty()) << c.text;
        EXPECT_TRUE(ok) << c.text;
    }
    EXPECT_EQ(db.LawIds("select lawid from dornlaws order by lawid").size(), 9U);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SearchComposerTest, AdvancedSearchStatementOrdersItsConditions) {
    CAdvancedSearchValues values;
    values.m_strTitle = "合同";
    values.m_strWenhao = "535";
    values.m_strBumen = "国务院";
    values.m_nFromYear = 2003;
    values.m_nToYear = 2010;
    values.m_nToMonth = 12;
    values.m_nToDay = 31;
    values.m_nScope = 1;
    EXPECT_EQ(AdvancedStatement(kCatA, values),
              std::string(kFrame) +
                  " where law.topic like '%合同%' and law.bumen like '%国务院%' and "
                  "law.wenhao like '%535%' and law.datum>=#2003-1-1# and law.datum<#2010-12-31# "
                  "order by datum DESC");

    CAdvancedSearchValues dates;
    dates.m_nToYear = 2004;
    dates.m_nToMonth = 2;
    EXPECT_EQ(AdvancedStatement(kCatB, dates),
              std::string(kFrame) +
                  " where v.treeid>=67108864 and v.treeid<100663296 and law.datum<#2004-2-1# "
                  "order by datum DESC");
    // The content field is the body search's; the statement leaves it out.
    CAdvancedSearchValues content;
    content.m_strContent = "合同";
    EXPECT_EQ(AdvancedStatement(0, content), std::string(kFrame) + " order by datum DESC");
}

TEST_F(SearchComposerTest, AdvancedSearchFindsTheLawsOfItsFields) {
    struct Case {
        const char* what;
        int treeId;
        CAdvancedSearchValues values;
        std::vector<int> expected;
    };
    auto from = [](int y, int m, int d) {
        CAdvancedSearchValues v;
        v.m_nFromYear = y;
        v.m_nFromMonth = m;
        v.m_nFromDay = d;
        return v;
    };
    auto to = [](CAdvancedSearchValues v, int y, int m, int d) {
        v.m_nToYear = y;
        v.m_nToMonth = m;
        v.m_nToDay = d;
        return v;
    };
    CAdvancedSearchValues bumen;
    bumen.m_strBumen = "国务院";
    CAdvancedSearchValues wenhao;
    wenhao.m_strWenhao = "令";
    CAdvancedSearchValues titleInB;
    titleInB.m_strTitle = "合同";
    CAdvancedSearchValues titleAll = titleInB;
    titleAll.m_nScope = 1;
    CAdvancedSearchValues yearZero = to(CAdvancedSearchValues(), 0, 5, 5);
    const Case cases[] = {
        {"from a year: month and day 0 are the first", 0, from(2003, 0, 0), {5, 6, 4, 3, 2}},
        {"to a year excludes that whole year",
         0,
         to(CAdvancedSearchValues(), 2004, 0, 0),
         {3, 2, 8, 1}},
        {"from day to day, the upper bound exclusive", 0, to(from(2003, 12, 31), 2004, 1, 1), {3}},
        {"a from day includes that day", 0, to(from(2004, 1, 1), 2004, 1, 2), {4}},
        {"a law with a time of day lies within its day",
         0,
         to(from(2008, 9, 18), 2008, 9, 19),
         {5}},
        {"a year of 0 sets no bound", 0, yearZero, {5, 6, 4, 3, 2, 8, 1}},
        {"department", 0, bumen, {5}},
        {"document number", 0, wenhao, {5, 2, 1}},
        {"title in the current category", kCatB, titleInB, {5, 4}},
        {"title in all categories", kCatB, titleAll, {5, 4, 2, 1}},
        {"dates in a subtree", kCatA, from(2003, 6, 0), {5, 6, 3}},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(db.LawIds(AdvancedStatement(c.treeId, c.values), &ok), c.expected) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SearchComposerTest, ImpossibleDateFailsTheStatementSilently) {
    for (const auto& [y, m, d] : {std::tuple{2003, 2, 31}, {2003, 4, 31}, {2001, 2, 29}}) {
        CAdvancedSearchValues values;
        values.m_nFromYear = y;
        values.m_nFromMonth = m;
        values.m_nFromDay = d;
        bool ok = true;
        EXPECT_TRUE(db.LawIds(AdvancedStatement(0, values), &ok).empty());
        EXPECT_FALSE(ok) << y << "-" << m << "-" << d;
    }
    CAdvancedSearchValues leap;
    leap.m_nFromYear = 2004;
    leap.m_nFromMonth = 2;
    leap.m_nFromDay = 29;
    bool ok = false;
    EXPECT_EQ(db.LawIds(AdvancedStatement(0, leap), &ok), (std::vector<int>{5, 6}));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SearchComposerTest, UsesTheCurrentEditionsTablesAndCategory) {
    db.AddLaw(1, "Contract Law", "1999-03-15", {}, {}, {}, "en_");
    db.AddLaw(2, "Labour Contract Law", "2007-06-29", {}, {}, {}, "en_");
    db.AddLink(1, kCatA, "en_");
    db.AddLink(2, kCatB, "en_");

    CEditionConfig config;
    config.SetEdition(1);
    config.SetCurTreeId(kCatB);
    config.SetEdition(0);
    config.SetCurTreeId(kCatA1a45);
    config.SetEdition(1);
    CSqlSelect builder;
    CSearchComposer::FromEdition(config).ComposeTitleSearch(builder, "contract", 0);
    const std::string sql = builder.Build();
    EXPECT_NE(sql.find("(en_dornlawas v left join en_dornlaws law on v.lawid=law.lawid)"),
              std::string::npos);
    EXPECT_EQ(db.LawIds(sql), std::vector<int>{2});
}

} // namespace

// A word typed more than once is one condition of its field: the statement of the word
// typed once, which the engine takes however often it was typed.
TEST_F(SearchComposerTest, RepeatedWordsAreOneConditionOfTheirField) {
    std::string often;
    for (int i = 0; i < 1000; ++i)
        often += "合同 法 ";
    EXPECT_EQ(TitleStatement(0, often, 0), TitleStatement(0, "合同 法", 0));
    EXPECT_EQ(TitleStatement(0, "法 合同 法", 0), TitleStatement(0, "法 合同", 0));
    CAdvancedSearchValues values;
    values.m_strTitle = "法 法";
    values.m_strBumen = "法";
    CAdvancedSearchValues once = values;
    once.m_strTitle = "法";
    EXPECT_EQ(AdvancedStatement(0, values), AdvancedStatement(0, once));
    bool ok = false;
    EXPECT_FALSE(db.LawIds(TitleStatement(0, often, 0), &ok).empty());
    EXPECT_TRUE(ok);
}
