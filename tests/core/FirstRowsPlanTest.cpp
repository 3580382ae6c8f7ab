#include "TestDb.h"

#include "browse/CategoryStatement.h"
#include "browse/FirstRowsPlan.h"
#include "data/DbRecordset.h"
#include "data/JetSql.h"
#include "data/SqlSelect.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "search/AdvancedSearchValues.h"
#include "search/SearchComposer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// A row as the list shows it; "-" stands for NULL.
using Row = std::vector<std::string>;

// The rows of a statement of the program (translated as every connection translates it).
std::vector<Row> Rows(CDbConnection& db, const std::string& jet) {
    std::vector<Row> rows;
    std::string sql, error;
    EXPECT_TRUE(CJetSql::Translate(jet, sql, error)) << error;
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db.GetConnectionHandle(), sql.c_str(), -1, &stmt, nullptr),
              SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db.GetConnectionHandle());
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row row;
        for (int i = 0; i < 5; ++i) {
            const auto* text = sqlite3_column_text(stmt, i);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "-");
        }
        rows.push_back(row);
    }
    EXPECT_EQ(rc, SQLITE_DONE) << sql;
    sqlite3_finalize(stmt);
    return rows;
}

std::vector<Row> Sorted(std::vector<Row> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Laws and links that make the listings' corners: dates shared by several laws, laws without
// a date, a law filed twice in a category, links to laws that do not exist, laws elsewhere.
class FirstRowsPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file.Connect(m_db);
        std::string sql = "BEGIN;";
        const char* dates[] = {"'2001-05-01 00:00:00'", "'2001-05-01 00:00:00'", "NULL",
                               "'1999-12-31 00:00:00'", "'2010-01-01 00:00:00'"};
        for (int lawid = 1; lawid <= 40; ++lawid) {
            const std::string topic =
                lawid % 3 == 0 ? "合同法规定" : "规定" + std::to_string(lawid);
            sql += "INSERT INTO dornlaws (lawid, topic, wenhao, bumen, datum, body) VALUES (" +
                   std::to_string(lawid) + ",'" + topic + "','文" + std::to_string(lawid) +
                   "','部门'," + dates[lawid % 5] + ",'正文');";
            // Category 0x2000000 and its child 0x2080000 hold most laws; 0x4000000 the rest.
            const int tree = lawid % 7 == 0 ? 0x4000000 : (lawid % 2 ? 0x2000000 : 0x2080000);
            sql += "INSERT INTO dornlawas (lawid, treeid) VALUES (" + std::to_string(lawid) + "," +
                   std::to_string(tree) + ");";
        }
        // Filed twice in the same category; links to laws that are not there.
        sql += "INSERT INTO dornlawas (lawid, treeid) VALUES (3, 2162688), (91, 33554432), "
               "(92, 34078720), (92, 33554432), (93, 67108864);COMMIT;";
        ASSERT_EQ(sqlite3_exec(m_db.GetConnectionHandle(), sql.c_str(), nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(m_db.GetConnectionHandle());
    }

    CMessageRecorder m_messages;
    TestDb m_file;
    CDbConnection m_db;
};

std::string Search(const std::function<void(const CSearchComposer&, CSqlSelect&)>& compose,
                   int curTreeId) {
    CSqlSelect builder;
    compose(CSearchComposer("dornlawas", "dornlaws", curTreeId), builder);
    return builder.Build();
}

} // namespace

TEST_F(FirstRowsPlanTest, FirstRowsAndTheRestAreTheListingInOrder) {
    CEditionConfig config;
    CAdvancedSearchValues dates;
    dates.m_nFromYear = 2000;
    dates.m_nToYear = 2005;
    dates.m_nScope = 1;
    CAdvancedSearchValues scopeOnly; // the current category, nothing typed: links to no law too
    const std::vector<std::string> statements = {
        CategoryStatement(config, 0x2000000),
        CategoryStatement(config, 0x2080000),
        CategoryStatement(config, 0x6000000), // nothing filed there
        Search([](const CSearchComposer& c, CSqlSelect& b) { c.ComposeTitleSearch(b, "合同", 1); },
               0),
        Search([](const CSearchComposer& c, CSqlSelect& b) { c.ComposeTitleSearch(b, "合同", 0); },
               0x2000000),
        Search([](const CSearchComposer& c,
                  CSqlSelect& b) { c.ComposeTitleSearch(b, "规定 合'同", 1); },
               0),
        Search([&](const CSearchComposer& c, CSqlSelect& b) { c.ComposeAdvancedSearch(b, dates); },
               0),
        Search(
            [&](const CSearchComposer& c, CSqlSelect& b) { c.ComposeAdvancedSearch(b, scopeOnly); },
            0x2000000),
    };
    for (const std::string& sql : statements) {
        SCOPED_TRACE(sql);
        CFirstRowsPlan plan;
        ASSERT_TRUE(CFirstRowsPlan::Split(sql, plan));
        // The listing's rows, in the order its statement leaves open among equal dates.
        const std::vector<Row> all = Rows(m_db, plan.Rest());
        EXPECT_EQ(Sorted(all), Sorted(Rows(m_db, sql)));
        for (size_t i = 1; i < all.size(); ++i)
            EXPECT_FALSE(all[i][2] != "-" && (all[i - 1][2] == "-" || all[i][2] > all[i - 1][2]))
                << "row " << i << " is newer than the one above it";
        // However many first rows were shown, they are the listing's first rows, row by row.
        for (size_t limit = 0; limit <= all.size() + 1; ++limit) {
            const std::vector<Row> shown = Rows(m_db, plan.FirstRows(limit));
            ASSERT_LE(shown.size(), limit);
            EXPECT_EQ(shown, std::vector<Row>(all.begin(), all.begin() + shown.size()))
                << "after " << limit << " first rows";
            // Every law with a date comes first.
            if (limit > 0 && limit <= all.size() && all[limit - 1][2] != "-") {
                EXPECT_EQ(shown.size(), limit);
            }
        }
    }
}

