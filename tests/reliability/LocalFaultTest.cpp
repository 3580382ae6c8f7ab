// Update runs under local faults: a database without the collection's tables, a write lock
// held by another connection, a full disk at chosen points. Each run ends either complete or
// failed with a message, the database stays sound, and one clean run afterwards gives
// exactly what an uninterrupted run gives.
#include "tests/reliability/ReliabilitySupport.h"

#include "data/Schema.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <httplib.h>
#include <set>
#include <sqlite3.h>
#include <thread>

namespace {

class LocalFaults : public ::testing::Test {
protected:
    void SetUp() override {
        CreateCollection(Pub());
        FillPublisher(Pub());
        m_pPublisher = std::make_unique<CPublisherThread>(Pub());
    }
    std::string Pub() const { return m_pub.File("publisher.db"); }
    std::string Url() const { return m_pPublisher->Url(); }

    const Rows& Reference() {
        if (m_reference.empty())
            m_reference = UninterruptedRun(Url());
        return m_reference;
    }
    // A clean run after the fault ends like an uninterrupted one.
    void ExpectRecoverable(const std::string& db) {
        EXPECT_EQ(IntegrityCheck(db), "ok");
        ExpectNothingHalfWritten(db, Pub());
        CTestHost host;
        CRunFixture run;
        run.RunTo(Url(), host);
        EXPECT_EQ(host.Finished(), 1);
        EXPECT_EQ(IntegrityCheck(db), "ok");
        ExpectSameRows(Snapshot(db), Reference());
    }

    CScratchDir m_pub;
    CMessageRecorder m_messages;
    std::unique_ptr<CPublisherThread> m_pPublisher;
    Rows m_reference;
};

} // namespace

TEST_F(LocalFaults, ADatabaseWithoutTheCollectionIsRefusedOnceBeforeAnything) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> damage;
        const char* missing;
    };
    const Case cases[] = {
        {"zero-byte file",
         [](const std::string& db) {
             std::filesystem::remove(db);
             std::ofstream(db).close();
         },
         "dorntree"},
        {"unrelated database",
         [](const std::string& db) {
             std::filesystem::remove(db);
             Exec(db, "create table notes (id integer, text text)");
         },
         "dorntree"},
        {"dropped law table", [](const std::string& db) { Exec(db, "drop table dornlaws"); },
         "dornlaws"},
    };
    Reference();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScratchDir dir;
        const std::string db = dir.File("db1.mdb");
        c.damage(db);
        CScriptedServer server;
        m_messages.Clear();
        CTestHost host;
        CRunFixture run;
        run.RunTo(server.Url(), host);
        EXPECT_EQ(host.Finished(), 0);
        EXPECT_EQ(host.Confirmations(), 0);
        EXPECT_TRUE(server.Requests().empty());
        const auto messages = m_messages.Messages();
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_NE(messages[0].text.find(c.missing), std::string::npos) << messages[0].text;
        // Once the collection is there again, a run brings it all.
        std::filesystem::remove(db);
        CreateCollection(db);
        ExpectRecoverable(db);
    }
}

