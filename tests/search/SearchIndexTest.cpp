// The full-text index only narrows a search: a search through it finds exactly the laws that
// plain LIKE finds, for words of every length, Latin words and wildcards; and the index stays
// equal to the law table whatever writes the table.
#include "SearchFixtureDb.h"

#include "browse/LawRowFill.h"
#include "data/BigramTokenizer.h"
#include "data/SearchIndex.h"
#include "data/SqlSelect.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "search/BodySearch.h"
#include "search/SearchComposer.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sqlite3.h>

namespace {

std::vector<int> SortedIds(const std::vector<CLawRow>& rows) {
    std::vector<int> ids;
    for (const CLawRow& row : rows)
        ids.push_back(row.m_nLawId);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The lawids whose `column` matches every "%word%" by the engine's own like, on a
// connection of its own that has none of the program's functions.
std::vector<int> PlainLike(const std::string& path, const std::string& column,
                           const std::vector<std::string>& words) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string sql = "select lawid from dornlaws where 1";
    for (size_t i = 0; i < words.size(); ++i)
        sql += " and " + column + " like ?";
    sql += " order by lawid";
    sqlite3_stmt* stmt = nullptr;
    std::vector<int> ids;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string pattern = "%" + words[i] + "%";
        sqlite3_bind_text(stmt, static_cast<int>(i + 1), pattern.c_str(), -1, SQLITE_TRANSIENT);
    }
    while (sqlite3_step(stmt) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ids;
}

// The body search over all laws filed anywhere, through the index or without it.
std::vector<int> BodySearch(CSearchFixtureDb& db, const std::vector<std::string>& words, bool index,
                            int workers, int* skipped = nullptr, bool* exact = nullptr) {
    CSqlSelect builder;
    CAdvancedSearchValues values;
    values.m_nScope = CSearchComposer::kScopeAll;
    CSearchComposer("dornlawas", "dornlaws", 0).ComposeAdvancedSearch(builder, values);
    CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
    search.SetUseIndex(index);
    search.SetWorkers(workers);
    std::vector<int> ids = SortedIds(search.Run(builder, words));
    if (skipped)
        *skipped = search.GetSkippedCount();
    if (exact)
        *exact = search.WasExact();
    // Every window's statement ran as built: none fell back to reading and checking texts.
    EXPECT_EQ(search.GetSecondPassCount(), 0);
    return ids;
}

// Title candidates from the index checked by like, as the search box runs them.
std::vector<int> TitleSearch(CSearchFixtureDb& db, const std::vector<std::string>& words) {
    std::vector<int> candidates;
    std::int64_t upto = 0;
    if (!CSearchIndex::Candidates(db.Db().GetConnectionHandle(), "dornlaws", "topic", words,
                                  candidates, upto))
        return PlainLike(db.Path(), "topic", words);
    std::string sql = "select lawid from dornlaws where (lawid in (0";
    for (int id : candidates)
        sql += "," + std::to_string(id);
    // Laws above the mark are not in the index yet.
    sql += ") or lawid>" + std::to_string(upto) + ")";
    for (const std::string& word : words)
        sql += " and topic like '%" + word + "%'";
    // The words here hold no quote.
    return db.LawIds(sql + " order by lawid");
}

// Words of every kind: one character, CJK words of 2, 3, 4 and 6 characters, a word in
// nearly every law, Latin words in either case, digits, punctuation inside a word, the
// full-width blank, and the wildcards alone and inside words.
const std::vector<std::vector<std::string>> kWordTable = {{"法"},
                                                          {"的"},
                                                          {"合同"},
                                                          {"刑法"},
                                                          {"人民法院"},
                                                          {"不得"},
                                                          {"违法行为"},
                                                          {"中华人民共和国"},
                                                          {"劳动者"},
                                                          {"正当防卫"},
                                                          {"人民代表大会"},
                                                          {"不可抗力"},
                                                          {"Law"},
                                                          {"WTO协定"},
                                                          {"GB2312"},
                                                          {"第2条"},
                                                          {"第一百条"},
                                                          {"国务院 规定"},
                                                          {"合同 当事人 违约"},
                                                          {"tax"},
                                                          {"TAX"},
                                                          {"WTO"},
                                                          {"a"},
                                                          {"2019"},
                                                          {"（一）"},
                                                          {"，当事人"},
                                                          {"合同　法"},
                                                          {"%"},
                                                          {"_"},
                                                          {"%%"},
                                                          {"合_法"},
                                                          {"人民%法院"},
                                                          {"_民法_"},
                                                          {"法%"},
                                                          {"条第"},
                                                          {"zzqqxx"},
                                                          {"行政 %"},
                                                          {""}};

} // namespace

// The index of `t` as earlier versions made it: no positions, and triggers that call the
// tokenizer in every write of a law.
std::string OldIndexDdl(const std::string& t) {
    std::string ddl = "CREATE TABLE IF NOT EXISTS search_index (tbl TEXT PRIMARY KEY, upto "
                      "INTEGER NOT NULL);\nINSERT OR REPLACE INTO search_index VALUES('" +
                      t + "'," + std::to_string(CSearchIndex::kComplete) + ");\n";
    for (const std::string column : {"body", "topic"}) {
        const std::string name = CSearchIndex::IndexTable(t, column);
        ddl += "CREATE VIRTUAL TABLE " + name + " USING fts5(" + column + ", content='" + t +
               "', content_rowid='lawid', tokenize='tolvarin_bigram nul', detail=none, "
               "columnsize=0);\nINSERT INTO " +
               name + "(" + name + ") VALUES('rebuild');\n" + "CREATE TRIGGER " + name +
               "_au AFTER UPDATE OF lawid," + column + " ON " + t + " BEGIN INSERT INTO " + name +
               "(" + name + ",rowid," + column + ") VALUES('delete',old.lawid,old." + column +
               "); INSERT INTO " + name + "(rowid," + column + ") VALUES(new.lawid,new." + column +
               "); END;\n";
    }
    const std::string body = CSearchIndex::IndexTable(t, "body");
    ddl += "CREATE TRIGGER " + t + "_index_ai AFTER INSERT ON " + t + " BEGIN INSERT INTO " + body +
           "(rowid,body) VALUES(new.lawid,new.body); END;\n";
    return ddl;
}

