#include "SearchFixtureDb.h"

#include "data/SqlSelect.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "search/BodySearch.h"
#include "search/SearchComposer.h"
#include "tests/core/PageDamage.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

constexpr int kCatA = 0x2000000;
constexpr int kCatB = 2 * 0x2000000;

std::vector<int> Ids(const std::vector<CLawRow>& rows) {
    std::vector<int> ids;
    for (const CLawRow& row : rows)
        ids.push_back(row.m_nLawId);
    return ids;
}

// Replaces the engine's like by one that fails for every text holding `marker` (or for
// every text when the marker is empty) and otherwise tells whether the text contains the
// pattern without its percent signs.
struct FailingLike {
    std::string marker;
    int calls = 0;

    static void Call(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
        auto* self = static_cast<FailingLike*>(sqlite3_user_data(ctx));
        ++self->calls;
        const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
        (void)argc;
        if (!text) {
            sqlite3_result_null(ctx);
            return;
        }
        const std::string value = text;
        if (self->marker.empty() || value.find(self->marker) != std::string::npos) {
            sqlite3_result_error(ctx, "like refused", -1);
            return;
        }
        std::string word = pattern ? pattern : "";
        ReplaceAll(word, "%", "");
        sqlite3_result_int(ctx, value.find(word) != std::string::npos);
    }
    void Install(CDbConnection& db) {
        sqlite3_create_function(db.GetConnectionHandle(), "like", 2, SQLITE_UTF8, this, &Call,
                                nullptr, nullptr);
    }
};

class BodySearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Laws spread over several windows of 100 lawids, window edges included.
        db.AddLaw(3, "合同法", "1999-03-15", "主席令第15号", "全国人民代表大会",
                  "第一条 为了保护合同当事人的合法权益，维护社会经济秩序，制定本法。");
        db.AddLaw(99, "担保法", "1995-06-30", {}, {},
                  "第一条 为促进资金融通和商品流通，保障债权的实现。");
        db.AddLaw(100, "劳动合同法", "2007-06-29", {}, "全国人民代表大会常务委员会",
                  "合同当事人应当遵循公平原则。\n劳动者");
        db.AddLaw(101, "物权法", "2007-03-16", {}, {},
                  "为了维护国家基本经济制度，保护权利人的物权。");
        db.AddLaw(250, "合同监督办法", "2003-01-01", {}, {}, "合同当事人 Contract 当事人");
        db.AddLaw(251, "未归类", "2003-01-02", {}, {}, "合同当事人"); // filed nowhere
        db.AddLaw(420, "民法通则", "1986-04-12", {}, {}, "公民的合法权益受法律保护 contract");
        db.AddLaw(1000, "电子签名法", "2004-08-28", {}, {}, "数据电文 合同 当事人");
        for (int lawid : {3, 99, 100, 101, 420})
            db.AddLink(lawid, kCatA);
        db.AddLink(100, kCatB);
        db.AddLink(250, kCatB);
        db.AddLink(1000, kCatB);
    }

    std::vector<CLawRow> Search(const std::string& content, int treeId = 0, int scope = 1,
                                CBodySearch* search = nullptr) {
        CSqlSelect builder;
        CAdvancedSearchValues values;
        values.m_nScope = scope;
        CSearchComposer("dornlawas", "dornlaws", treeId).ComposeAdvancedSearch(builder, values);
        CBodySearch local(db.Db(), "dornlaws", db.ConnectionString());
        CBodySearch& s = search ? *search : local;
        return s.Run(builder, SplitWords(content));
    }

    CMessageRecorder messages;
    CSearchFixtureDb db;
};