namespace {

// A second connection holding the write lock, as another program writing the file would.
class CWriteLock {
public:
    explicit CWriteLock(const std::string& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_pDb), SQLITE_OK);
        sqlite3_busy_timeout(m_pDb, 30000);
        EXPECT_EQ(sqlite3_exec(m_pDb, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(m_pDb);
    }
    ~CWriteLock() { Release(); }
    CWriteLock(const CWriteLock&) = delete;
    CWriteLock& operator=(const CWriteLock&) = delete;
    void Release() {
        if (!m_pDb)
            return;
        sqlite3_exec(m_pDb, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(m_pDb);
        m_pDb = nullptr;
    }

private:
    sqlite3* m_pDb = nullptr;
};

// Records the status texts beside the progress.
class CStatusHost : public CTestHost {
public:
    void PostStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        m_texts.push_back(text);
    }
    std::vector<std::string> Texts() const {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

std::string PublisherReply(CPublisher& source, const httplib::Request& request) {
    const bool law = request.path.find("law.asp") != std::string::npos;
    return source.Reply(request.path, request.get_param_value("updatetime"),
                        request.get_param_value(law ? "lawid" : "id"));
}

constexpr const char* kAllPages[] = {kTreePage,  kEnTreePage, kLawPage,
                                     kEnLawPage, kLinkPage,   kEnLinkPage};

} // namespace

TEST_F(LocalFaults, AWriteLockHeldByAnotherProgramIsWaitedForThenFailsTheStage) {
    CPublisherOptions options;
    options.m_strDatabase = Pub();
    CPublisher source(options);
    Reference();
    // The lock is taken while the client waits for the reply of the page, so that the first
    // record of that reply finds it held.
    for (const char* page : {kTreePage, kEnLawPage, kLinkPage, kEnLinkPage}) {
        SCOPED_TRACE(page);
        CScratchDir dir;
        const std::string db = dir.File("db1.mdb");
        std::unique_ptr<CWriteLock> lock;
        CScriptedServer server;
        for (const char* relayed : kAllPages)
            server.SetHandler(relayed, [&, relayed](const httplib::Request& request,
                                                    httplib::Response& response) {
                if (std::string(relayed) == page && !lock)
                    lock = std::make_unique<CWriteLock>(db);
                response.set_content(PublisherReply(source, request), "text/plain; charset=GBK");
            });
        m_messages.Clear();
        CStatusHost host;
        CRunFixture run;
        CUpdateSettings settings;
        settings.m_strServer = server.Url();
        settings.m_nLockWaitSeconds = 1;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(run.m_run.Start(host, settings));
        run.m_run.Wait();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        lock.reset();
        EXPECT_EQ(host.Finished(), 0);
        // The user saw the wait, then one message about the lock.
        const auto texts = host.Texts();
        ASSERT_FALSE(texts.empty());
        EXPECT_NE(texts[0].find("正在等待"), std::string::npos) << texts[0];
        const auto messages = m_messages.Messages();
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_NE(messages[0].text.find("占用"), std::string::npos) << messages[0].text;
        // The stage after the failed one has not run.
        if (std::string(page) == kTreePage) {
            EXPECT_EQ(server.RequestCount(kLawPage), 0);
        }
        if (std::string(page) == kEnLawPage) {
            EXPECT_EQ(server.RequestCount(kLinkPage), 0);
        }
        ExpectRecoverable(db);
    }
}

TEST_F(LocalFaults, AWriteLockReleasedWhileTheRunWaitsLetsItFinish) {
    CPublisherOptions options;
    options.m_strDatabase = Pub();
    CPublisher source(options);
    CScratchDir dir;
    const std::string db = dir.File("db1.mdb");
    std::unique_ptr<CWriteLock> lock;
    std::thread releaser;
    CScriptedServer server;
    for (const char* relayed : kAllPages)
        server.SetHandler(
            relayed, [&, relayed](const httplib::Request& request, httplib::Response& response) {
                if (std::string(relayed) == kLawPage && !lock) {
                    lock = std::make_unique<CWriteLock>(db);
                    releaser = std::thread([&] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                        lock->Release();
                    });
                }
                response.set_content(PublisherReply(source, request), "text/plain; charset=GBK");
            });
    CStatusHost host;
    CRunFixture run;
    CUpdateSettings settings;
    settings.m_strServer = server.Url();
    settings.m_nLockWaitSeconds = 20;
    ASSERT_TRUE(run.m_run.Start(host, settings));
    run.m_run.Wait();
    releaser.join();
    EXPECT_EQ(host.Finished(), 1);
    EXPECT_TRUE(m_messages.Messages().empty());
    ASSERT_FALSE(host.Texts().empty());
    EXPECT_NE(host.Texts()[0].find("正在等待"), std::string::npos);
    EXPECT_EQ(IntegrityCheck(db), "ok");
    ExpectSameRows(Snapshot(db), Reference());
}

namespace {

// Every connection opened from now on may grow its file to `pages` pages at most: beyond
// that SQLite answers "database or disk is full", as a full disk would.
int g_nMaxPages = 0;
int LimitPages(sqlite3* db, char**, const sqlite3_api_routines*) {
    const std::string pragma = "PRAGMA max_page_count=" + std::to_string(g_nMaxPages);
    sqlite3_exec(db, pragma.c_str(), nullptr, nullptr, nullptr);
    return SQLITE_OK;
}

class CDiskLimit {
public:
    explicit CDiskLimit(int pages) {
        g_nMaxPages = pages;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&LimitPages));
    }
    ~CDiskLimit() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&LimitPages)); }
    CDiskLimit(const CDiskLimit&) = delete;
    CDiskLimit& operator=(const CDiskLimit&) = delete;
};

int PageCount(const std::string& db) {
    return std::stoi(Query(db, "PRAGMA page_count")[0][0]);
}

// The collection's tables in pages of 1 KB, so that every stage needs new pages.
void CreateSmallPageCollection(const std::string& db) {
    std::filesystem::remove(db);
    Exec(db, "PRAGMA page_size=1024; PRAGMA journal_mode=WAL; BEGIN;" + CSchema::EditionDdl("") +
                 CSchema::EditionDdl("en_") + "COMMIT;");
}

} // namespace

TEST_F(LocalFaults, AFullDiskAnywhereFailsTheRunAndLosesNothing) {
    // A collection large enough to fill pages in every stage.
    m_pPublisher.reset();
    std::filesystem::remove(Pub());
    CreateCollection(Pub());
    FillLargePublisher(Pub());
    m_pPublisher = std::make_unique<CPublisherThread>(Pub());
    int emptyPages = 0, fullPages = 0;
    {
        CScratchDir dir;
        CreateSmallPageCollection(dir.File("db1.mdb"));
        emptyPages = PageCount(dir.File("db1.mdb"));
        CTestHost host;
        CRunFixture run;
        run.RunTo(Url(), host);
        ASSERT_EQ(host.Finished(), 1);
        fullPages = PageCount(dir.File("db1.mdb"));
    }
    ASSERT_GT(fullPages, emptyPages);
    std::set<int> stagesFailed;
    for (int pages = emptyPages; pages < fullPages;
         pages += std::max(1, (fullPages - emptyPages) / 12)) {
        SCOPED_TRACE("room for " + std::to_string(pages) + " of " + std::to_string(fullPages) +
                     " pages");
        CScratchDir dir;
        const std::string db = dir.File("db1.mdb");
        CreateSmallPageCollection(db);
        m_messages.Clear();
        CTestHost host;
        {
            CDiskLimit limit(pages);
            CRunFixture run;
            run.RunTo(Url(), host);
        }
        EXPECT_EQ(host.Finished(), 0) << "the disk was full, yet the run reported success";
        EXPECT_FALSE(m_messages.Messages().empty());
        if (!host.ProgressLog().empty())
            stagesFailed.insert(host.ProgressLog().back().message);
        ExpectRecoverable(db);
    }
    // The fault has struck the law and the link stage, not only the first.
    EXPECT_TRUE(stagesFailed.count(UpdateMsg::kLawProgress));
    EXPECT_TRUE(stagesFailed.count(UpdateMsg::kLinkProgress));
}