// What the window's index builder does with the index of `t`: an index that cannot be used
// is dropped, a missing one created, then built (and its log taken in) to the end.
void BuildAsTheWindowDoes(sqlite3* db, const std::string& t) {
    std::string error;
    std::string damage;
    CSearchIndex::CheckOnOpen(db, t, damage);
    if (CSearchIndex::IsOutdated(db, t)) {
        ASSERT_TRUE(CSearchIndex::Drop(db, t, error)) << error;
    }
    if (CSearchIndex::BuiltUpTo(db, t) < 0) {
        ASSERT_TRUE(CSearchIndex::Create(db, t, error)) << error;
    }
    long long done = 0, total = 0;
    int rc;
    while ((rc = CSearchIndex::BuildStep(db, t, 7, done, total, error)) == 1) {
    }
    ASSERT_EQ(rc, 0) << error;
    ASSERT_EQ(CSearchIndex::BuiltUpTo(db, t), CSearchIndex::kComplete);
}

class SearchIndexTest : public ::testing::Test {
protected:
    CMessageRecorder messages;
    CSearchFixtureDb db;
};

TEST_F(SearchIndexTest, WordsOfOneRunAreAskedAsPhrasesOfTheirPairs) {
    struct Case {
        std::vector<std::string> words;
        std::string query;
        bool oneRun;
    } cases[] = {
        {{"合同法"}, "\"合同\" + \"同法\"", true},
        {{"TaX"}, "\"ta\" + \"ax\"", true},
        {{"WTO协定"}, "\"wt\" + \"to\" + \"o协\" + \"协定\"", true},
        {{"合同，当事人"}, "\"合同\" AND \"当事\" + \"事人\"", false},
        {{"人民%法院", "法院"}, "\"人民\" AND \"法院\"", false},
        {{"法"}, "", false},
        {{"a_b"}, "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSearchIndex::MatchQuery(c.words), c.query) << c.words[0];
        EXPECT_EQ(CBigramTokenizer::IsOneRun(c.words[0]), c.oneRun) << c.words[0];
    }
}

TEST_F(SearchIndexTest, TokenizerPairsMatchTheLikeOfTheirWords) {
    struct Case {
        std::string word;
        std::vector<std::string> pairs;
    } cases[] = {
        {"人民法院", {"人民", "民法", "法院"}},
        {"法", {}},
        {"TaX", {"ta", "ax"}},
        {"合同，当事人", {"合同", "当事", "事人"}}, // punctuation breaks the pairs
        {"刑法　修正案", {"刑法", "修正", "正案"}}, // so does the full-width blank
        {"合_法%院长", {"院长"}},                   // wildcards end the runs
        {"%_%", {}},
        {"a b", {}},
        // Cut-short and lone continuation bytes read as the engine's like reads them.
        {std::string("\xE4\xBD", 2) + "x", {"\xC4\xBDx"}},
        {std::string("\xBF", 1) + "x", {"\xC2\xBFx"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CBigramTokenizer::PatternBigrams(c.word), c.pairs) << c.word;
}

// A small collection whose texts hold what trips an index: case, punctuation between the
// characters of a word, blanks, line breaks, broken bytes and overlong sequences.
TEST_F(SearchIndexTest, SearchThroughTheIndexEqualsPlainLikeOnTrickyTexts) {
    const std::vector<std::string> texts = {
        "TAX Law 税法",
        "合同，当事人",
        "合同当事人\n第一条",
        "人民　法院",
        "人民法院",
        std::string("法\xE4\xBD院 ab\xC0\x80") + "c",
        std::string("\xE0\x90\x80 tax"),
        "",
        "a_b%c",
        "刑法修正案（十一）",
    };
    // Spread over a thousand windows, so that the search reads the index's candidates in
    // several runs of windows.
    for (size_t i = 0; i < texts.size(); ++i) {
        db.AddLaw(static_cast<int>(i) * 1237 + 1, texts[i], "2001-01-01", {}, {}, texts[i]);
        db.AddLink(static_cast<int>(i) * 1237 + 1, 0x2000000);
    }
    // The last law of the first run of windows and the first of the next.
    for (const int lawid : {1600, 1601}) {
        db.AddLaw(lawid, "合同当事人", "2001-01-01", {}, {}, "合同当事人 TAX a_b%c 人民法院");
        db.AddLink(lawid, 0x2000000);
    }
    // Texts and a title with a NUL inside: like reads them only up to it.
    db.AddLaw(90001, "x", "2001-01-01");
    db.AddLaw(90002, "x", "2001-01-01");
    db.Exec("UPDATE dornlaws SET body='前言' || char(0) || '合同当事人', topic='税法' || char(0) "
            "|| '合同' WHERE lawid=90001");
    db.Exec("UPDATE dornlaws SET body=char(0) || 'TAX 合同' WHERE lawid=90002");
    db.AddLink(90001, 0x2000000);
    db.AddLink(90002, 0x2000000);
    const std::vector<std::vector<std::string>> words = {
        {"tax"},         {"Tax"},   {"合同"},        {"当事人"},     {"同，当"}, {"同当"},
        {"前言"},        {"税法"},  {"人民法院"},    {"人民　法院"}, {"民　法"}, {"法院"},
        {"ab"},          {"AB"},    {"a_b"},         {"b%c"},        {"_"},      {"%"},
        {"修正案 十一"}, {"院 ab"}, {"合同", "当事"}};
    // Words of two or more characters that form one run of pairs, alone or together.
    const std::set<std::string> kOneRun = {"tax",  "Tax",      "合同", "当事人", "同当", "前言",
                                           "税法", "人民法院", "法院", "ab",     "AB"};
    // Through an index as earlier versions made it (no positions, triggers that call the
    // tokenizer), which goes unused until it is made again, and through the index made again
    // as the window's builder does, which decides words of one run without reading the
    // texts.
    sqlite3* raw = db.Db().GetConnectionHandle();
    for (const bool before : {true, false}) {
        SCOPED_TRACE(before ? "index made before" : "index made now");
        std::string error;
        if (before) {
            ASSERT_TRUE(CSearchIndex::Drop(raw, "dornlaws", error)) << error;
            ASSERT_EQ(sqlite3_exec(raw, OldIndexDdl("dornlaws").c_str(), nullptr, nullptr, nullptr),
                      SQLITE_OK)
                << sqlite3_errmsg(raw);
            EXPECT_TRUE(CSearchIndex::IsOutdated(raw, "dornlaws"));
            EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), -1);
        } else {
            BuildAsTheWindowDoes(raw, "dornlaws");
            EXPECT_FALSE(CSearchIndex::IsOutdated(raw, "dornlaws"));
        }
        for (size_t k = 0; k < words.size(); ++k) {
            const auto& w = words[k];
            SCOPED_TRACE(w[0]);
            const std::vector<int> plain = PlainLike(db.Path(), "body", w);
            bool exact = false;
            // One window at a time, or shared among helpers.
            EXPECT_EQ(BodySearch(db, w, true, k % 2 ? 2 : 1, nullptr, &exact), plain);
            EXPECT_EQ(exact, !before && kOneRun.count(w[0]) > 0);
            EXPECT_EQ(TitleSearch(db, w), PlainLike(db.Path(), "topic", w));
        }
    }
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
}

// The whole corpus, every word of the table: the same laws through the index as by plain
// LIKE, one window at a time and shared among helpers; and a rare word leaves most windows
// unsearched.
TEST_F(SearchIndexTest, SearchThroughTheIndexEqualsPlainLikeOverTheCorpus) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    if (!corpus || !std::filesystem::exists(corpus))
        GTEST_SKIP() << "no corpus";
    db.Db().Close();
    {
        CCollectionWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(db.Path(), error, true) && writer.BeginEdition("", error)) << error;
        ASSERT_GT(CCorpusImporter::Import(corpus, writer, error), 1000) << error;
        ASSERT_TRUE(writer.EndEdition(error)) << error;
    }
    ASSERT_TRUE(db.Db().Connect(db.ConnectionString().c_str(), 1));
    EXPECT_EQ(CSearchIndex::BuiltUpTo(db.Db().GetConnectionHandle(), "dornlaws"),
              CSearchIndex::kComplete);
    for (size_t i = 0; i < kWordTable.size(); ++i) {
        const auto& words = kWordTable[i];
        SCOPED_TRACE(words.empty() ? "" : words[0]);
        const std::vector<std::string> split = SplitWords(words[0]);
        const std::vector<int> plain = PlainLike(db.Path(), "body", split);
        // One window at a time, and for some words shared among helpers. Every word of two
        // or more characters with no blank, punctuation or wildcard is decided by the index
        // alone.
        bool exact = false;
        EXPECT_EQ(BodySearch(db, split, true, i % 5 == 0 ? 2 : 1, nullptr, &exact), plain);
        EXPECT_EQ(exact, !split.empty() &&
                             std::all_of(split.begin(), split.end(), [](const std::string& word) {
                                 return CBigramTokenizer::IsOneRun(word);
                             }));
        EXPECT_EQ(TitleSearch(db, split), PlainLike(db.Path(), "topic", split));
    }
    int skipped = 0;
    const std::vector<int> rare = PlainLike(db.Path(), "body", {"违约金"});
    EXPECT_EQ(BodySearch(db, {"违约金"}, true, 1, &skipped), rare);
    std::set<int> windows;
    for (int id : rare)
        windows.insert((id - 1) / CBodySearch::kWindowSize);
    EXPECT_GT(skipped, 0);
    EXPECT_LE(static_cast<size_t>(skipped), 16 - windows.size());
    EXPECT_TRUE(messages.Messages().empty());
}

