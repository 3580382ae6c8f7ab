// The publisher on PostgreSQL: the same replies as on SQLite, clients updated through nginx
// from two publishers, edits made by plain SQL, and stamps that no concurrent editing can
// make a client skip. Each test starts its own PostgreSQL, publishers and nginx
// (deploy/local-cluster) in a scratch folder.
#include "ground/GbkCodec.h"
#include "tests/publish/LocalCluster.h"
#include "tests/update/UpdateTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <thread>

namespace {

// A libpq connection that fails the test on every statement error.
class CPg {
public:
    explicit CPg(const std::string& uri) : m_pConn(PQconnectdb(uri.c_str())) {
        EXPECT_EQ(PQstatus(m_pConn), CONNECTION_OK) << PQerrorMessage(m_pConn);
        PQsetClientEncoding(m_pConn, "UTF8");
    }
    ~CPg() { PQfinish(m_pConn); }
    CPg(const CPg&) = delete;
    CPg& operator=(const CPg&) = delete;
    // The first column of every row; "<error>" and the message on a failure.
    std::vector<std::string> Exec(const std::string& sql) {
        PGresult* result = PQexec(m_pConn, sql.c_str());
        std::vector<std::string> rows;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK) {
            for (int i = 0; i < PQntuples(result); ++i)
                rows.push_back(PQgetvalue(result, i, 0));
        } else if (status != PGRES_COMMAND_OK) {
            rows = {"<error>", PQresultErrorMessage(result)};
        }
        PQclear(result);
        return rows;
    }
    // Sends a statement without waiting for it.
    bool Send(const std::string& sql) { return PQsendQuery(m_pConn, sql.c_str()) == 1; }
    bool Busy() {
        PQconsumeInput(m_pConn);
        return PQisBusy(m_pConn) == 1;
    }
    void Drain() {
        while (PGresult* result = PQgetResult(m_pConn)) {
            EXPECT_NE(PQresultStatus(result), PGRES_FATAL_ERROR) << PQresultErrorMessage(result);
            PQclear(result);
        }
    }

private:
    PGconn* m_pConn;
};

std::string Copy(const std::string& source, const std::string& target) {
    const std::string command =
        std::string(TOLVARIN_ADMIN_BINARY) + " copy --force '" + source + "' '" + target + "' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return status == 0 ? std::string() : "copy failed: " + output;
}

// The corpus imported into an SQLite collection, or "" without the corpus.
std::string CorpusCollection(const CScratchDir& dir) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    if (!corpus || !std::filesystem::exists(corpus))
        return {};
    const std::string file = dir.File("corpus.db");
    const std::string command = std::string(TOLVARIN_ADMIN_BINARY) + " import '" + corpus + "' '" +
                                file + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? file : std::string();
}

std::string Reply(const std::string& database, const char* page, const std::string& updatetime,
                  const std::string& id, int maxRecords) {
    CPublisherOptions options;
    options.m_strDatabase = database;
    options.m_nMaxRecords = maxRecords;
    CPublisher publisher(options);
    return publisher.Reply(page, updatetime, id);
}

// Empty when equal, else where two replies part, with a little of each.
std::string Difference(const std::string& expected, const std::string& actual) {
    if (expected == actual)
        return {};
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t from = at > 120 ? at - 120 : 0;
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at " + std::to_string(at) +
           "\nexpected: " + expected.substr(from, 240) + "\nactual:   " + actual.substr(from, 240);
}

const char* const kPages[] = {kTreePage, kEnTreePage, kLawPage, kEnLawPage, kLinkPage, kEnLinkPage};

// Every page for requests from nothing, from stamps and ids inside and after the
// collection, with and without a limit, and with bad parameters: byte for byte the same.
void ExpectSameReplies(const std::string& sqlite, const std::string& postgres, bool few) {
    for (const char* prefix : {"", "en_"}) {
        const Rows laws =
            Query(sqlite, std::string("select ifnull(updatetime,'") + CPublisher::kBaseStamp +
                              "'),lawid from " + prefix + "dornlaws order by 1,2");
        std::vector<std::pair<std::string, std::string>> requests = {{"", ""}};
        if (!few)
            requests.insert(requests.end(), {{"2000-01-01 00:00:00", ""},
                                             {"2099-01-01 00:00:00", "5"},
                                             {"bad", ""},
                                             {"", "1x"}});
        if (!laws.empty()) {
            for (const size_t at : {size_t{0}, laws.size() / 2, laws.size() - 1})
                requests.emplace_back(laws[at][0], laws[at][1]);
            requests.emplace_back(laws[laws.size() / 3][0], "");
        }
        for (const char* page : kPages) {
            if (std::string(page).find(prefix) == std::string::npos)
                continue;
            for (const auto& [stamp, id] : requests)
                for (const int limit : {0, 7}) {
                    SCOPED_TRACE(std::string(page) + "?updatetime=" + stamp + "&id=" + id +
                                 " limit " + std::to_string(limit));
                    const std::string expected = Reply(sqlite, page, stamp, id, limit);
                    const std::string difference =
                        Difference(expected, Reply(postgres, page, stamp, id, limit));
                    ASSERT_EQ(difference, "");
                }
        }
    }
}

