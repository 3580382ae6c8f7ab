// The body search with its windows shared among threads finds exactly the laws of one plain
// LIKE statement on the engine's own like, in the same order as the search on one thread.
#include "TestDb.h"

#include "data/SearchIndex.h"
#include "data/SqlSelect.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "search/BodySearch.h"
#include "search/SearchComposer.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

std::vector<int> Ids(const std::vector<CLawRow>& rows) {
    std::vector<int> ids;
    for (const CLawRow& row : rows)
        ids.push_back(row.m_nLawId);
    return ids;
}

class ParallelBodySearch : public ::testing::Test {
protected:
    // The search of the advanced form with only words for the law text.
    std::vector<CLawRow> Search(const std::string& words, int workers, int treeId = 0,
                                int scope = 1, bool index = false, bool later = false) {
        CSqlSelect builder;
        CAdvancedSearchValues values;
        values.m_nScope = scope;
        CSearchComposer("dornlawas", "dornlaws", treeId).ComposeAdvancedSearch(builder, values);
        CBodySearch search(m_db, "dornlaws", m_file.ConnectionString());
        search.SetWorkers(workers);
        search.SetUseIndex(index);
        search.SetColumnsLater(later);
        return search.Run(builder, SplitWords(words));
    }

    // The laws of the same search as one statement on a connection without our like.
    std::set<int> Plain(const std::string& words) {
        CSqlSelect builder;
        CAdvancedSearchValues values;
        values.m_nScope = 1;
        CSearchComposer("dornlawas", "dornlaws", 0).ComposeAdvancedSearch(builder, values);
        for (const std::string& w : SplitWords(words))
            builder.AddCondition(" and ", "law.body", " like ", CSearchComposer::LikeValue(w));
        sqlite3* db = nullptr;
        std::set<int> ids;
        EXPECT_EQ(sqlite3_open_v2(m_file.File().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, builder.Build().c_str(), -1, &stmt, nullptr), SQLITE_OK);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ids.insert(sqlite3_column_int(stmt, 0));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return ids;
    }

    // A law filed in one category; without a date when `datum` is empty.
    void AddFiledLaw(int lawid, const std::string& topic, const std::string& datum,
                     const std::string& body) {
        const std::string id = std::to_string(lawid);
        const std::string sql =
            datum.empty() ? "insert into dornlaws (lawid, topic, body) values (" + id + ", '" +
                                topic + "', '" + body + "')"
                          : "insert into dornlaws (lawid, topic, datum, body) values (" + id +
                                ", '" + topic + "', '" + datum + "', '" + body + "')";
        ASSERT_EQ(m_db.Execute(sql.c_str()), 1);
        ASSERT_EQ(
            m_db.Execute(
                ("insert into dornlawas (lawid, treeid) values (" + id + ", 33554432)").c_str()),
            1);
    }

    CMessageRecorder m_messages;
    TestDb m_file;
    CDbConnection m_db;
};

TEST_F(ParallelBodySearch, SameLawsAsOnePlainStatementOverTheCorpus) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    ASSERT_TRUE(corpus && std::ifstream(corpus)) << "no corpus at TOLVARIN_CORPUS";
    {
        CCollectionWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(m_file.File(), error)) << error;
        ASSERT_TRUE(writer.BeginEdition("", error)) << error;
        ASSERT_EQ(CCorpusImporter::Import(corpus, writer, error), 1557) << error;
        ASSERT_TRUE(writer.EndEdition(error)) << error;
    }
    m_file.Connect(m_db);
    // Words of 1 to 6 characters, Chinese and Latin in both cases, with the wildcards, and
    // two words at once.
    for (const std::string words :
         {"法", "合同", "劳动者", "人民法院", "国务院令第", "人民代表大会", "WTO", "wto", "a",
          "第_条", "合%同", "100%", "合同 当事人", "PM 时"}) {
        const std::vector<CLawRow> one = Search(words, 1);
        const std::vector<CLawRow> two = Search(words, 2);
        const std::vector<CLawRow> four = Search(words, 4);
        EXPECT_EQ(Ids(two), Ids(one)) << words;
        EXPECT_EQ(Ids(four), Ids(one)) << words;
        const std::vector<int> ids = Ids(two);
        EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), Plain(words)) << words;
        EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), ids.size()) << words;
    }
    for (const auto& message : m_messages.Messages())
        ADD_FAILURE() << message.caption << ": " << message.text;
}

TEST_F(ParallelBodySearch, RowsKeepTheWindowOrderAndTheirColumns) {
    m_file.Connect(m_db);
    // Laws spread over many windows, each filed once; the newest first within a window.
    for (int i = 1; i <= 1000; ++i)
        AddFiledLaw(i * 7, "T" + std::to_string(i), "2001-01-" + std::to_string(1 + i % 28),
                    i % 3 == 0 ? "甲合同乙" : "甲乙");
    const std::vector<CLawRow> one = Search("合同", 1);
    const std::vector<CLawRow> two = Search("合同", 2);
    ASSERT_EQ(one.size(), 333U);
    ASSERT_EQ(two.size(), one.size());
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(two[i].m_nLawId, one[i].m_nLawId);
        EXPECT_EQ(two[i].m_strTopic, one[i].m_strTopic);
        EXPECT_EQ(two[i].m_strDatum, one[i].m_strDatum);
    }
    EXPECT_TRUE(Search("合同", 2, 2 * 33554432, 0).empty());
}