TEST_F(BodySearchTest, FindsTheWordsWindowByWindow) {
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    // Window (0,100] in date order, then (200,300], then (900,1000].
    EXPECT_EQ(Ids(Search("合同 当事人", 0, 1, &search)), (std::vector<int>{100, 3, 250, 1000}));
    EXPECT_EQ(search.GetWindowCount(), 10);
    EXPECT_EQ(search.GetSecondPassCount(), 0);

    EXPECT_EQ(Ids(Search("合同当事人")), (std::vector<int>{100, 3, 250}));
    EXPECT_EQ(Ids(Search("合同 当事人", kCatA, 0)), (std::vector<int>{100, 3}));
    EXPECT_EQ(Ids(Search("合同 当事人", kCatA, 1)), (std::vector<int>{100, 3, 250, 1000}));
    EXPECT_EQ(Ids(Search("保护")), (std::vector<int>{3, 101, 420}));
    EXPECT_EQ(Ids(Search("刑法")), std::vector<int>{});
    // Latin letters: like ignores their case.
    EXPECT_EQ(Ids(Search("contract")), (std::vector<int>{250, 420}));
    // A text of spaces is one empty word: every law with a text.
    EXPECT_EQ(Ids(Search("  ")).size(), 7U);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(BodySearchTest, KeepsTheFormsOtherConditionsInBothPasses) {
    CAdvancedSearchValues values;
    values.m_strTitle = "法";
    values.m_nFromYear = 2000;
    values.m_nScope = 1;
    auto run = [&] {
        CSqlSelect builder;
        CSearchComposer("dornlawas", "dornlaws", 0).ComposeAdvancedSearch(builder, values);
        CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
        return Ids(search.Run(builder, {"当事人"}));
    };
    EXPECT_EQ(run(), (std::vector<int>{100, 250, 1000}));
    values.m_strTitle = "合同";
    EXPECT_EQ(run(), (std::vector<int>{100, 250}));
    FailingLike like{"当事人"}; // fails exactly where the body conditions are tested
    like.Install(db.Db());
    EXPECT_EQ(run(), (std::vector<int>{100, 250}));
}

TEST_F(BodySearchTest, ConnectsBeforeEveryWindow) {
    int connects = 0;
    CBodySearch search(db.Db(), "dornlaws", [&] { ++connects; });
    EXPECT_EQ(Ids(Search("当事人", 0, 1, &search)), (std::vector<int>{100, 3, 250, 1000}));
    EXPECT_EQ(connects, 10);
}

TEST_F(BodySearchTest, RowsCarryTheListColumns) {
    db.Exec("update dornlaws set datum='2007-06-29 08:15:00' where lawid=100");
    const std::vector<CLawRow> rows = Search("遵循公平");
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].m_nLawId, 100);
    EXPECT_EQ(rows[0].m_strTopic, "劳动合同法");
    EXPECT_EQ(rows[0].m_strDatum, "2007-06-29");
    EXPECT_EQ(rows[0].m_strWenhao, "");
    EXPECT_EQ(rows[0].m_strBumen, "全国人民代表大会常务委员会");
}

