// The search box's statement: words split at every blank, laws found as the dialogs' like
// finds them, rows ranked (exact title, titles that begin with the words, the rest; newest
// first in each group; law-text hits by occurrences and first position) and snippets.
#include "SearchFixtureDb.h"

#include "data/HitFunctions.h"
#include "data/SearchIndex.h"
#include "ground/MessageService.h"
#include "search/QuickSearch.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCatA = 0x2000000;

class QuickSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.AddLaw(1, "中华人民共和国刑法", "1997-03-14", {}, {}, "犯罪 刑罚 刑法 刑法");
        db.AddLaw(2, "刑法修正案（十一）", "2020-12-26", {}, {}, "修改刑法");
        db.AddLaw(3, "关于适用刑法的解释", "2021-01-01", {}, {}, "刑法");
        db.AddLaw(4, "刑法", "1979-07-01", {}, {}, "第一条 刑法的任务");
        db.AddLaw(5, "刑法修正案（十）", "2017-11-04", {}, {}, "国歌");
        db.AddLaw(6, "合同法", "1999-03-15", {}, {}, "当事人 合同 TAX");
        db.AddLaw(7, "中华人民共和国刑法修正案", "1999-12-25", {}, {}, "刑");
        // Titles with the characters that patterns give a meaning to.
        db.AddLaw(8, "[试行]*办法?", "2000-01-01", {}, {}, "办法");
        db.AddLaw(9, "关于[试行]*办法?的通知", "2022-01-01", {}, {}, "通知");
        for (int lawid = 1; lawid <= 9; ++lawid)
            db.AddLink(lawid, lawid % 2 ? kCatA : 2 * kCatA);
    }

    std::vector<int> Run(const std::string& text, bool body = false, int category = 0,
                         bool index = true, bool streamed = false) {
        CQuickSearch::Request request;
        request.lawTable = "dornlaws";
        request.linkTable = "dornlawas";
        request.text = text;
        request.body = body;
        request.categoryId = category;
        request.rangeEnd = category ? category + kCatA : 0;
        request.indexedUpTo =
            index ? CSearchIndex::BuiltUpTo(db.Db().GetConnectionHandle(), "dornlaws") : -1;
        request.streamed = streamed;
        const std::string sql = CQuickSearch::Statement(request);
        if (sql.empty())
            return {};
        bool ok = false;
        std::vector<int> ids = db.LawIds(sql, &ok);
        EXPECT_TRUE(ok) << sql;
        return ids;
    }

    CMessageRecorder messages;
    CSearchFixtureDb db;
};

} // namespace

