#include "TestDatabase.h"

#include "browse/CategoryStatement.h"
#include "browse/ListQueryJob.h"
#include "data/DbConnection.h"
#include "data/SqlSelect.h"
#include "ground/EditionConfig.h"
#include "ground/FrameMessageTarget.h"
#include "ground/MessageService.h"
#include "search/SearchComposer.h"
#include "tests/core/PageDamage.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Records what each job delivers; a gate may hold the worker inside a call.
class CRecordingSink : public CListQuerySink {
public:
    struct Listing {
        bool begun = false;
        bool ended = false;
        std::string failure;  // what FailListing said
        bool refused = false; // and whether the statement was refused
        std::vector<CLawRow> rows;
        std::vector<size_t> batches;
        std::vector<bool> repaints;
    };

    std::function<void(const char* what, std::uint64_t token)> m_gate;

    void BeginListing(std::uint64_t token) override {
        Gate("begin", token);
        std::lock_guard lock(m_mutex);
        m_listings[token].begun = true;
    }
    void AppendRows(std::uint64_t token, std::vector<CLawRow>&& rows, bool repaintNow) override {
        Gate("rows", token);
        std::lock_guard lock(m_mutex);
        Listing& listing = m_listings[token];
        listing.batches.push_back(rows.size());
        listing.repaints.push_back(repaintNow);
        for (auto& row : rows)
            listing.rows.push_back(std::move(row));
    }
    void FailListing(std::uint64_t token, const CListFailure& failure) override {
        std::lock_guard lock(m_mutex);
        m_listings[token].failure = failure.m_strError.empty() ? "?" : failure.m_strError;
        m_listings[token].refused = failure.m_bRefused;
    }
    void EndListing(std::uint64_t token) override {
        Gate("end", token);
        {
            std::lock_guard lock(m_mutex);
            m_listings[token].ended = true;
        }
        m_cv.notify_all();
    }

    Listing Get(std::uint64_t token) {
        std::lock_guard lock(m_mutex);
        return m_listings[token];
    }
    bool WaitEnded(std::uint64_t token) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, 20s, [&] { return m_listings[token].ended; });
    }

private:
    void Gate(const char* what, std::uint64_t token) {
        if (m_gate)
            m_gate(what, token);
    }
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<std::uint64_t, Listing> m_listings;
};

class CCloseRecorder : public CFrameMessageTarget {
public:
    void Post(unsigned message, std::intptr_t, std::intptr_t) override {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
    }
    std::vector<unsigned> Messages() {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<unsigned> m_messages;
};

template <class Pred> bool Eventually(Pred pred) {
    for (int i = 0; i < 4000 && !pred(); ++i)
        std::this_thread::sleep_for(5ms);
    return pred();
}

class ListQueryJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.Begin();
        for (int i = 0; i < kLaws; ++i) {
            char date[32];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d 00:00:00", 1950 + i % 70, 1 + i % 12,
                          1 + i % 28);
            m_db.AddLaw(0, "law " + std::to_string(i), date, "W" + std::to_string(i), "D");
        }
        m_db.Commit();
    }
    void TearDown() override {
        EXPECT_TRUE(WaitForListQueriesIdle(30s));
        CloseListQueryConnection();
        ResetListQueryClose();
        SetMainWindowTarget(nullptr);
    }

    static constexpr int kLaws = 3000;
    static constexpr const char* kAll =
        "select distinct lawid, topic, datum, wenhao, bumen from dornlaws order by datum DESC";
    CMessageRecorder m_messages;
    CTestDatabase m_db;
};

} // namespace

TEST_F(ListQueryJobTest, DeliversEveryRowInOrderFirstRowsAtOnce) {
    auto sink = std::make_shared<CRecordingSink>();
    const auto token = StartListQuery(kAll, sink);
    ASSERT_TRUE(sink->WaitEnded(token));
    const auto listing = sink->Get(token);
    EXPECT_TRUE(listing.begun);
    ASSERT_EQ(listing.rows.size(), static_cast<size_t>(kLaws));
    for (size_t i = 1; i < listing.rows.size(); ++i)
        ASSERT_GE(listing.rows[i - 1].m_strDatum, listing.rows[i].m_strDatum);
    EXPECT_EQ(listing.rows[0].m_strDatum.size(), 10u);
    EXPECT_NE(listing.rows[0].m_nLawId, 0);
    ASSERT_GE(listing.batches.size(), 3u);
    EXPECT_EQ(listing.batches[0], 15u);
    EXPECT_EQ(listing.batches[1], 15u);
    EXPECT_TRUE(listing.repaints[0]);
    EXPECT_TRUE(listing.repaints[1]);
    EXPECT_FALSE(listing.repaints[2]);
    EXPECT_TRUE(m_messages.Messages().empty());
}