// A bulk write fills the index once at its end, in the same transaction: laws added to a
// collection that already has some, an indexed law rewritten meanwhile, and texts long and
// short one after the other all end up in the index exactly; a bulk write that fails leaves
// the index as it was; and the writes after it go through the triggers again.
TEST_F(SearchIndexTest, BulkWriteFillsTheIndexOnceAndKeepsItEqualToTheTable) {
    db.AddLaw(1, "合同法", "1999-03-15", {}, {}, "合同当事人");
    db.AddLink(1, 0x2000000);
    db.Db().Close();
    std::string long1, long2;
    for (int i = 0; i < 3000; ++i)
        long1 += "第" + std::to_string(i) + "条 违约金与损害赔偿 Tax Law ";
    for (int i = 0; i < 500; ++i)
        long2 += "物权" + std::to_string(i % 17) + "担保";
    auto write = [&](bool fail) {
        CCollectionWriter writer;
        std::string error;
        EXPECT_TRUE(writer.Open(db.Path(), error) && writer.BeginEdition("", error)) << error;
        const int category = writer.Category({"民法"}, error);
        for (const std::string& body : {long1, std::string("短文 担保"), long2, std::string("a")})
            EXPECT_GT(writer.AddLaw({"法规", "", "", "2001-01-01", body}, {category}, error), 0)
                << error;
        if (fail)
            return; // the writer goes without ending its edition: rolled back
        EXPECT_TRUE(writer.EndEdition(error)) << error;
    };
    write(true);
    write(false);
    ASSERT_TRUE(db.Db().Connect(db.ConnectionString().c_str(), 1));
    sqlite3* raw = db.Db().GetConnectionHandle();
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    // Rewrites of indexed laws inside a bulk write go through the triggers; the laws
    // inserted after its mark are indexed at its end.
    ASSERT_EQ(sqlite3_exec(raw, "begin", nullptr, nullptr, nullptr), SQLITE_OK);
    std::string error;
    const std::int64_t from = CSearchIndex::BeginBulk(raw, "dornlaws", error);
    EXPECT_GE(from, 5) << error;
    db.AddLaw(20, "担保法", "1995-06-30", {}, {}, "违约金 担保");
    db.AddLink(20, 0x2000000);
    db.Exec("update dornlaws set body='损害赔偿' where lawid=1");
    db.Exec("update dornlaws set body='合同' where lawid=20");
    db.Exec("delete from dornlaws where lawid=" + std::to_string(from));
    EXPECT_TRUE(CSearchIndex::EndBulk(raw, "dornlaws", from, error)) << error;
    ASSERT_EQ(sqlite3_exec(raw, "commit", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    // After it, every write is followed by the triggers again.
    db.AddLaw(21, "担保法", "1995-06-30", {}, {}, "违约金");
    db.AddLink(21, 0x2000000);
    db.Exec("update dornlaws set body='担保 tax' where lawid=2");
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    for (const char* word : {"违约金", "担保", "赔偿", "tax", "合同"})
        EXPECT_EQ(BodySearch(db, {word}, true, 1), PlainLike(db.Path(), "body", {word})) << word;
}

// The index follows every write: inserts, updates of text and title, updates of other
// columns, deletes, rolled back transactions.
TEST_F(SearchIndexTest, IndexFollowsEveryWriteOfTheLawTable) {
    db.AddLaw(1, "合同法", "1999-03-15", {}, {}, "合同当事人");
    db.AddLaw(2, "担保法", "1995-06-30", {}, {}, "债权人");
    db.Exec("update dornlaws set body='保证合同' where lawid=2");
    db.Exec("update dornlaws set topic='物权法' where lawid=1");
    db.Exec("update dornlaws set wenhao='主席令' where lawid=1");
    db.Exec("update dornlaws set body=NULL where lawid=1");
    db.AddLaw(3, "公司法", "2005-10-27", {}, {}, "公司");
    db.Exec("delete from dornlaws where lawid=3");
    sqlite3* raw = db.Db().GetConnectionHandle();
    ASSERT_EQ(sqlite3_exec(raw, "begin; update dornlaws set body='回滚' where lawid=2; rollback;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    EXPECT_EQ(BodySearch(db, {"合同"}, true, 1), std::vector<int>{});
    db.AddLink(1, 0x2000000);
    db.AddLink(2, 0x2000000);
    EXPECT_EQ(BodySearch(db, {"合同"}, true, 1), std::vector<int>{2});
}

// A collection made before the index: indexed step by step, searched correctly before,
// during and after, with the writes in between kept in the index.
TEST_F(SearchIndexTest, ExistingCollectionIsIndexedStepByStepAndSearchedCorrectlyMeanwhile) {
    sqlite3* raw = db.Db().GetConnectionHandle();
    std::string error;
    ASSERT_EQ(CSearchIndex::Drop(raw, "dornlaws", error), 1) << error;
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), -1);
    for (int i = 1; i <= 450; ++i) {
        db.AddLaw(i, "法规" + std::to_string(i), "2001-01-01", {}, {},
                  i % 7 == 0 ? "违约金条款" : "一般条款");
        db.AddLink(i, 0x2000000);
    }
    const std::vector<int> expected = PlainLike(db.Path(), "body", {"违约金"});
    EXPECT_EQ(BodySearch(db, {"违约金"}, true, 1), expected); // no index yet
    ASSERT_EQ(CSearchIndex::Create(raw, "dornlaws", error), 1) << error;
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), 0);
    long long done = 0, total = 0;
    int steps = 0;
    int rc;
    while ((rc = CSearchIndex::BuildStep(raw, "dornlaws", 100, done, total, error)) == 1) {
        ++steps;
        EXPECT_EQ(total, 450);
        // Writes below and above the mark while the build goes on.
        db.Exec("update dornlaws set body='一般条款' where lawid=" + std::to_string(steps * 7));
        db.Exec("update dornlaws set body='违约金' where lawid=" + std::to_string(449 - steps));
        EXPECT_EQ(BodySearch(db, {"违约金"}, true, 1), PlainLike(db.Path(), "body", {"违约金"}));
    }
    ASSERT_EQ(rc, 0) << error;
    EXPECT_EQ(done, 450);
    EXPECT_GE(steps, 4);
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    EXPECT_EQ(BodySearch(db, {"违约金"}, true, 1), PlainLike(db.Path(), "body", {"违约金"}));
}