TEST(QuickSearchWords, SplitAtEveryUnicodeBlank) {
    const struct {
        const char* text;
        std::vector<std::string> words;
    } cases[] = {
        {"刑法　修正案", {"刑法", "修正案"}}, // U+3000
        {"  合同\t法 ", {"合同", "法"}},
        {"a\xC2\xA0"
         "b\xE2\x80\x83"
         "c",
         {"a", "b", "c"}}, // U+00A0, U+2003
        {"\xE3\x80\x80", {}},
        {"", {}},
        {"TAX", {"TAX"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CQuickSearch::SplitBlanks(c.text), c.words) << c.text;
}

TEST_F(QuickSearchTest, TitlesRankExactThenBeginningThenTheRestNewestFirst) {
    // Ranked whole, or group after group as with many laws found: the same rows in the same
    // order.
    for (bool streamed : {false, true})
        for (bool index : {true, false}) {
            SCOPED_TRACE(std::string(index ? "through the index" : "without the index") +
                         (streamed ? ", streamed" : ", ranked whole"));
            // 刑法 and 中华人民共和国刑法 are the title itself; then the titles that begin
            // with it.
            EXPECT_EQ(Run("刑法", false, 0, index, streamed), (std::vector<int>{1, 4, 2, 5, 7, 3}));
            // The words together are a title of their own.
            EXPECT_EQ(Run("刑法　修正案", false, 0, index, streamed), (std::vector<int>{7, 2, 5}));
            EXPECT_EQ(Run("刑法", false, kCatA, index, streamed), (std::vector<int>{1, 5, 7, 3}));
            EXPECT_EQ(Run("tax", false, 0, index, streamed), std::vector<int>{});
            EXPECT_EQ(Run("刑", false, 0, index, streamed), (std::vector<int>{2, 5, 7, 1, 4, 3}));
            // Pattern characters in a title are the characters themselves.
            EXPECT_EQ(Run("[试行]*", false, 0, index, streamed), (std::vector<int>{8, 9}));
            EXPECT_EQ(Run("[试行]*办法?", false, 0, index, streamed), (std::vector<int>{8, 9}));
            EXPECT_EQ(Run("办法?", false, 0, index, streamed), (std::vector<int>{9, 8}));
        }
    // Blanks alone are no search.
    EXPECT_EQ(CQuickSearch::Statement({"dornlaws", "dornlawas", 0, 0, false, "　 ", -1}), "");
}

// What people type around a title: ASCII brackets for the full-width ones, 《》 and quotes,
// a `*` after a word. The exact title then still ranks first.
TEST_F(QuickSearchTest, TypedPunctuationIsNormalised) {
    const struct {
        const char* text;
        std::vector<int> ids;
    } cases[] = {
        {"刑法修正案(十一)", {2}},
        {"刑法修正案（十一）", {2}},
        {"(十)", {5}},
        {"《中华人民共和国刑法》", {1, 7}},
        {"“刑法”", {1, 4, 2, 5, 7, 3}},
        {"\"合同\"", {6}},
        {"合同*", {6}},
        {"*刑法修正案*", {7, 2, 5}},
        {"《》", {}},
    };
    for (const auto& c : cases)
        for (bool streamed : {false, true})
            EXPECT_EQ(Run(c.text, false, 0, true, streamed), c.ids) << c.text << streamed;
    EXPECT_EQ(CQuickSearch::Words("《刑法》 O'Brien (十)", false),
              (std::vector<std::string>{"刑法", "O'Brien", "（十）"}));
    // In law texts the brackets stay as typed.
    EXPECT_EQ(CQuickSearch::Words("“(十)” 合同*", true),
              (std::vector<std::string>{"(十)", "合同"}));
}

TEST_F(QuickSearchTest, ManyCandidatesOrNoneTheIndexCanCountMakeATitleSearchStream) {
    sqlite3* handle = db.Db().GetConnectionHandle();
    auto streams = [&](const std::string& text, bool body = false) {
        CQuickSearch::Request request{"dornlaws", "dornlawas", 0, 0, body, text, -1};
        return CQuickSearch::ShouldStream(handle, request);
    };
    // Few candidates: ranked whole. A single character has no pair the index could count.
    EXPECT_FALSE(streams("刑法"));
    EXPECT_TRUE(streams("刑"));
    EXPECT_FALSE(streams("刑法", true));
    EXPECT_FALSE(streams("　"));
    const std::vector<std::string> words{"刑法"};
    // The laws written are candidates until the index takes them in.
    EXPECT_EQ(CSearchIndex::CountCandidates(handle, "dornlaws", "topic", words, 100),
              db.LawIds("select lawid from dornlaws").size());
    auto fold = [&] {
        std::string error;
        db.Exec("begin immediate");
        EXPECT_TRUE(CSearchIndex::Fold(handle, "dornlaws", error)) << error;
        db.Exec("commit");
    };
    fold();
    EXPECT_EQ(CSearchIndex::CountCandidates(handle, "dornlaws", "topic", words, 100), 6);
    EXPECT_EQ(CSearchIndex::CountCandidates(handle, "dornlaws", "topic", words, 3), 3);
    // More titles with the words than ranking whole is quick for.
    db.Exec("begin");
    for (int i = 0; i < CQuickSearch::kRankWholeUpTo; ++i)
        db.AddLaw(100 + i, "刑法解释" + std::to_string(i), "2001-01-01", {}, {}, "");
    db.Exec("commit");
    fold();
    EXPECT_TRUE(streams("刑法"));
    EXPECT_FALSE(streams("修正案"));
}

TEST_F(QuickSearchTest, LawTextHitsRankByOccurrencesThenFirstPosition) {
    EXPECT_EQ(Run("刑法", true), (std::vector<int>{1, 3, 2, 4}));
    EXPECT_EQ(Run("tax", true), std::vector<int>{6});
    EXPECT_EQ(Run("刑法", true, 2 * kCatA), (std::vector<int>{2, 4}));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(HitFunctions, SnippetShowsTheTextAroundTheFirstHit) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "前文";
    text += "\n第一条 合同当事人应当遵循公平原则。\n";
    for (int i = 0; i < 40; ++i)
        text += "后文";
    const std::string snippet = CHitFunctions::Snippet(text, {"当事人"}, 20);
    EXPECT_EQ(snippet, "…第一条 合同当事人应当遵循公平原则。 后…");
    EXPECT_EQ(CHitFunctions::Snippet("Tax law", {"TAX"}, 20), "Tax law");
    EXPECT_EQ(CHitFunctions::Snippet("无关", {"合同"}), "");
    long long occurrences = 0, first = 0;
    CHitFunctions::Score("aXa xa", {"xa"}, occurrences, first);
    EXPECT_EQ(occurrences, 2);
    EXPECT_EQ(first, 1);
}

namespace {

std::string Repeat(const std::string& word, int times, const char* between = " ") {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += (i ? between : "") + word;
    return text;
}

// `count` different words of the letters x and X: different words to the statement, each
// a condition and an argument of its own.
std::string DifferentWords(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string word = "x";
        for (int bit = 0; bit < 7; ++bit)
            word += (i >> bit) & 1 ? "X" : "x";
        text += (i ? " " : "") + word;
    }
    return text;
}

} // namespace

// A word typed again and again is one condition: the statement is that of the word typed
// once, and finds what it finds, where the engine refused the repeated form before.
TEST_F(QuickSearchTest, RepeatedWordsAreOneCondition) {
    for (const bool body : {false, true})
        for (const bool streamed : {false, true})
            for (const bool index : {false, true}) {
                SCOPED_TRACE(testing::Message() << body << streamed << index);
                CQuickSearch::Request once;
                once.lawTable = "dornlaws";
                once.linkTable = "dornlawas";
                once.body = body;
                once.streamed = streamed;
                once.indexedUpTo = index ? CSearchIndex::kComplete : -1;
                once.text = "刑法";
                CQuickSearch::Request often = once;
                often.text = Repeat("刑法", 127);
                EXPECT_EQ(CQuickSearch::Refusal(often), "");
                EXPECT_EQ(CQuickSearch::Statement(often), CQuickSearch::Statement(once));
                often.text = Repeat("刑", 1000, "\xE3\x80\x80") + " 法";
                once.text = "刑 法";
                EXPECT_EQ(CQuickSearch::Statement(often), CQuickSearch::Statement(once));
            }
    EXPECT_EQ(Run(Repeat("刑法", 127), true), Run("刑法", true));
    EXPECT_FALSE(Run(Repeat("刑法", 127), true).empty());
    EXPECT_EQ(Run(Repeat("刑", 1000)), Run("刑"));
}

// Up to what the engine takes a search runs; beyond it the search is refused before it
// runs, with the reason, and no statement is made.
TEST_F(QuickSearchTest, SearchesBeyondTheEnginesLimitsAreRefusedWithTheReason) {
    const struct {
        std::string text;
        const char* refusal; // part of the reason; nullptr: the search runs
    } cases[] = {
        {DifferentWords(126), nullptr},
        {DifferentWords(127), "一次最多可以搜索 126 个不同的词，这次有 127 个"},
        {Repeat("刑", 16666, ""), nullptr},                       // a like pattern of 50,000 bytes
        {Repeat("刑", 16667, ""), "这次有一个词长 50001 个字节"}, // 50,003
        {"刑法 " + Repeat("法", 16700, ""), "这次有一个词长 50100 个字节"},
    };
    for (const auto& c : cases) {
        for (const bool body : {false, true}) {
            SCOPED_TRACE(c.text.substr(0, 30) + (body ? " body" : " title"));
            CQuickSearch::Request request;
            request.lawTable = "dornlaws";
            request.linkTable = "dornlawas";
            request.body = body;
            request.text = c.text;
            request.indexedUpTo = CSearchIndex::kComplete;
            const std::string refusal = CQuickSearch::Refusal(request);
            const std::string sql = CQuickSearch::Statement(request);
            if (c.refusal) {
                EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
                EXPECT_EQ(refusal.rfind("没有搜索：", 0), 0u) << refusal;
                EXPECT_EQ(sql, "");
            } else {
                EXPECT_EQ(refusal, "");
                bool ok = false;
                db.LawIds(sql, &ok);
                EXPECT_TRUE(ok) << db.Db().GetLastError();
            }
        }
    }
}
