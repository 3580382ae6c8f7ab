#include "data/CitationParser.h"
#include "data/CitationTable.h"
#include "data/SearchIndex.h"
#include "display/CitationLinks.h"
#include "tests/core/TestDb.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sqlite3.h>

namespace {

struct CFound {
    std::string text;
    std::string title;
    int article;
    int paragraph;
    int item;
};

std::vector<CFound> Found(const std::string& body) {
    std::vector<CFound> out;
    for (const CCitation& c : CCitationParser::Parse(body))
        out.push_back({body.substr(c.m_nBegin, c.m_nEnd - c.m_nBegin), c.m_strTitle, c.m_nArticle,
                       c.m_nParagraph, c.m_nItem});
    return out;
}

bool operator==(const CFound& a, const CFound& b) {
    return a.text == b.text && a.title == b.title && a.article == b.article &&
           a.paragraph == b.paragraph && a.item == b.item;
}

std::ostream& operator<<(std::ostream& os, const CFound& f) {
    return os << '{' << f.text << " | " << f.title << " | " << f.article << '/' << f.paragraph
              << '/' << f.item << '}';
}

constexpr int A(int n, int sub = 0) {
    return n * 100 + sub;
}

} // namespace

// Forms taken from the laws of the shipped corpus.
TEST(CitationParser, FindsTheFormsLawsCiteBy) {
    struct Case {
        const char* text;
        std::vector<CFound> want;
    };
    const std::vector<Case> cases = {
        {"本标准适用于《中华人民共和国刑法》及其他法律",
         {{"《中华人民共和国刑法》", "中华人民共和国刑法", 0, 0, 0}}},
        // Nested brackets read as one title, with the articles joined to it.
        {"依据民事诉讼法第六十四条及《最高人民法院关于适用〈中华人民共和国民事诉讼法〉的解释》第九"
         "十"
         "条、第九十一条，",
         {{"《最高人民法院关于适用〈中华人民共和国民事诉讼法〉的解释》第九十条",
           "最高人民法院关于适用《中华人民共和国民事诉讼法》的解释", A(90), 0, 0},
          {"第九十一条", "最高人民法院关于适用《中华人民共和国民事诉讼法》的解释", A(91), 0, 0}}},
        {"应当依照《全国人民代表大会常务委员会关于〈中华人民共和国刑法〉第九章渎职罪主体适用问题的"
         "解"
         "释》的规定",
         {{"《全国人民代表大会常务委员会关于〈中华人民共和国刑法〉第九章渎职罪主体适用问题的解释》",
           "全国人民代表大会常务委员会关于《中华人民共和国刑法》第九章渎职罪主体适用问题的解释", 0,
           0, 0}}},
        {"根据《中华人民共和国民事诉讼法》第四十四条第二款规定提出回避申请的",
         {{"《中华人民共和国民事诉讼法》第四十四条第二款", "中华人民共和国民事诉讼法", A(44), 2,
           0}}},
        {"应当认定为《中华人民共和国民事诉讼法》第二百条第一项规定的",
         {{"《中华人民共和国民事诉讼法》第二百条第一项", "中华人民共和国民事诉讼法", A(200), 0,
           1}}},
        {"符合《中华人民共和国民事诉讼法》第二百零九条第一款第三项规定的",
         {{"《中华人民共和国民事诉讼法》第二百零九条第一款第三项", "中华人民共和国民事诉讼法",
           A(209), 1, 3}}},
        {"依照《中华人民共和国刑法》第一百二十条之一的规定",
         {{"《中华人民共和国刑法》第一百二十条之一", "中华人民共和国刑法", A(120, 1), 0, 0}}},
        {"《劳动法》第41条规定", {{"《劳动法》第41条", "劳动法", A(41), 0, 0}}},
        // Blanks and full-width parentheses in a title compare as the title does.
        {"《最高人民法院  最高人民检察院关于审理案件的解释（二）》",
         {{"《最高人民法院  最高人民检察院关于审理案件的解释（二）》",
           "最高人民法院最高人民检察院关于审理案件的解释(二)", 0, 0, 0}}},
        // The law's own articles.
        {"符合本规定第三条第二项规定的刑事案件", {{"本规定第三条第二项", "", A(3), 0, 2}}},
        {"违反本法第十条、第十二条规定的",
         {{"本法第十条", "", A(10), 0, 0}, {"第十二条", "", A(12), 0, 0}}},
        {"依照第五条的规定", {{"第五条", "", A(5), 0, 0}}},
        // Not citations: a chapter, an article of a law named without brackets, an unclosed
        // bracket, empty brackets.
        {"依照本法总则第四章第八节的规定", {}},
        {"违反刑法第二百三十二条的", {}},
        {"《中华人民共和国刑法\n第一条", {}},
        {"《》第一条", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Found(c.text), c.want) << c.text;
}

TEST(CitationParser, KnowsTheArticleItStandsIn) {
    const std::string body = "第一条 为了……\n\n前款规定。\n第二条之一 依照本法第一条。\n";
    const std::vector<CCitation> found = CCitationParser::Parse(body);
    ASSERT_EQ(found.size(), 2u);
    // 前款 points to the article it stands in.
    EXPECT_EQ(found[0].m_nCitingArticle, A(1));
    EXPECT_EQ(found[0].m_nArticle, A(1));
    EXPECT_TRUE(found[0].IsSameLaw());
    EXPECT_EQ(found[1].m_nCitingArticle, A(2, 1));
    EXPECT_EQ(found[1].m_nArticle, A(1));
    EXPECT_EQ(CCitationParser::SentenceAround(body, found[1].m_nBegin, found[1].m_nEnd),
              "第二条之一 依照本法第一条。");
}

TEST(CitationParser, NumeralsAndLabels) {
    const std::vector<std::pair<const char*, int>> numerals = {
        {"十", 10},     {"十二", 12}, {"二百三十二", 232},    {"一百零五", 105},
        {"两千", 2000}, {"232", 232}, {"一千二百六十", 1260}, {"条", 0}};
    for (const auto& [text, value] : numerals)
        EXPECT_EQ(CCitationParser::NumeralValue(text), value) << text;
    EXPECT_EQ(CCitationParser::ArticleLabel(A(232)), "第二百三十二条");
    EXPECT_EQ(CCitationParser::ArticleLabel(A(120, 1)), "第一百二十条之一");
    EXPECT_EQ(CCitationParser::ArticleLabel(A(10)), "第十条");
    EXPECT_EQ(CCitationParser::ShortTitle("中华人民共和国刑法"), "刑法");
    EXPECT_EQ(CCitationParser::ShortTitle("刑法"), "");
}

namespace {

class CitationTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(m_db.File().c_str(), &m_pDb), SQLITE_OK);
        CSearchIndex::RegisterEverywhere();
    }
    void TearDown() override { sqlite3_close(m_pDb); }

    int Add(const std::string& title, const std::string& date, const std::string& body) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_pDb, "INSERT INTO dornlaws (topic,datum,body) VALUES(?,?,?)", -1,
                           &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, title.c_str(), -1, SQLITE_TRANSIENT);
        const std::string datum = date + " 00:00:00";
        sqlite3_bind_text(stmt, 2, datum.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, body.c_str(), -1, SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_finalize(stmt);
        return static_cast<int>(sqlite3_last_insert_rowid(m_pDb));
    }
    void Exec(const std::string& sql) {
        char* err = nullptr;
        EXPECT_EQ(sqlite3_exec(m_pDb, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK)
            << (err ? err : "");
        sqlite3_free(err);
    }
    void Fold() {
        std::string error;
        Exec("BEGIN");
        EXPECT_TRUE(CSearchIndex::Fold(m_pDb, "dornlaws", error)) << error;
        Exec("COMMIT");
    }
    std::vector<int> CitedBy(int lawid) {
        std::vector<CCitingRow> rows;
        EXPECT_TRUE(CCitationTable::CitedBy(m_pDb, "dornlaws", lawid, rows));
        std::vector<int> citing;
        for (const CCitingRow& row : rows)
            citing.push_back(row.m_nLawId);
        return citing;
    }
    std::vector<int> Resolve(const std::string& title, const std::string& date) {
        return CCitationTable::Resolve(m_pDb, "dornlaws", CCitationParser::NormaliseTitle(title),
                                       date);
    }

    TestDb m_db;
    sqlite3* m_pDb = nullptr;
};

} // namespace