// A statement the engine refuses delivers no rows and says so, with the engine's text; it is
// told apart from a failed read. A statement that finds nothing says nothing.
TEST_F(ListQueryJobTest, RefusedOrEmptyStatementDeliversNoRows) {
    auto sink = std::make_shared<CRecordingSink>();
    std::string tooDeep = "select lawid, topic, datum, wenhao, bumen from dornlaws where 1";
    for (int i = 0; i < 1000; ++i)
        tooDeep += " and topic like '%法%'";
    const struct {
        std::string sql;
        const char* failure; // part of the failure's text; nullptr: none
    } cases[] = {
        {"select lawid, topic, datum, wenhao, bumen from no_such_table", "no such table"},
        {tooDeep, "Expression tree is too large"},
        {"select lawid, topic, datum, wenhao, bumen from dornlaws where datum<#2003-2-31#", "date"},
        {"select lawid, topic, datum, wenhao, bumen from dornlaws where 0", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql.substr(0, 120));
        const auto token = StartListQuery(c.sql, sink);
        ASSERT_TRUE(sink->WaitEnded(token));
        const auto listing = sink->Get(token);
        EXPECT_TRUE(listing.begun);
        EXPECT_TRUE(listing.rows.empty());
        if (c.failure) {
            EXPECT_NE(listing.failure.find(c.failure), std::string::npos) << listing.failure;
            EXPECT_TRUE(listing.refused);
        } else {
            EXPECT_EQ(listing.failure, "");
        }
    }
}

TEST_F(ListQueryJobTest, DamagedDatabaseCutsTheListingShortAndSaysSo) {
    // Garbage over the first page of the index the listing reads (newest first, so that page
    // comes last): the rows before it come, then the engine fails. Before, that looked like
    // the end of the rows.
    CloseListQueryConnection();
    DamageLeafPages(m_db.Dir() + "/db1.mdb", "dornlaws_list", 0.0);
    auto sink = std::make_shared<CRecordingSink>();
    const auto token = StartListQuery(kAll, sink);
    ASSERT_TRUE(sink->WaitEnded(token));
    const auto listing = sink->Get(token);
    EXPECT_GT(listing.rows.size(), 0u);
    EXPECT_LT(listing.rows.size(), static_cast<size_t>(kLaws));
    EXPECT_NE(listing.failure.find("malformed"), std::string::npos) << listing.failure;
    // An intact listing of the same worker afterwards does not inherit the failure.
    const auto other = StartListQuery("select lawid, topic, datum, wenhao, bumen from dornlaws "
                                      "where lawid=1",
                                      sink);
    ASSERT_TRUE(sink->WaitEnded(other));
    EXPECT_EQ(sink->Get(other).failure, "");
}

TEST_F(ListQueryJobTest, NewerRequestStopsTheRunningOneAtItsNextRow) {
    auto sink = std::make_shared<CRecordingSink>();
    std::uint64_t first = 0;
    std::mutex gateMutex;
    std::condition_variable gateCv;
    bool release = false;
    std::atomic<bool> blocked{false};
    // Hold the first job after its first batch until the second request has signalled.
    sink->m_gate = [&](const char* what, std::uint64_t token) {
        std::unique_lock lock(gateMutex);
        if (token == first && std::string(what) == "rows") {
            blocked = true;
            gateCv.wait(lock, [&] { return release; });
        }
    };
    {
        std::lock_guard lock(gateMutex);
        first = StartListQuery(kAll, sink);
    }
    ASSERT_TRUE(Eventually([&] { return blocked.load(); }));
    const auto second = StartListQuery(kAll, sink);
    ASSERT_TRUE(Eventually([] { return IsListQueryStopSignalled(); }));
    {
        std::lock_guard lock(gateMutex);
        release = true;
    }
    gateCv.notify_all();
    ASSERT_TRUE(sink->WaitEnded(first));
    ASSERT_TRUE(sink->WaitEnded(second));
    EXPECT_LT(sink->Get(first).rows.size(), 100u);
    EXPECT_EQ(sink->Get(second).rows.size(), static_cast<size_t>(kLaws));
}