// Every law, category and link a client holds, without the stamps it stored for its
// categories (a client stores a reply's newest stamp for all the categories of the reply).
Rows Content(const std::string& db) {
    Rows all;
    for (const std::string p : {"", "en_"})
        for (const std::string& sql :
             {"select parid,name,xh,childs,oldid from " + p + "dorntree order by oldid",
              "select topic,bumen,wenhao,datum,body,oldid,updatetime from " + p +
                  "dornlaws order by oldid",
              "select l.oldid,t.oldid,a.updatetime from " + p + "dornlawas a join " + p +
                  "dornlaws l on l.lawid=a.lawid join " + p +
                  "dorntree t on t.id=a.treeid order by 1,2"}) {
            const Rows rows = Query(db, sql);
            all.insert(all.end(), rows.begin(), rows.end());
            all.push_back({"--"});
        }
    return all;
}

class PgPublisherTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strPub = m_dir.File("publisher.db");
        CreateCollection(m_strPub);
        FillPublisher(m_strPub);
    }
    CScratchDir m_dir;
    std::string m_strPub;
};

} // namespace

TEST_F(PgPublisherTest, EveryPageIsByteIdenticalToTheSqlitePublisher) {
    const std::string corpus = CorpusCollection(m_dir);
    CLocalCluster cluster(m_dir.Path(), corpus.empty() ? m_strPub : corpus);
    ASSERT_TRUE(cluster.Started()) << cluster.Log();
    if (!corpus.empty()) {
        SCOPED_TRACE("corpus");
        ExpectSameReplies(corpus, cluster.DatabaseUri(), true);
    }
    // The crafted collection: texts that need the entities, line breaks in names, a quote.
    Exec(m_strPub, "insert into dornlaws(lawid,topic,body,oldid,updatetime) values"
                   "(5,'第一行\n第二行','a\r\nb>\n&amp;\n','5','2004-05-01 10:20:30'),"
                   "(6,NULL,NULL,'6',NULL)");
    ASSERT_EQ(Copy(m_strPub, cluster.DatabaseUri()), "");
    ExpectSameReplies(m_strPub, cluster.DatabaseUri(), false);
    // And back: the copy from PostgreSQL serves the same again.
    const std::string back = m_dir.File("back.db");
    ASSERT_EQ(Copy(cluster.DatabaseUri(), back), "");
    EXPECT_EQ(Difference(Reply(m_strPub, kLawPage, "", "", 0), Reply(back, kLawPage, "", "", 0)),
              "");
}