// Each way the index can be damaged or left behind is seen from the schema alone, searched
// by LIKE meanwhile, never stops a write of the laws, and is made again by the builder.
TEST_F(SearchIndexTest, DamagedIndexIsSeenSearchedByLikeMeanwhileAndMadeAgain) {
    for (int i = 1; i <= 40; ++i) {
        db.AddLaw(i, i % 3 ? "合同法解释" : "刑法", "2001-01-01", {}, {},
                  i % 4 ? "当事人订立合同 Tax" : "人民法院审理刑事案件");
        db.AddLink(i, 0x2000000);
    }
    sqlite3* raw = db.Db().GetConnectionHandle();
    BuildAsTheWindowDoes(raw, "dornlaws");
    struct Damage {
        const char* name;
        std::string sql;
        bool reopen; // the schema changed behind the connection's back
    } damages[] = {
        {"triggers dropped", "DROP TRIGGER dornlaws_log_au", false},
        {"log dropped", "DROP TABLE dornlaws_changes", false},
        {"tables dropped", "DROP TABLE dornlaws_body; DROP TABLE dornlaws_title", false},
        {"foreign tokenizer",
         "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql,'tolvarin_bigram',"
         "'other_bigram') WHERE name='dornlaws_body'; PRAGMA writable_schema=OFF",
         true},
        {"mark deleted", "DELETE FROM search_index", false},
        {"half-built", "", false},
        {"index of an earlier version", "", false},
    };
    const std::vector<std::vector<std::string>> words = {{"合同"}, {"当事人订立"}, {"人民法院"},
                                                         {"tax"},  {"刑法"},       {"法"}};
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        std::string error;
        const bool halfBuilt = std::string(damage.name) == "half-built";
        if (halfBuilt) {
            // Stopped after its first step.
            long long done = 0, total = 0;
            ASSERT_TRUE(CSearchIndex::Drop(raw, "dornlaws", error) &&
                        CSearchIndex::Create(raw, "dornlaws", error) &&
                        CSearchIndex::BuildStep(raw, "dornlaws", 7, done, total, error) == 1)
                << error;
        } else if (damage.sql.empty()) {
            ASSERT_TRUE(CSearchIndex::Drop(raw, "dornlaws", error)) << error;
            ASSERT_EQ(sqlite3_exec(raw, OldIndexDdl("dornlaws").c_str(), nullptr, nullptr, nullptr),
                      SQLITE_OK);
        } else {
            ASSERT_EQ(sqlite3_exec(raw, damage.sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
                << sqlite3_errmsg(raw);
        }
        if (damage.reopen) {
            db.Db().Close();
            ASSERT_TRUE(db.Db().Connect(db.ConnectionString().c_str(), 0));
            raw = db.Db().GetConnectionHandle();
        }
        EXPECT_EQ(CSearchIndex::IsOutdated(raw, "dornlaws"), !halfBuilt);
        // Writes go on as the update run makes them: laws rewritten, added and deleted.
        ASSERT_TRUE(CSearchIndex::DropOldTriggers(raw, "dornlaws", error)) << error;
        db.Exec("UPDATE dornlaws SET body='合同当事人订立 钢琴' WHERE lawid=4");
        db.Exec("DELETE FROM dornlaws WHERE lawid=5");
        db.AddLaw(41, "合同法", "2001-01-01", {}, {}, "人民法院 tax");
        db.AddLink(41, 0x2000000);
        for (const auto& w : words) {
            SCOPED_TRACE(w[0]);
            EXPECT_EQ(BodySearch(db, w, true, 1), PlainLike(db.Path(), "body", w));
            EXPECT_EQ(TitleSearch(db, w), PlainLike(db.Path(), "topic", w));
        }
        BuildAsTheWindowDoes(raw, "dornlaws");
        std::string difference;
        EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
        for (const auto& w : words) {
            SCOPED_TRACE(w[0]);
            bool exact = false;
            EXPECT_EQ(BodySearch(db, w, true, 1, nullptr, &exact), PlainLike(db.Path(), "body", w));
            EXPECT_EQ(exact, w[0] != "法");
        }
        db.Exec("DELETE FROM dornlaws WHERE lawid=41");
        db.Exec("DELETE FROM dornlawas WHERE lawid=41");
    }
}

// Another program (the sqlite3 shell) adds, rewrites and deletes laws in the collection:
// nothing in the file calls this program's code, the searches find what LIKE finds at once,
// and the index takes the laws in when it is next written.
TEST_F(SearchIndexTest, LawsWrittenByTheSqliteShellAreFoundAsLikeFindsThem) {
    if (std::system("sqlite3 -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no sqlite3 shell";
    for (int i = 1; i <= 30; ++i) {
        db.AddLaw(i, "合同法解释", "2001-01-01", {}, {}, i % 2 ? "当事人订立合同" : "钢琴课");
        db.AddLink(i, 0x2000000);
    }
    sqlite3* raw = db.Db().GetConnectionHandle();
    BuildAsTheWindowDoes(raw, "dornlaws");
    const std::string script = "UPDATE dornlaws SET topic=topic WHERE lawid=1;"
                               "UPDATE dornlaws SET body='钢琴与合同' WHERE lawid=3;"
                               "UPDATE dornlaws SET topic='钢琴条例' WHERE lawid=4;"
                               "DELETE FROM dornlaws WHERE lawid=5;"
                               "INSERT INTO dornlaws(lawid,topic,datum,body) "
                               "VALUES(31,'钢琴法','2001-01-01 00:00:00','订立钢琴');"
                               "INSERT INTO dornlawas(lawid,treeid) VALUES(31,33554432);"
                               "INSERT OR REPLACE INTO dornlaws(lawid,topic,datum,body) "
                               "VALUES(7,'新法','2001-01-01 00:00:00',"
                               "'TAX 钢琴');";
    const std::string command = "sqlite3 '" + db.Path() + "' \"" + script + "\" 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<std::vector<std::string>> words = {{"钢琴"},     {"合同"}, {"当事人订立"},
                                                         {"订立钢琴"}, {"tax"},  {"钢琴条例"}};
    auto same = [&](bool decided) {
        for (const auto& w : words) {
            SCOPED_TRACE(w[0]);
            bool exact = false;
            EXPECT_EQ(BodySearch(db, w, true, 1, nullptr, &exact), PlainLike(db.Path(), "body", w));
            EXPECT_EQ(exact, decided);
            EXPECT_EQ(TitleSearch(db, w), PlainLike(db.Path(), "topic", w));
        }
    };
    same(false);
    BuildAsTheWindowDoes(raw, "dornlaws");
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    same(true);
}

// Damage the schema does not show: rows deleted from the index's own tables, a half-built
// index marked complete, an index of an earlier version that lacks laws. Each is found when
// the collection opens, or when laws are written in bulk, and set aside: searches equal
// plain LIKE meanwhile, the bulk write succeeds, and the window makes the index again. An
// index as the program left it, whoever wrote the laws since, is never taken for damaged.
TEST_F(SearchIndexTest, DamageInsideTheIndexIsFoundAtOpenAndNeverStopsAWrite) {
    for (int i = 1; i <= 60; ++i) {
        db.AddLaw(i, i % 3 ? "合同法解释" : "刑法", "2001-01-01", {}, {},
                  i % 4 ? "当事人订立合同 Tax 第" + std::to_string(i) + "条"
                        : "人民法院审理刑事案件");
        db.AddLink(i, 0x2000000);
    }
    sqlite3* raw = db.Db().GetConnectionHandle();
    BuildAsTheWindowDoes(raw, "dornlaws");
    const std::string complete = std::to_string(CSearchIndex::kComplete);
    struct Damage {
        const char* name;
        std::string sql;
    } damages[] = {
        {"every page deleted", "DELETE FROM dornlaws_body_data"},
        {"last page deleted",
         "DELETE FROM dornlaws_body_data WHERE id=(SELECT max(id) FROM dornlaws_body_data)"},
        {"a term page deleted",
         "DELETE FROM dornlaws_title_idx WHERE term=(SELECT max(term) FROM dornlaws_title_idx)"},
        {"totals deleted", "DELETE FROM dornlaws_body_data WHERE id=1"},
        {"segment list deleted", "DELETE FROM dornlaws_title_data WHERE id=10"},
        {"settings deleted", "DELETE FROM dornlaws_body_config"},
        {"half-built index marked complete", "UPDATE search_index SET upto=" + complete},
        {"mark moved down", "UPDATE search_index SET upto=20"},
        {"earlier index lacking laws",
         "DROP TABLE search_index_state; INSERT INTO dornlaws_body(dornlaws_body,rowid,body) "
         "SELECT 'delete',lawid,body FROM dornlaws WHERE lawid<=5"},
    };
    const std::vector<std::vector<std::string>> words = {{"合同"}, {"当事人订立"}, {"人民法院"},
                                                         {"tax"},  {"刑法"},       {"第5条"}};
    auto searchesEqualLike = [&](bool decided) {
        for (const auto& w : words) {
            SCOPED_TRACE(w[0]);
            bool exact = false;
            EXPECT_EQ(BodySearch(db, w, true, 1, nullptr, &exact), PlainLike(db.Path(), "body", w));
            EXPECT_EQ(exact, decided);
            EXPECT_EQ(TitleSearch(db, w), PlainLike(db.Path(), "topic", w));
        }
    };
    for (const bool bulk : {false, true}) {
        for (const Damage& damage : damages) {
            SCOPED_TRACE(std::string(damage.name) + (bulk ? ", laws written in bulk" : ", opened"));
            std::string error;
            if (std::string(damage.name) == "half-built index marked complete") {
                long long done = 0, total = 0;
                ASSERT_TRUE(CSearchIndex::Drop(raw, "dornlaws", error) &&
                            CSearchIndex::Create(raw, "dornlaws", error) &&
                            CSearchIndex::BuildStep(raw, "dornlaws", 7, done, total, error) == 1)
                    << error;
            }
            ASSERT_EQ(sqlite3_exec(raw, damage.sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
                << sqlite3_errmsg(raw);
            // The schema shows nothing.
            ASSERT_FALSE(CSearchIndex::IsOutdated(raw, "dornlaws"));
            if (bulk) {
                db.Db().Close();
                {
                    CCollectionWriter writer;
                    ASSERT_TRUE(writer.Open(db.Path(), error) && writer.BeginEdition("", error))
                        << error;
                    const int category = writer.Category({"民法"}, error);
                    EXPECT_GT(writer.AddLaw({"合同法", "", "", "2001-01-01", "人民法院 订立合同"},
                                            {category}, error),
                              0)
                        << error;
                    EXPECT_TRUE(writer.EndEdition(error)) << error;
                }
                ASSERT_TRUE(db.Db().Connect(db.ConnectionString().c_str(), 0));
                raw = db.Db().GetConnectionHandle();
            } else {
                std::string found;
                EXPECT_FALSE(CSearchIndex::CheckOnOpen(raw, "dornlaws", found));
                EXPECT_FALSE(found.empty());
            }
            // Set aside: not used, and made again by the window.
            EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), -1);
            EXPECT_TRUE(CSearchIndex::IsOutdated(raw, "dornlaws"));
            searchesEqualLike(false);
            BuildAsTheWindowDoes(raw, "dornlaws");
            std::string difference;
            EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
            std::string found;
            EXPECT_TRUE(CSearchIndex::CheckOnOpen(raw, "dornlaws", found)) << found;
            searchesEqualLike(true);
        }
    }
    // The program's own writes of the index, other programs' writes of the laws, and an index
    // made before the record was kept are no damage.
    const char* sound[] = {
        "UPDATE dornlaws SET body='钢琴 合同' WHERE lawid=2; DELETE FROM dornlaws WHERE lawid=3",
        "DROP TABLE search_index_state",
    };
    for (const char* sql : sound) {
        SCOPED_TRACE(sql);
        ASSERT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        std::string found;
        EXPECT_TRUE(CSearchIndex::CheckOnOpen(raw, "dornlaws", found)) << found;
        BuildAsTheWindowDoes(raw, "dornlaws");
        EXPECT_TRUE(CSearchIndex::CheckOnOpen(raw, "dornlaws", found)) << found;
        EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
        searchesEqualLike(true);
    }
}

// Pages deleted from inside the index that the check on opening does not look at: the engine
// finds the index corrupt when a search reads them; that search and every later one equal
// plain LIKE, and the window's builder makes the index again.
TEST_F(SearchIndexTest, IndexFoundCorruptByASearchIsSetAsideAndMadeAgain) {
    // Texts long enough for the index to take many pages.
    for (int i = 1; i <= 60; ++i) {
        std::string body = i % 4 ? "当事人订立合同" : "刑事案件";
        for (int k = 0; k < 80; ++k)
            body += "第" + std::to_string(i * 100 + k) + "条规定";
        db.AddLaw(i, "合同法解释", "2001-01-01", {}, {}, body);
        db.AddLink(i, 0x2000000);
    }
    sqlite3* raw = db.Db().GetConnectionHandle();
    BuildAsTheWindowDoes(raw, "dornlaws");
    // Every leaf page but the totals, the segment list and the highest page.
    ASSERT_EQ(sqlite3_exec(raw,
                           "DELETE FROM dornlaws_body_data WHERE id>10 AND id<(SELECT max(id) "
                           "FROM dornlaws_body_data)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_GT(sqlite3_changes(raw), 0);
    for (const char* word : {"合同", "刑事案件", "合同"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(BodySearch(db, {word}, true, 1), PlainLike(db.Path(), "body", {word}));
    }
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), -1);
    BuildAsTheWindowDoes(raw, "dornlaws");
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    bool exact = false;
    EXPECT_EQ(BodySearch(db, {"合同"}, true, 1, nullptr, &exact),
              PlainLike(db.Path(), "body", {"合同"}));
    EXPECT_TRUE(exact);
}

// A damaged index in a file this process cannot write: the check cannot take its mark away,
// so the process remembers it and every search here goes without it; made again through a
// connection that can write, it is used again.
TEST_F(SearchIndexTest, DamagedIndexInAFileThatCannotBeWrittenIsLeftUnused) {
    for (int i = 1; i <= 30; ++i) {
        db.AddLaw(i, "合同法解释", "2001-01-01", {}, {}, i % 3 ? "当事人订立合同" : "刑事案件");
        db.AddLink(i, 0x2000000);
    }
    sqlite3* raw = db.Db().GetConnectionHandle();
    BuildAsTheWindowDoes(raw, "dornlaws");
    ASSERT_EQ(sqlite3_exec(raw, "DELETE FROM dornlaws_body_idx", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.Path().c_str(), &reader, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    std::string damage;
    EXPECT_FALSE(CSearchIndex::CheckOnOpen(reader, "dornlaws", damage));
    EXPECT_EQ(CSearchIndex::Mark(reader, "dornlaws"), CSearchIndex::kComplete);
    EXPECT_EQ(CSearchIndex::BuiltUpTo(reader, "dornlaws"), -1);
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), -1);
    std::string error;
    EXPECT_EQ(CSearchIndex::BeginBulk(reader, "dornlaws", error), -1);
    sqlite3_close(reader);
    for (const char* word : {"合同", "刑事案件"})
        EXPECT_EQ(BodySearch(db, {word}, true, 1), PlainLike(db.Path(), "body", {word})) << word;
    BuildAsTheWindowDoes(raw, "dornlaws");
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
    bool exact = false;
    EXPECT_EQ(BodySearch(db, {"合同"}, true, 1, nullptr, &exact),
              PlainLike(db.Path(), "body", {"合同"}));
    EXPECT_TRUE(exact);
}

// Where the index decides a run of windows, the run is listed in one statement, or from one
// pass over the law table and the links, and a long list may come with lawids and dates
// only. Either way the rows are those of the window statements, in their order (window by
// window, each newest first, a law without a date last), with their columns; each law once
// however many links it has, none without a link, and a law written since the index took in
// its log is decided by its text.
TEST_F(SearchIndexTest, LawsTheIndexDecidesAreListedAsTheWindowStatementsListThem) {
    constexpr int kCategory = 0x2000000, kOther = 0x3000000;
    db.Exec("BEGIN");
    for (int lawid = 1; lawid <= 8000; lawid += 4) {
        // Dates differ within every window but for one law without a date in each.
        char date[32] = "";
        if (lawid % 100 != 49) {
            const int day = lawid * 37 % 10007;
            // The time tells apart two days of one year that the date shown does not.
            std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:00", 1990 + day / 365,
                          day % 365 / 31 + 1, day % 31 % 28 + 1, day / 60 % 24, day % 60);
        }
        std::string body = "第一条 ";
        if (lawid % 5 != 0)
            body += "订立合同，";
        if (lawid % 23 == 0)
            body += "正当防卫不负刑事责任。";
        db.AddLaw(lawid, "法规" + std::to_string(lawid) + (lawid % 3 ? "" : "合同"), date,
                  "文号" + std::to_string(lawid), "部门" + std::to_string(lawid % 7), body);
        if (lawid % 97 != 0)
            db.AddLink(lawid, lawid % 8 == 1 ? kCategory : kOther);
        if (lawid % 3 == 0)
            db.AddLink(lawid, kCategory + 1);
    }
    db.Exec("COMMIT");
    BuildAsTheWindowDoes(db.Db().GetConnectionHandle(), "dornlaws");

    struct Case {
        std::vector<std::string> words;
        const char* title;
        bool inCategory;
    };
    const std::vector<Case> cases = {
        {{"合同"}, "", false},     // in most laws: one pass over the law table
        {{"正当防卫"}, "", false}, // in few: each law looked up
        {{"合同"}, "合同", false}, // with a title condition
        {{"合同"}, "", true},      // within a category, through the links' condition
        {{"合同", "正当防卫"}, "", false},
    };
    bool logged = false;
    auto run = [&](const Case& c, bool index, bool later, bool sink, int workers) {
        CSqlSelect builder;
        CAdvancedSearchValues values;
        values.m_nScope =
            c.inCategory ? CSearchComposer::kScopeCurrent : CSearchComposer::kScopeAll;
        values.m_strTitle = c.title;
        CSearchComposer("dornlawas", "dornlaws", c.inCategory ? kCategory : 0)
            .ComposeAdvancedSearch(builder, values);
        CBodySearch search(db.Db(), "dornlaws", db.ConnectionString());
        search.SetUseIndex(index);
        search.SetColumnsLater(later);
        search.SetWorkers(workers);
        std::vector<CLawRow> delivered;
        if (sink)
            search.SetWindowSink([&](std::vector<CLawRow>&& rows) {
                // One window at a time.
                EXPECT_EQ((rows.front().m_nLawId - 1) / CBodySearch::kWindowSize,
                          (rows.back().m_nLawId - 1) / CBodySearch::kWindowSize);
                for (CLawRow& row : rows)
                    delivered.push_back(std::move(row));
                return true;
            });
        std::vector<CLawRow> rows = search.Run(builder, c.words);
        if (sink)
            rows = std::move(delivered);
        // Laws in the log leave the first run of windows to their texts; the later runs are
        // still decided.
        EXPECT_EQ(search.WasExact(), index && !logged);
        EXPECT_EQ(search.GetFailedWindowCount(), 0);
        std::vector<CLawRow*> pending;
        for (CLawRow& row : rows)
            if (row.m_bPending)
                pending.push_back(&row);
        EXPECT_EQ(!pending.empty(), later && index && rows.back().m_nLawId > 1600);
        EXPECT_TRUE(CLawRowFill::Fill(db.Db(), "dornlaws", pending));
        return rows;
    };
    auto same = [](const std::vector<CLawRow>& a, const std::vector<CLawRow>& b) {
        ASSERT_EQ(a.size(), b.size());
        for (size_t k = 0; k < a.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(a[k].m_nLawId, b[k].m_nLawId);
            EXPECT_EQ(a[k].m_strDatum, b[k].m_strDatum);
            EXPECT_EQ(a[k].m_strTopic, b[k].m_strTopic);
            EXPECT_EQ(a[k].m_strWenhao, b[k].m_strWenhao);
            EXPECT_EQ(a[k].m_strBumen, b[k].m_strBumen);
            EXPECT_FALSE(b[k].m_bPending);
        }
    };
    for (int pass = 0; pass < 2; ++pass) {
        // The second time, laws written by another program wait in the log.
        if (pass == 1) {
            sqlite3* other = nullptr;
            ASSERT_EQ(sqlite3_open(db.Path().c_str(), &other), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(other,
                                   "UPDATE dornlaws SET body='正当防卫' WHERE lawid IN (5,1001);"
                                   "UPDATE dornlaws SET body='无' WHERE lawid IN (9,1005)",
                                   nullptr, nullptr, nullptr),
                      SQLITE_OK);
            sqlite3_close(other);
            logged = true;
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(c.words.back() + (c.title[0] ? " title" : "") +
                         (c.inCategory ? " category" : "") + (pass ? " logged" : ""));
            const std::vector<CLawRow> windows = run(c, false, false, false, 1);
            ASSERT_FALSE(windows.empty());
            for (const bool later : {false, true})
                for (const bool sink : {false, true}) {
                    SCOPED_TRACE(std::string(later ? "columns later" : "every column") +
                                 (sink ? ", sink" : ""));
                    same(windows, run(c, true, later, sink, 1));
                    // With helpers at hand, which take the runs the index does not decide.
                    same(windows, run(c, true, later, sink, 2));
                }
        }
    }
}

// A list's pending rows get their columns whether a few are read by lawid or many in one pass
// in lawid order: a law listed twice gets them in both rows, a law no longer there keeps
// empty ones, and none stays pending.
TEST(LawRowFill, PendingRowsGetTheirColumnsLookedUpOrInOnePass) {
    CMessageRecorder messages;
    CSearchFixtureDb db;
    db.Exec("BEGIN");
    for (int lawid = 1; lawid <= 12000; lawid += 2)
        db.AddLaw(lawid, "题" + std::to_string(lawid), "2001-01-01 00:00:00",
                  "号" + std::to_string(lawid), lawid % 3 ? "部" : "");
    db.Exec("COMMIT");
    for (const size_t count : {size_t{40}, CLawRowFill::kOnePassFrom + 1}) {
        SCOPED_TRACE(count);
        std::vector<CLawRow> rows(count);
        for (size_t k = 0; k < count; ++k) {
            // Descending, every second one a law that is not there (an even lawid).
            rows[k].m_nLawId = static_cast<int>(12000 - k);
            rows[k].m_bPending = true;
        }
        rows.back().m_nLawId = rows.front().m_nLawId - 1; // listed twice
        std::vector<CLawRow*> pending;
        for (CLawRow& row : rows)
            pending.push_back(&row);
        ASSERT_TRUE(CLawRowFill::Fill(db.Db(), "dornlaws", pending));
        for (const CLawRow& row : rows) {
            SCOPED_TRACE(row.m_nLawId);
            EXPECT_FALSE(row.m_bPending);
            const bool there = row.m_nLawId % 2 == 1;
            EXPECT_EQ(row.m_strTopic, there ? "题" + std::to_string(row.m_nLawId) : "");
            EXPECT_EQ(row.m_strWenhao, there ? "号" + std::to_string(row.m_nLawId) : "");
            EXPECT_EQ(row.m_strBumen, there && row.m_nLawId % 3 ? "部" : "");
        }
    }
    EXPECT_TRUE(messages.Messages().empty());
}