TEST_F(ListQueryJobTest, UnconsumedStopNeverReachesTheNextJob) {
    auto sink = std::make_shared<CRecordingSink>();
    std::uint64_t first = 0;
    std::mutex gateMutex;
    std::condition_variable gateCv;
    bool release = false;
    std::atomic<bool> atEnd{false};
    // The first job has delivered all its rows, and read to the end of its statement, when
    // the second request signals the stop.
    sink->m_gate = [&](const char* what, std::uint64_t token) {
        std::unique_lock lock(gateMutex);
        if (token == first && std::string(what) == "end") {
            atEnd = true;
            gateCv.wait(lock, [&] { return release; });
        }
    };
    {
        std::lock_guard lock(gateMutex);
        first = StartListQuery(kAll, sink);
    }
    // Not merely all rows delivered: the last batch can go out before the statement's final
    // step, and a stop request that arrives during that step is rightly taken by the first job.
    ASSERT_TRUE(Eventually([&] { return atEnd.load(); }));
    const auto second = StartListQuery(kAll, sink);
    ASSERT_TRUE(Eventually([] { return IsListQueryStopSignalled(); }));
    {
        std::lock_guard lock(gateMutex);
        release = true;
    }
    gateCv.notify_all();
    ASSERT_TRUE(sink->WaitEnded(second));
    EXPECT_EQ(sink->Get(first).rows.size(), static_cast<size_t>(kLaws));
    EXPECT_EQ(sink->Get(second).rows.size(), static_cast<size_t>(kLaws));
    EXPECT_FALSE(IsListQueryStopSignalled());
}

TEST_F(ListQueryJobTest, DeferredCloseIsPostedByTheLastJob) {
    CCloseRecorder frame;
    SetMainWindowTarget(&frame);
    auto sink = std::make_shared<CRecordingSink>();
    std::mutex gateMutex;
    std::condition_variable gateCv;
    bool release = false;
    sink->m_gate = [&](const char* what, std::uint64_t) {
        if (std::string(what) == "rows") {
            std::unique_lock lock(gateMutex);
            gateCv.wait(lock, [&] { return release; });
        }
    };
    const auto token = StartListQuery(kAll, sink);
    ASSERT_TRUE(Eventually([&] { return GetListQueryJobCount() == 1; }));
    ASSERT_EQ(RequestClose(), 1);
    StopListQuery();
    EXPECT_TRUE(frame.Messages().empty());
    {
        std::lock_guard lock(gateMutex);
        release = true;
    }
    gateCv.notify_all();
    ASSERT_TRUE(sink->WaitEnded(token));
    ASSERT_TRUE(Eventually([&] { return !frame.Messages().empty(); }));
    EXPECT_EQ(frame.Messages(), std::vector<unsigned>{WM_CLOSE});
    EXPECT_LT(sink->Get(token).rows.size(), 100u);
    EXPECT_EQ(RequestClose(), 0);
}