TEST_F(PgPublisherTest, AClientUpdatedThroughNginxEndsAsOneUpdatedFromSqlite) {
    CLocalCluster cluster(m_dir.Path(), m_strPub);
    ASSERT_TRUE(cluster.Started()) << cluster.Log();
    Rows fromSqlite;
    {
        CScratchDir client;
        CPublisherThread publisher(m_strPub);
        CRunFixture fixture;
        CTestHost host;
        fixture.RunTo(publisher.Url(), host);
        ASSERT_EQ(host.Finished(), 1);
        fromSqlite = Snapshot(client.File("db1.mdb"));
    }
    CScratchDir client;
    CRunFixture fixture;
    CTestHost host;
    fixture.RunTo(cluster.ProxyUrl(), host);
    ASSERT_EQ(host.Finished(), 1) << cluster.Diagnostics();
    EXPECT_EQ(Snapshot(client.File("db1.mdb")), fromSqlite);

    // An edit by plain SQL reaches the client at its next run, and a further run brings nothing.
    CPg pg(cluster.DatabaseUri());
    EXPECT_EQ(pg.Exec("update dornlaws set body='修订后的正文' where lawid=2"),
              std::vector<std::string>{});
    EXPECT_EQ(pg.Exec("insert into dornlaws(topic,body,oldid) values('新法','新的正文','n')"),
              std::vector<std::string>{});
    EXPECT_EQ(pg.Exec("insert into dornlawas(lawid,treeid) select lawid,67108864 from dornlaws "
                      "where oldid='n'"),
              std::vector<std::string>{});
    EXPECT_EQ(pg.Exec("update en_dorntree set name='Law' where id=33554432"),
              std::vector<std::string>{});
    CTestHost second;
    fixture.RunTo(cluster.ProxyUrl(), second);
    ASSERT_EQ(second.Finished(), 1) << cluster.Diagnostics();
    const std::string db = client.File("db1.mdb");
    EXPECT_EQ(Query(db, "select body from dornlaws where oldid='2'"), (Rows{{"修订后的正文"}}));
    EXPECT_EQ(Query(db, "select count(*) from dornlaws l join dornlawas a on a.lawid=l.lawid "
                        "where l.topic='新法'"),
              (Rows{{"1"}}));
    EXPECT_EQ(Query(db, "select name from en_dorntree where oldid='33554432'"), (Rows{{"Law"}}));
    const Rows after = Snapshot(db);
    CTestHost third;
    fixture.RunTo(cluster.ProxyUrl(), third);
    ASSERT_EQ(third.Finished(), 1) << cluster.Diagnostics();
    EXPECT_TRUE(third.ProgressLog().empty());
    EXPECT_EQ(Snapshot(db), after);
}

// nginx keeps replies for a few seconds (deploy/README.md): a client that updates right after
// an edit may get a reply made before it, but it goes on from what that reply held, so the
// edit comes with a later update and nothing is lost. Past the bound the edit is there, and
// the client ends as one updated afresh from the edited collection.
TEST_F(PgPublisherTest, AReplyKeptByTheProxyDelaysAnEditButNeverLosesIt) {
    CLocalCluster cluster(m_dir.Path(), m_strPub);
    ASSERT_TRUE(cluster.Started()) << cluster.Log();
    CPg pg(cluster.DatabaseUri());
    Rows updated;
    {
        CScratchDir client;
        CRunFixture fixture;
        // Up to date, then once more: the replies of its next requests are now kept.
        for (int run = 0; run < 2; ++run) {
            CTestHost host;
            fixture.RunTo(cluster.ProxyUrl(), host);
            ASSERT_EQ(host.Finished(), 1) << cluster.Diagnostics();
        }
        EXPECT_EQ(pg.Exec("update dornlaws set body='刚改过的正文' where lawid=2"),
                  std::vector<std::string>{});
        EXPECT_EQ(pg.Exec("update dorntree set name='新名称' where id=67108864"),
                  std::vector<std::string>{});
        const auto edited = std::chrono::steady_clock::now();
        CTestHost soon;
        fixture.RunTo(cluster.ProxyUrl(), soon);
        ASSERT_EQ(soon.Finished(), 1) << cluster.Diagnostics();
        // A kept reply is at most 6 seconds plus the time making it took old.
        std::this_thread::sleep_until(edited + std::chrono::seconds(8));
        CTestHost later;
        fixture.RunTo(cluster.ProxyUrl(), later);
        ASSERT_EQ(later.Finished(), 1) << cluster.Diagnostics();
        const std::string db = client.File("db1.mdb");
        EXPECT_EQ(Query(db, "select body from dornlaws where oldid='2'"), (Rows{{"刚改过的正文"}}));
        EXPECT_EQ(Query(db, "select name from dorntree where oldid='67108864'"),
                  (Rows{{"新名称"}}));
        updated = Content(db);
    }
    const std::string back = m_dir.File("edited.db");
    ASSERT_EQ(Copy(cluster.DatabaseUri(), back), "");
    CScratchDir fresh;
    CPublisherThread publisher(back);
    CRunFixture fixture;
    CTestHost host;
    fixture.RunTo(publisher.Url(), host);
    ASSERT_EQ(host.Finished(), 1);
    EXPECT_EQ(Content(fresh.File("db1.mdb")), updated);
}