// With helpers at hand, the runs the full-text index decides are read on the owner's
// connection and the others shared among the helpers: the rows are those of one thread, in
// the same order, and of the search without the index.
TEST_F(ParallelBodySearch, RowsOfRunsTheIndexDecidesAreTheSameSharedOrNot) {
    m_file.Connect(m_db);
    ASSERT_EQ(m_db.Execute("BEGIN"), 1);
    for (int i = 1; i <= 12000; i += 3) {
        char date[32];
        std::snprintf(date, sizeof date, "2001-01-01 %02d:%02d:%02d", i / 3600, i / 60 % 60,
                      i % 60);
        AddFiledLaw(i, "T" + std::to_string(i), date, i % 4 ? "甲合同乙" : "甲乙");
    }
    ASSERT_EQ(m_db.Execute("COMMIT"), 1);
    sqlite3* raw = m_db.GetConnectionHandle();
    std::string error;
    long long done = 0, total = 0;
    int rc;
    while ((rc = CSearchIndex::BuildStep(raw, "dornlaws", 1000, done, total, error)) == 1) {
    }
    ASSERT_EQ(rc, 0) << error;
    ASSERT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
    const std::vector<CLawRow> plain = Search("合同", 1);
    ASSERT_EQ(plain.size(), 3000U);
    for (const bool later : {false, true})
        for (const int workers : {1, 2, 4}) {
            SCOPED_TRACE(std::to_string(workers) + (later ? " columns later" : ""));
            const std::vector<CLawRow> rows = Search("合同", workers, 0, 1, true, later);
            ASSERT_EQ(Ids(rows), Ids(plain));
            for (size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i].m_strDatum, plain[i].m_strDatum);
                EXPECT_EQ(rows[i].m_strTopic, later ? "" : plain[i].m_strTopic);
            }
        }
}

TEST_F(ParallelBodySearch, HelpersThatCannotConnectLeaveTheWindowsToTheOwner) {
    m_file.Connect(m_db);
    for (int i = 1; i <= 300; ++i)
        AddFiledLaw(i, "T", "", i % 2 ? "合同" : "无");
    const std::vector<int> expected = Ids(Search("合同", 1));
    ASSERT_EQ(expected.size(), 150U);
    // The file is gone under its name: the owner's open connection still reads it, a helper
    // cannot open it. Its box comes on this thread, once, and nothing waits forever.
    std::filesystem::rename(m_file.File(), m_file.File() + ".moved");
    EXPECT_EQ(Ids(Search("合同", 2)), expected);
    EXPECT_EQ(m_messages.Messages().size(), 1U);
    std::filesystem::rename(m_file.File() + ".moved", m_file.File());
}

// Rows handed out window by window as they come are the rows of the whole run, in the same
// order, whether the windows are shared or not. A sink that refuses more, or a stop, ends
// the run after that window, with nothing counted as failed and no helper left running.
TEST_F(ParallelBodySearch, RowsAsTheyComeAndARunEndedPartWay) {
    m_file.Connect(m_db);
    ASSERT_EQ(m_db.Execute("BEGIN"), 1);
    for (int i = 1; i <= 3000; ++i)
        AddFiledLaw(i, "T", "2001-01-01", i % 3 ? "甲乙" : "甲合同乙");
    ASSERT_EQ(m_db.Execute("COMMIT"), 1);
    const std::vector<int> whole = Ids(Search("合同", 1));
    ASSERT_EQ(whole.size(), 1000U);
    for (int workers : {1, 4}) {
        SCOPED_TRACE(workers);
        // How the run ends: never, when the sink refuses the third window, at a stop asked
        // for after the second.
        for (int end : {0, 1, 2}) {
            CSqlSelect builder;
            CAdvancedSearchValues values;
            values.m_nScope = 1;
            CSearchComposer("dornlawas", "dornlaws", 0).ComposeAdvancedSearch(builder, values);
            CBodySearch search(m_db, "dornlaws", m_file.ConnectionString());
            search.SetWorkers(workers);
            std::vector<int> streamed;
            int calls = 0;
            search.SetWindowSink([&](std::vector<CLawRow>&& rows) {
                for (const CLawRow& row : rows)
                    streamed.push_back(row.m_nLawId);
                return !(end == 1 && ++calls == 3);
            });
            search.SetStop([&] { return end == 2 && streamed.size() >= 50; });
            EXPECT_TRUE(search.Run(builder, {"合同"}).empty());
            EXPECT_EQ(search.GetFailedWindowCount(), 0);
            const size_t expected = end == 0 ? whole.size() : end == 1 ? 100 : 66;
            ASSERT_EQ(streamed.size(), expected) << end;
            EXPECT_TRUE(std::equal(streamed.begin(), streamed.end(), whole.begin())) << end;
            EXPECT_EQ(search.GetWindowCount(), end == 0 ? 30 : end == 1 ? 3 : 2) << end;
        }
    }
}

TEST(NewDatabase, HoldsALawTextOfAverageLengthInItsRowsPage) {
    TestDb file;
    CDbConnection db;
    file.Connect(db);
    // About 5,400 Chinese characters, the collections' average.
    std::string body;
    while (body.size() < 16200)
        body += "第一条 为了保护合同当事人的合法权益。";
    ASSERT_EQ(
        db.Execute(("insert into dornlaws (topic, body) values ('T', '" + body + "')").c_str()), 1);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.File().c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw,
                                 "select count(*) from dbstat where name='dornlaws' and "
                                 "pagetype='overflow'",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), 0);
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
}

} // namespace