TEST_F(ListQueryJobTest, StopInterruptsAStatementBeforeItsFirstRow) {
    // Minutes of work before the first (and only) row.
    const std::string slow =
        "with recursive c(x) as (select 1 union all select x+1 from c where x < 2000000000) "
        "select x as lawid, 't' as topic, '' as datum, '' as wenhao, '' as bumen from c "
        "where x = 2000000000";
    auto sink = std::make_shared<CRecordingSink>();
    const auto token = StartListQuery(slow, sink);
    ASSERT_TRUE(Eventually([&] { return sink->Get(token).begun; }));
    StopListQuery();
    ASSERT_TRUE(sink->WaitEnded(token));
    EXPECT_TRUE(sink->Get(token).rows.empty());
    // Interrupted on request, not failed.
    EXPECT_EQ(sink->Get(token).failure, "");
    // The interrupted job took the stop request with it, and a request made while it is still
    // on its way out is not stopped by the signal meant for it: the next listing is complete.
    EXPECT_FALSE(IsListQueryStopSignalled());
    const auto next = StartListQuery(kAll, sink);
    ASSERT_TRUE(sink->WaitEnded(next));
    EXPECT_EQ(sink->Get(next).rows.size(), static_cast<size_t>(kLaws));
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ListQueryJobTest, TheNewestOfRequestsStartedTogetherIsAlwaysComplete) {
    // Two requests in a row (an edition switch and then a click on a category): the newer
    // one's worker may reach the run lock before the older one's. The stop the newer request
    // makes is meant for the older job; the newer listing is never the one stopped.
    const std::string one = "select lawid, topic, datum, wenhao, bumen from dornlaws where lawid=1";
    auto sink = std::make_shared<CRecordingSink>();
    for (int round = 0; round < 300; ++round) {
        StartListQuery(kAll, sink);
        const auto newest = StartListQuery(one, sink);
        ASSERT_TRUE(sink->WaitEnded(newest)) << round;
        ASSERT_EQ(sink->Get(newest).rows.size(), 1u) << "round " << round;
    }
    EXPECT_TRUE(WaitForListQueriesIdle(30s));
    EXPECT_FALSE(IsListQueryStopSignalled());
}

TEST_F(ListQueryJobTest, ACategoryComesNewestFirstInOneSnapshotOfTheCollection) {
    // A category of a third of the laws, one of them filed twice, a law without a date and a
    // link to a law that is not there. The first rows come from the laws in date order, the
    // rest from the category's own statement; a law filed while the first rows are shown must
    // not make the rest repeat or skip a row.
    m_db.Begin();
    for (int lawid = 1; lawid <= kLaws; lawid += 3)
        m_db.Link(0, lawid, 0x2000000);
    m_db.Link(0, 4, 0x2080000);
    m_db.Link(0, 99999, 0x2000000);
    m_db.Exec("UPDATE dornlaws SET datum=NULL WHERE lawid=7");
    m_db.Commit();
    const std::string sql = CategoryStatement(CEditionConfig(), 0x2000000);
    auto sink = std::make_shared<CRecordingSink>();
    std::atomic<bool> filed{false};
    // The only listing running while the gate is set: its first batch of rows.
    sink->m_gate = [&](const char* what, std::uint64_t) {
        if (std::string(what) == "rows" && !filed.exchange(true)) {
            const int lawid = m_db.AddLaw(0, "newest", "2100-01-01 00:00:00");
            m_db.Link(0, lawid, 0x2000000);
        }
    };
    const std::uint64_t token = StartListQuery(sql, sink);
    ASSERT_TRUE(sink->WaitEnded(token));
    const auto listing = sink->Get(token);
    EXPECT_TRUE(filed);
    EXPECT_EQ(listing.failure, "");
    ASSERT_EQ(listing.rows.size(), static_cast<size_t>(kLaws / 3 + 1));
    std::set<int> seen;
    for (size_t i = 0; i < listing.rows.size(); ++i) {
        const CLawRow& row = listing.rows[i];
        EXPECT_TRUE(seen.insert(row.m_nLawId).second) << "law " << row.m_nLawId << " twice";
        EXPECT_NE(row.m_strTopic, "newest");
        if (i > 0 && !row.m_strDatum.empty()) {
            const CLawRow& above = listing.rows[i - 1];
            EXPECT_FALSE(above.m_strDatum.empty()) << "row " << i;
            EXPECT_GE(above.m_strDatum, row.m_strDatum) << "row " << i;
        }
    }
    EXPECT_TRUE(seen.count(7) && seen.count(99999) && seen.count(4));
    EXPECT_EQ(listing.batches[0], 15u);
    // The next listing sees the law filed meanwhile.
    sink->m_gate = nullptr;
    const auto next = StartListQuery(sql, sink);
    ASSERT_TRUE(sink->WaitEnded(next));
    ASSERT_FALSE(sink->Get(next).rows.empty());
    EXPECT_EQ(sink->Get(next).rows[0].m_strTopic, "newest");
}