TEST_F(CitationTableTest, ResolvesTitlesVersionsAndShortTitles) {
    const int old = Add("最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释", "2012-12-20", "");
    const int now = Add("最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释", "2021-01-26", "");
    const int criminal = Add("中华人民共和国刑法", "2020-12-26", "");
    // A law titled as another's short title, and two versions of that other law whose
    // titles differ in blanks only.
    const int a = Add("中华人民共和国商标法", "2019-04-23", "");
    const int b = Add("商标法", "2001-10-27", "");
    const int c = Add("中华人民共和国 商标法", "2013-08-30", "");
    Fold();
    struct Case {
        const char* title;
        const char* date;
        std::vector<int> want;
    };
    const std::vector<Case> cases = {
        // The newest version on or before the citing law's date.
        {"最高人民法院关于适用〈中华人民共和国刑事诉讼法〉的解释", "2015-01-01", {old}},
        {"最高人民法院关于适用〈中华人民共和国刑事诉讼法〉的解释", "2022-01-01", {now}},
        // A law cited before it existed: the oldest version.
        {"最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释", "2000-01-01", {old}},
        {"中华人民共和国刑法", "2021-01-01", {criminal}},
        {"刑法", "2021-01-01", {criminal}},
        // A title of its own comes before a shared short title; blanks do not count.
        {"商标法", "2020-01-01", {b}},
        {"中华人民共和国商标法", "2015-01-01", {c}},
        {"中华人民共和国商标法", "2020-01-01", {a}},
        {"中华人民共和国民法典", "2021-01-01", {}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(Resolve(k.title, k.date), k.want) << k.title << ' ' << k.date;
}

TEST_F(CitationTableTest, CitedByFollowsEveryWriteThroughTheLog) {
    const int criminal = Add("中华人民共和国刑法", "1997-03-14", "第一条 为了惩罚犯罪。");
    const int early =
        Add("关于甲的解释", "2000-01-01",
            "第一条 依照《中华人民共和国刑法》第二百三十二条的规定。\n第二条 本解释第一"
            "条。");
    const int late = Add("关于乙的解释", "2010-01-01", "第三条 违反《刑法》第十条的，依法处理。");
    const int unrelated =
        Add("关于丙的规定", "2005-01-01", "第一条 依照《中华人民共和国民法典》。");
    Fold();
    // Newest first; the law's references to itself are not listed.
    EXPECT_EQ(CitedBy(criminal), (std::vector<int>{late, early}));
    std::vector<CCitingRow> rows;
    ASSERT_TRUE(CCitationTable::CitedBy(m_pDb, "dornlaws", criminal, rows));
    EXPECT_EQ(rows[0].m_nArticle, A(3));
    EXPECT_EQ(rows[0].m_nCited, A(10));
    EXPECT_EQ(rows[0].m_strSentence, "第三条 违反《刑法》第十条的，依法处理。");
    EXPECT_EQ(rows[0].m_strCitingTitle, "关于乙的解释");

    // Another program rewrites a law, deletes one and adds one: the log brings them in.
    Exec("UPDATE dornlaws SET body='第一条 无引用。' WHERE lawid=" + std::to_string(early));
    Exec("DELETE FROM dornlaws WHERE lawid=" + std::to_string(late));
    Exec("UPDATE dornlaws SET body='第一条 依照《刑法》。' WHERE lawid=" +
         std::to_string(unrelated));
    Fold();
    EXPECT_EQ(CitedBy(criminal), (std::vector<int>{unrelated}));

    // Every row as the admin command lists it, with what each names.
    std::vector<std::pair<std::string, std::vector<int>>> all;
    ASSERT_TRUE(CCitationTable::Each(m_pDb, "dornlaws", 0,
                                     [&](const CCitingRow& row, const std::vector<int>& named) {
                                         all.emplace_back(row.m_strText, named);
                                         return true;
                                     }));
    EXPECT_EQ(all,
              (std::vector<std::pair<std::string, std::vector<int>>>{{"《刑法》", {criminal}}}));
}

TEST_F(CitationTableTest, MissingOrDamagedTableIsBuiltAgain) {
    const int criminal = Add("中华人民共和国刑法", "1997-03-14", "");
    const int citing = Add("关于甲的解释", "2000-01-01", "依照《刑法》第一条。");
    Fold();
    ASSERT_EQ(CitedBy(criminal), (std::vector<int>{citing}));
    // A table dropped by hand: the table cannot be used, nothing stops a write, and it is
    // made again from the texts.
    Exec("DROP TABLE dornlaws_cites");
    EXPECT_TRUE(CCitationTable::IsOutdated(m_pDb, "dornlaws"));
    std::vector<CCitingRow> rows;
    EXPECT_FALSE(CCitationTable::CitedBy(m_pDb, "dornlaws", criminal, rows));
    Exec("UPDATE dornlaws SET body='依照《刑法》第二条。' WHERE lawid=" + std::to_string(citing));
    Fold();
    std::string error;
    ASSERT_EQ(CCitationTable::Drop(m_pDb, "dornlaws", error), 1) << error;
    ASSERT_EQ(CCitationTable::Create(m_pDb, "dornlaws", error), 1) << error;
    EXPECT_EQ(CCitationTable::BuiltUpTo(m_pDb, "dornlaws"), 0);
    long long done = 0, total = 0;
    int rc;
    while ((rc = CCitationTable::BuildStep(m_pDb, "dornlaws", 1, done, total, error)) == 1) {
    }
    ASSERT_EQ(rc, 0) << error;
    EXPECT_EQ(done, 2);
    ASSERT_TRUE(CCitationTable::CitedBy(m_pDb, "dornlaws", criminal, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].m_nCited, A(2));
    // The search index dropped with its log takes the citations with it: they would miss
    // the writes until the log is made again.
    ASSERT_EQ(CSearchIndex::Drop(m_pDb, "dornlaws", error), 1) << error;
    EXPECT_LT(CCitationTable::BuiltUpTo(m_pDb, "dornlaws"), 0);
    EXPECT_FALSE(CCitationTable::IsOutdated(m_pDb, "dornlaws"));
}

TEST_F(CitationTableTest, PageLinksWhatTheCollectionHoldsAndMarksWhatItLacks) {
    const int criminal = Add("中华人民共和国刑法", "1997-03-14", "第十条 凡在……");
    const std::string body = "第一条 依照《刑法》第十条和《某省条例》办理，<img alt=\"《刑法》\">"
                             "\n第二条 本解释第一条。";
    const int citing = Add("关于甲的解释", "2000-01-01", body);
    auto links = [&](size_t* linked, size_t* missing) {
        return CCitationLinks::Insert(body, citing, "2000-01-01", m_pDb, "dornlaws", "未收录",
                                      linked, missing);
    };
    const std::string want =
        "第一条 依照<a href=\"tolvarin-cite:" + std::to_string(criminal) +
        "#1000\">《刑法》第十条</a>和<span title=\"未收录\" style=\"color:#8A6D3B\">《某省条例》"
        "</span>办理，<img alt=\"《刑法》\">\n第二条 <a href=\"tolvarin-cite:" +
        std::to_string(citing) + "#100\">本解释第一条</a>。";
    // Laws written by another program and not yet taken in from the log count as they are.
    size_t linked = 0, missing = 0;
    EXPECT_EQ(links(&linked, &missing), want);
    EXPECT_EQ(linked, 2u);
    EXPECT_EQ(missing, 1u);
    Fold();
    EXPECT_EQ(links(nullptr, nullptr), want);
    // A law renamed since the fold is found by its name now, not by its old one.
    Exec("UPDATE dornlaws SET topic='某省条例' WHERE lawid=" + std::to_string(criminal));
    EXPECT_EQ(links(&linked, &missing).find("《刑法》第十条</a>"), std::string::npos);
    EXPECT_EQ(linked, 2u);
    EXPECT_EQ(missing, 1u);

    std::vector<int> lawids;
    int article = 0;
    EXPECT_TRUE(CCitationLinks::ParseHref("tolvarin-cite:12,40#23200", lawids, article));
    EXPECT_EQ(lawids, (std::vector<int>{12, 40}));
    EXPECT_EQ(article, 23200);
    for (const char* bad : {"tolvarin-cite:#1", "tolvarin-cite:x#1", "http://a/#1",
                            "tolvarin-cite:-3#1", "tolvarin-cite:99999999999#0"})
        EXPECT_FALSE(CCitationLinks::ParseHref(bad, lawids, article)) << bad;
}

TEST(CitationParser, ArticleTextRunsToTheNextHeading) {
    const std::string body = "第一章 总则\n\n第一条 甲。\n\n乙。\n\n第二章 分则\n\n第二条 丙。";
    EXPECT_EQ(CCitationParser::ArticleText(body, A(1)), "第一条 甲。\n\n乙。");
    EXPECT_EQ(CCitationParser::ArticleText(body, A(2)), "第二条 丙。");
    EXPECT_EQ(CCitationParser::ArticleText(body, A(3)), "");
    EXPECT_EQ(CCitationParser::ArticleText(body, A(1), 5), "第一条 甲……");
}

TEST_F(CitationTableTest, CitedByGoesToTheVersionEachCitingLawChose) {
    const int v1 = Add("中华人民共和国刑事诉讼法", "2012-03-14", "");
    const int v2 = Add("中华人民共和国 刑事诉讼法", "2018-10-26", "");
    const int before = Add("甲", "2010-01-01", "依照《刑事诉讼法》第一条。");
    const int between = Add("乙", "2015-01-01", "依照《中华人民共和国刑事诉讼法》第二条。");
    const int after = Add("丙", "2020-01-01", "依照《刑事诉讼法》第三条、第四条。");
    Fold();
    // A law cited before it existed goes to the oldest version.
    EXPECT_EQ(CitedBy(v1), (std::vector<int>{between, before}));
    EXPECT_EQ(CitedBy(v2), (std::vector<int>{after, after}));
    std::vector<CCitingRow> rows;
    long long total = 0;
    ASSERT_TRUE(CCitationTable::CitedBy(m_pDb, "dornlaws", v1, rows, 1, &total));
    EXPECT_EQ(total, 2);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].m_nLawId, between);
    // A third version of the same date as the second: the higher lawid is taken.
    const int v3 = Add("中华人民共和国刑事诉讼法", "2018-10-26", "");
    Fold();
    EXPECT_EQ(CitedBy(v2), (std::vector<int>{}));
    EXPECT_EQ(CitedBy(v3), (std::vector<int>{after, after}));
}