TEST_F(FirstRowsPlanTest, OtherStatementsAndCollectionsWithoutTheListIndexAreLeftAlone) {
    CEditionConfig config;
    for (const std::string& sql : {
             CategoryStatement(config, 0), // already read newest first through the index
             std::string("select lawid, topic, datum, wenhao, bumen from dornlaws where lawid=1"),
             std::string("select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,"
                         "l.wenhao as wenhao,l.bumen as bumen from (dornlawas v left join "
                         "dornlaws l on v.lawid=l.lawid) where v.treeid>=1 order by datum"),
             std::string("select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,"
                         "l.wenhao as wenhao,l.bumen as bumen from (dornlawas v left join "
                         "dornlaws x on v.lawid=x.lawid) order by datum DESC"),
         }) {
        CFirstRowsPlan plan;
        EXPECT_FALSE(CFirstRowsPlan::Split(sql, plan)) << sql;
    }
    CFirstRowsPlan plan;
    ASSERT_TRUE(CFirstRowsPlan::Split(CategoryStatement(config, 0x2000000), plan));
    ASSERT_TRUE(m_db.Execute("DROP INDEX dornlaws_list"));
    CDbRecordset rs;
    EXPECT_FALSE(rs.Open(&m_db, plan.FirstRows(10)));
}

TEST_F(FirstRowsPlanTest, TitleSearchesAreBoundToTheLawsTheirTitleWordsAllow) {
    CEditionConfig config;
    CAdvancedSearchValues advanced;
    advanced.m_strTitle = "规定 合'同";
    advanced.m_strWenhao = "文 and law.topic like";
    advanced.m_nFromYear = 2000;
    const struct {
        std::string sql;
        std::vector<std::string> words;
    } cases[] = {
        {Search([](const CSearchComposer& c, CSqlSelect& b) { c.ComposeTitleSearch(b, "合同", 1); },
                0),
         {"合同"}},
        {Search([](const CSearchComposer& c,
                   CSqlSelect& b) { c.ComposeTitleSearch(b, "合同 规定", 0); },
                0x2000000),
         {"合同", "规定"}},
        // A quote in a word; a word that looks like a condition is still a word.
        {Search(
             [&](const CSearchComposer& c, CSqlSelect& b) { c.ComposeAdvancedSearch(b, advanced); },
             0),
         {"规定", "合'同"}},
        {CategoryStatement(config, 0x2000000), {}},
        {"select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,l.wenhao as "
         "wenhao,l.bumen as bumen from (dornlawas v left join dornlaws l on v.lawid=l.lawid) "
         "where l.topic like '%合同%' or v.treeid>=1 order by datum DESC",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        CFirstRowsPlan plan;
        ASSERT_TRUE(CFirstRowsPlan::Split(c.sql, plan));
        EXPECT_EQ(plan.GetTitleWords(), c.words);
        if (c.words.empty())
            continue;
        // Bound to a superset of the laws found (as the index gives), or to exactly those.
        std::vector<int> some, found;
        for (int lawid = 1; lawid <= 40; lawid += 2)
            some.push_back(lawid);
        for (const Row& row : Rows(m_db, c.sql))
            if (row[0] != "-")
                found.push_back(std::stoi(row[0]));
        const std::vector<Row> all = Sorted(Rows(m_db, c.sql));
        std::vector<int> superset = found;
        superset.insert(superset.end(), some.begin(), some.end());
        EXPECT_EQ(Sorted(Rows(m_db, plan.Narrowed(superset))), all);
        EXPECT_EQ(Sorted(Rows(m_db, plan.Narrowed(found))), all);
        EXPECT_TRUE(Rows(m_db, plan.Narrowed({})).empty());
    }
}