TEST_F(ListQueryJobTest, TitleSearchesListTheSameLawsWhetherTheirWordsAreRareOrFrequent) {
    // "law 12" is in a few titles (read through the title index's candidates alone), "law" in
    // all of them (first rows newest first, then the rest), "zz" in none.
    m_db.Begin();
    for (int lawid = 1; lawid <= kLaws; ++lawid)
        m_db.Link(0, lawid, 0x2000000 + (lawid % 3) * 0x80000);
    m_db.Commit();
    auto sink = std::make_shared<CRecordingSink>();
    for (const char* words : {"law 12", "law", "zz", "aw 29"}) {
        SCOPED_TRACE(words);
        CSqlSelect builder;
        CSearchComposer("dornlawas", "dornlaws", 0).ComposeTitleSearch(builder, words, 1);
        const std::string sql = builder.Build();
        std::multiset<int> expected;
        sqlite3* plain = nullptr;
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_open_v2((m_db.Dir() + "/db1.mdb").c_str(), &plain, SQLITE_OPEN_READONLY,
                                  nullptr),
                  SQLITE_OK);
        ASSERT_EQ(sqlite3_prepare_v2(plain, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            expected.insert(sqlite3_column_int(stmt, 0));
        sqlite3_finalize(stmt);
        sqlite3_close(plain);
        const auto token = StartListQuery(sql, sink);
        ASSERT_TRUE(sink->WaitEnded(token));
        const auto listing = sink->Get(token);
        std::multiset<int> listed;
        for (size_t i = 0; i < listing.rows.size(); ++i) {
            listed.insert(listing.rows[i].m_nLawId);
            if (i > 0) {
                EXPECT_GE(listing.rows[i - 1].m_strDatum, listing.rows[i].m_strDatum);
            }
        }
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(listing.failure, "");
    }
}

// A task runs on the worker as a listing does: its rows reach the list in order, the first
// ones at once; a newer request stops it, after which it delivers nothing more; what it
// reports as a failure reaches the list.
TEST_F(ListQueryJobTest, ATaskIsDeliveredStoppedAndReportedAsAListing) {
    auto sink = std::make_shared<CRecordingSink>();
    auto rowsOf = [](int first, int count) {
        std::vector<CLawRow> rows(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            rows[static_cast<size_t>(i)].m_nLawId = first + i;
        return rows;
    };
    // Windows of 7 rows, with a failure at the end.
    const auto whole = StartListTask(
        [&](CListTaskContext& context) {
            EXPECT_TRUE(context.Connection().IsOpen());
            for (int i = 0; i < 300; ++i)
                ASSERT_TRUE(context.Deliver(rowsOf(i * 7 + 1, 7)));
            context.Fail("two windows unread", 0);
        },
        sink);
    ASSERT_TRUE(sink->WaitEnded(whole));
    const auto listing = sink->Get(whole);
    ASSERT_EQ(listing.rows.size(), 2100u);
    for (size_t i = 0; i < listing.rows.size(); ++i)
        ASSERT_EQ(listing.rows[i].m_nLawId, static_cast<int>(i) + 1);
    ASSERT_GE(listing.batches.size(), 2u);
    EXPECT_LE(listing.batches[0], 15u);
    EXPECT_TRUE(listing.repaints[0]);
    EXPECT_EQ(listing.failure, "two windows unread");

    // A task that would never end ends at the next request.
    std::atomic<bool> refused{false};
    const auto endless = StartListTask(
        [&](CListTaskContext& context) {
            for (int i = 0; !context.Stopped(); ++i)
                if (!context.Deliver(rowsOf(i, 1))) {
                    refused = true;
                    break;
                }
            // A stopped task's failure is not reported.
            context.Fail("stopped", 0);
        },
        sink);
    ASSERT_TRUE(Eventually([&] { return !sink->Get(endless).rows.empty(); }));
    const auto next = StartListQuery(kAll, sink);
    ASSERT_TRUE(sink->WaitEnded(endless));
    ASSERT_TRUE(sink->WaitEnded(next));
    EXPECT_EQ(sink->Get(endless).failure, "");
    EXPECT_EQ(sink->Get(next).rows.size(), static_cast<size_t>(kLaws));
    EXPECT_EQ(sink->Get(next).failure, "");
}