// On the shipped laws every 《X》 whose X (normalised) is a title of the collection, or a
// title without 中华人民共和国, names that law, and nothing else names one; the forms the
// corpus holds come out in the numbers counted on it.
TEST(CitationCorpus, EveryTitleOfTheCollectionAndNothingElseIsResolved) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    if (!corpus || !std::filesystem::exists(corpus))
        GTEST_SKIP() << "no corpus at TOLVARIN_CORPUS";
    TestDb fixture;
    {
        CCollectionWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(fixture.File(), error)) << error;
        ASSERT_TRUE(writer.BeginEdition("", error)) << error;
        ASSERT_GT(CCorpusImporter::Import(corpus, writer, error), 0) << error;
        ASSERT_TRUE(writer.EndEdition(error)) << error;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(fixture.File().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(CCitationTable::BuiltUpTo(db, "dornlaws"), CCitationTable::kComplete);
    std::set<std::string> titles, shortTitles;
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT topic FROM dornlaws", -1, &stmt, nullptr), SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const std::string title = CCitationParser::NormaliseTitle(
            reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        titles.insert(title);
        if (title.rfind("中华人民共和国", 0) == 0 && title.size() > 21)
            shortTitles.insert(title.substr(21));
    }
    sqlite3_finalize(stmt);
    size_t exact = 0, byShortTitle = 0, withArticle = 0, own = 0;
    ASSERT_TRUE(CCitationTable::Each(
        db, "dornlaws", 0, [&](const CCitingRow& row, const std::vector<int>& named) {
            if (row.m_strTitle.empty()) {
                own += row.m_strText.rfind("本", 0) == 0;
                return true;
            }
            const bool isTitle = titles.count(row.m_strTitle) > 0;
            const bool isShort = !isTitle && shortTitles.count(row.m_strTitle) > 0;
            EXPECT_EQ(!named.empty(), isTitle || isShort) << row.m_strText;
            if (row.m_strText.rfind("《", 0) != 0)
                return true;
            exact += isTitle;
            byShortTitle += isShort;
            withArticle += !named.empty() && row.m_nCited != 0;
            return true;
        }));
    sqlite3_close(db);
    if (std::string(corpus).find("laws-zh") != std::string::npos) {
        EXPECT_EQ(exact, 2926u);
        EXPECT_EQ(byShortTitle, 459u);
        EXPECT_EQ(own, 3591u);
        EXPECT_GE(withArticle, 516u);
    }
}