// Two editors in the same second: the one that commits later gets the later stamp, even
// with the smaller id, so a client that went on from the first one's (stamp, id) gets the
// second's row. Rows of one transaction share its stamp; deleting is refused.
TEST_F(PgPublisherTest, StampsFollowTheCommitOrderSoNoClientSkipsARow) {
    CLocalCluster cluster(m_dir.Path(), m_strPub, 1);
    ASSERT_TRUE(cluster.Started()) << cluster.Log();
    const std::string uri = cluster.DatabaseUri();
    CPg first(uri), second(uri);
    first.Exec("begin");
    first.Exec("insert into dornlaws(lawid,topic,oldid) values(900,'first','900')");
    first.Exec("insert into dornlaws(lawid,topic,oldid) values(901,'first too','901')");
    second.Exec("begin");
    ASSERT_TRUE(second.Send("insert into dornlaws(lawid,topic,oldid) values(800,'second','800')"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(second.Busy()) << "the second editor waits for the first one's commit";
    first.Exec("commit");
    second.Drain();

    // A client reads now: it sees the first editor's rows and goes on from the last of them.
    CGbkCodec codec("GBK");
    const std::string seen = codec.ToUtf8(Reply(uri, kLawPage, "2004-05-01 10:20:30", "3", 0));
    EXPECT_NE(seen.find("first too"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("second"), std::string::npos) << seen;
    CPg reader(uri);
    const auto stamps = reader.Exec("select updatetime from dornlaws where lawid in (900,901)");
    ASSERT_EQ(stamps.size(), 2u);
    EXPECT_EQ(stamps[0], stamps[1]) << "one transaction, one stamp";
    second.Exec("commit");
    const std::string next = codec.ToUtf8(Reply(uri, kLawPage, stamps[0], "901", 0));
    EXPECT_NE(next.find("<topic>\nsecond\n"), std::string::npos) << next;
    EXPECT_GT(reader.Exec("select updatetime from dornlaws where lawid=800").at(0), stamps[0]);

    // Categories and links go on from the stamp alone: a later transaction is always later.
    const std::string before = reader.Exec("select max(updatetime) from dornlawas").at(0);
    reader.Exec("insert into dornlawas(lawid,treeid) values(800,67108864)");
    EXPECT_GT(reader.Exec("select updatetime from dornlawas where lawid=800").at(0), before);
    EXPECT_EQ(reader.Exec("delete from dornlaws where lawid=800").at(0), "<error>");
    EXPECT_EQ(reader.Exec("select count(*) from dornlaws where lawid=800").at(0), "1");
}

// A copy into PostgreSQL that the server breaks off (here its backend is ended mid-COPY)
// fails with the server's reason after "tolvarin-admin: ", never with an empty one.
TEST_F(PgPublisherTest, ACopyTheServerBreaksOffSaysWhy) {
    CLocalCluster cluster(m_dir.Path(), m_strPub, 1);
    ASSERT_TRUE(cluster.Started()) << cluster.Log();
    // Laws enough for the copy to take a while; the index triggers are dropped, since only
    // the law table is read.
    for (const std::vector<std::string>& trigger :
         Query(m_strPub, "select name from sqlite_master where type='trigger'"))
        Exec(m_strPub, "drop trigger \"" + trigger[0] + "\"");
    Exec(m_strPub, "with recursive n(i) as (select 100 union all select i+1 from n where i<40000) "
                   "insert into dornlaws(lawid,topic,body,oldid,updatetime) select i,'法'||i,"
                   "hex(zeroblob(1500)),i,'2009-01-01 00:00:00' from n");

    std::string output;
    std::thread copy([&] { output = Copy(m_strPub, cluster.DatabaseUri()); });
    CPg pg(cluster.DatabaseUri());
    bool ended = false;
    for (int i = 0; i < 3000 && !ended; ++i) {
        const std::vector<std::string> rows =
            pg.Exec("select pg_terminate_backend(pid) from pg_stat_activity where query like "
                    "'COPY dornlaws%' and pid <> pg_backend_pid()");
        ended = !rows.empty() && rows[0] == "t";
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    copy.join();
    ASSERT_TRUE(ended) << "the copy was never caught in its COPY: " << output;
    const std::string prefix = "copy failed: tolvarin-admin: ";
    ASSERT_EQ(output.rfind(prefix, 0), 0u) << output;
    const std::string reason = output.substr(prefix.size());
    EXPECT_NE(reason.find_first_not_of(" \n"), std::string::npos) << output;
    EXPECT_NE(reason.find("dornlaws"), std::string::npos) << output;
}