TEST_F(BodySearchTest, SecondPassChecksTheWordsWhenLikeFails) {
    FailingLike like;
    like.Install(db.Db());
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    // The same laws as with like, the law whose text begins with the word included.
    EXPECT_EQ(Ids(Search("合同 当事人", 0, 1, &search)), (std::vector<int>{100, 3, 250, 1000}));
    EXPECT_EQ(search.GetSecondPassCount(), 5); // the windows that have filed laws
    EXPECT_EQ(Ids(Search("合同 当事人", kCatA, 0, &search)), (std::vector<int>{100, 3}));
    EXPECT_EQ(Ids(Search("保护", 0, 1, &search)), (std::vector<int>{3, 101, 420}));
    // The program's check is exact: case counts.
    EXPECT_EQ(Ids(Search("contract", 0, 1, &search)), std::vector<int>{420});
    EXPECT_EQ(Ids(Search("Contract", 0, 1, &search)), std::vector<int>{250});
    EXPECT_EQ(Ids(Search("刑法", 0, 1, &search)), std::vector<int>{});
    EXPECT_GT(like.calls, 0);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(BodySearchTest, OnlyTheFailingWindowIsSearchedAgain) {
    FailingLike like{"Contract"};
    like.Install(db.Db());
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    EXPECT_EQ(Ids(Search("当事人", 0, 1, &search)), (std::vector<int>{100, 3, 250, 1000}));
    EXPECT_EQ(search.GetSecondPassCount(), 1);
}

TEST_F(BodySearchTest, WindowWhoseSecondStatementFailsContributesNothing) {
    FailingLike like;
    like.Install(db.Db());
    // A condition that fails in every statement: the law table's name is wrong in the
    // check, so neither pass can run.
    CSqlSelect builder;
    CSearchComposer("dornlawas", "dornlaws", 0).ComposeFrame(builder, 1);
    builder.AddCondition(" and ", "law.nosuchcolumn", "=", 1);
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    EXPECT_TRUE(search.Run(builder, {"合同"}).empty());
    EXPECT_EQ(search.GetSecondPassCount(), 10);
    // Refused statements: nothing unreadable.
    EXPECT_EQ(search.GetFailedWindowCount(), 0);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(BodySearchTest, DamagedLawTableMakesTheResultIncomplete) {
    // The law texts sit on a page overwritten with garbage: the search cannot tell which laws
    // hold the words, and must not answer as if none did.
    db.Db().Close();
    DamageLeafPages(db.Path(), "dornlaws", 0.0);
    ASSERT_EQ(db.Db().Connect(db.ConnectionString().c_str(), 0), 1);
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    Search("合同", 0, 1, &search);
    EXPECT_GT(search.GetFailedWindowCount(), 0);
    EXPECT_NE(search.GetFailure().find("malformed"), std::string::npos) << search.GetFailure();
}

TEST_F(BodySearchTest, StatementsUseTheDocumentedWindowCondition) {
    CSqlSelect builder;
    CSearchComposer("dornlawas", "dornlaws", kCatA).ComposeFrame(builder, 0);
    builder.SetOrderBy("datum DESC");
    builder.Prepare();
    const std::string base = builder.GetWhere();
    builder.AddCondition(" and ", "law.body", " like ", CSearchComposer::LikeValue("合同"));
    builder.SetWhere(CBodySearch::WindowCondition(200, builder.GetWhere()));
    EXPECT_EQ(builder.BuildAgain(),
              "select  distinct law.lawid as lawid,law.topic as topic,law.datum as datum,"
              "law.wenhao as wenhao,law.bumen as bumen from (dornlawas v left join dornlaws law "
              "on v.lawid=law.lawid) where v.lawid>200 and v.lawid<=300 and "
              "v.treeid>=33554432 and v.treeid<67108864 and law.body like '%合同%' "
              "order by datum DESC");
    EXPECT_EQ(CBodySearch::WindowCondition(0, ""), "v.lawid>0 and v.lawid<=100");
    EXPECT_EQ(base, "v.treeid>=33554432 and v.treeid<67108864");
}

TEST_F(BodySearchTest, EmptyOrUnreadableLawTableSearchesNoWindow) {
    db.Exec("delete from dornlaws");
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    EXPECT_TRUE(Search("合同", 0, 1, &search).empty());
    EXPECT_EQ(search.GetWindowCount(), 0);
    EXPECT_EQ(search.HighestLawId(), 0);

    CBodySearch missing(db.Db(), "nosuchtable", db.ConnectionString());
    EXPECT_EQ(missing.HighestLawId(), 0);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(BodySearchTest, LawTextCheck) {
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    struct Case {
        int lawid;
        std::vector<std::string> words;
        bool expected;
    };
    const Case cases[] = {
        {3, {"第一条"}, true},          // at the very start of the text
        {3, {"制定本法。"}, true},      // at its end
        {3, {"第一条", "刑法"}, false}, // every word must occur
        {100, {"。\n劳动"}, true},      // across a line feed
        {250, {"contract"}, false},     // case-sensitive
        {3, {}, false},                 // an empty list matches nothing
        {3, {""}, true},                // an empty word occurs everywhere
        {77, {"合同"}, false},          // no such law
    };
    for (const Case& c : cases)
        EXPECT_EQ(search.LawContainsWords(c.lawid, c.words), c.expected) << c.lawid;
}

} // namespace
