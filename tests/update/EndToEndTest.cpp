// Whole update runs over loopback: against the publisher, and against a scripted server
// for the replies a publisher never sends.
#include "data/SearchIndex.h"
#include "ground/EditionConfig.h"
#include "tests/update/UpdateTestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <httplib.h>
#include <map>
#include <set>
#include <sqlite3.h>
#include <thread>

namespace {

// Every law of an edition with the category paths it is filed under, plus its texts.
std::set<std::string> Listing(const std::string& db, const std::string& prefix) {
    std::map<std::string, std::pair<std::string, std::string>> categories; // id -> parid, name
    for (const auto& row : Query(db, "select id,parid,name from " + prefix + "dorntree"))
        categories[row[0]] = {row[1], row[2]};
    auto path = [&](std::string id) {
        std::string result;
        for (int guard = 0; guard < 8 && categories.count(id); ++guard) {
            result = "/" + categories[id].second + result;
            id = categories[id].first;
        }
        return result;
    };
    std::set<std::string> listing;
    for (const auto& row :
         Query(db, "select l.topic,l.bumen,l.wenhao,l.datum,l.body,v.treeid from " + prefix +
                       "dornlaws l left join " + prefix + "dornlawas v on v.lawid=l.lawid")) {
        listing.insert(row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3] + "|" + row[4] + "|" +
                       (row[5] == "<null>" ? "-" : path(row[5])));
    }
    return listing;
}

class EndToEnd : public ::testing::Test {
protected:
    std::string Client() const { return m_dir.File("db1.mdb"); }
    std::string Pub() const { return m_dir.File("publisher.db"); }
    void SetUp() override {
        CreateCollection(Pub());
        FillPublisher(Pub());
    }
    void ExpectMirror() {
        for (const char* prefix : {"", "en_"}) {
            SCOPED_TRACE(prefix);
            EXPECT_EQ(Listing(Client(), prefix), Listing(Pub(), prefix));
        }
        // The search index followed every merge.
        EXPECT_EQ(IndexDifference(Client()), "");
    }

    CScratchDir m_dir;
    CMessageRecorder m_messages;
    CRunFixture m_fixture;
};

} // namespace

TEST_F(EndToEnd, AnEmptyDatabaseReceivesTheCollectionAndASecondRunBringsNothing) {
    CPublisherThread publisher(Pub());
    CTestHost host;
    m_fixture.RunTo(publisher.Url(), host);
    EXPECT_EQ(host.Finished(), 1);
    EXPECT_EQ(host.Confirmations(), 1);
    EXPECT_TRUE(m_messages.Messages().empty());
    ExpectMirror();
    // The client's own id coding, with its parents' child counts.
    EXPECT_EQ(Query(Client(), "select id,parid,childs from dorntree where name='刑法修正案'"),
              (Rows{{"34086912", "34078720", "0"}}));
    EXPECT_EQ(Query(Client(), "select childs from dorntree where name='刑法'"), (Rows{{"1"}}));
    EXPECT_EQ(Query(Client(), "select count(*) from dorntree where updatetime is null"),
              (Rows{{"0"}}));
    // Progress: every stage and edition reports with the header count.
    const auto log = host.ProgressLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().message, 104);
    EXPECT_EQ(log.front().total, 5);
    EXPECT_EQ(log.back().message, 106);

    const Rows before = Snapshot(Client());
    CTestHost second;
    m_fixture.RunTo(publisher.Url(), second);
    EXPECT_EQ(second.Finished(), 1);
    EXPECT_TRUE(second.ProgressLog().empty());
    EXPECT_EQ(Snapshot(Client()), before);
}

TEST_F(EndToEnd, AChangedLawIsUpdatedInPlaceAndNewOnesArrive) {
    CPublisherThread publisher(Pub());
    CTestHost host;
    m_fixture.RunTo(publisher.Url(), host);
    const Rows ids = Query(Client(), "select lawid from dornlaws where oldid='2'");
    Exec(Pub(), "update dornlaws set topic='修订后的条例',updatetime='2005-01-01 00:00:00' "
                "where lawid=2;"
                "insert into dornlaws(lawid,topic,body,oldid,updatetime) values"
                "(4,'新法','x','4','2005-01-01 00:00:00');"
                "insert into dornlawas values (4,34086912,'2005-01-01 00:00:00');"
                "insert into dorntree(id,parid,name,xh,oldid,updatetime) values"
                "(34095104,34078720,'新分类',0,'34095104','2005-01-01 00:00:00');"
                "update dorntree set childs=2 where id=34078720;");
    CTestHost second;
    m_fixture.RunTo(publisher.Url(), second);
    EXPECT_EQ(second.Finished(), 1);
    EXPECT_EQ(Query(Client(), "select lawid,topic from dornlaws where oldid='2'"),
              (Rows{{ids[0][0], "修订后的条例"}}));
    EXPECT_EQ(Query(Client(), "select count(*) from dornlaws"), (Rows{{"4"}}));
    ExpectMirror();
}

TEST_F(EndToEnd, APublisherLimitSpreadsCategoriesAndLawsOverRuns) {
    // Two more categories under a parent stamped later than its children, and more laws.
    Exec(Pub(), "insert into dorntree(id,parid,name,xh,oldid,updatetime) values"
                "(134217728,0,'后来的父分类',0,'134217728','2006-01-01 00:00:00'),"
                "(134742016,134217728,'早的子分类',0,'134742016','2003-01-01 00:00:00');"
                "update dorntree set childs=1 where id=134217728;"
                "insert into dornlaws(lawid,topic,oldid,updatetime) values"
                "(5,'五','5','2003-01-01 00:00:00'),(6,'六','6','2007-01-01 00:00:00');");
    CPublisherThread publisher(Pub(), 1);
    int runs = 0;
    for (; runs < 12; ++runs) {
        CTestHost host;
        m_fixture.RunTo(publisher.Url(), host);
        ASSERT_EQ(host.Finished(), 1);
        if (host.ProgressLog().empty())
            break;
    }
    EXPECT_GT(runs, 3);
    for (const char* prefix : {"", "en_"}) {
        const std::string p = prefix;
        EXPECT_EQ(Query(Client(),
                        "select oldid,topic,body,updatetime from " + p + "dornlaws order by oldid"),
                  Query(Pub(), "select oldid,topic,body,updatetime from " + p +
                                   "dornlaws order by oldid"));
        EXPECT_EQ(Query(Client(), "select oldid,name from " + p + "dorntree order by oldid"),
                  Query(Pub(), "select oldid,name from " + p + "dorntree order by oldid"));
    }
    // The child came with its newer parent, never without it.
    EXPECT_EQ(Query(Client(), "select p.name from dorntree c join dorntree p on c.parid=p.id "
                              "where c.name='早的子分类'"),
              (Rows{{"后来的父分类"}}));
}

TEST_F(EndToEnd, TheWireCharsetIsConfigurable) {
    CPublisherOptions options;
    CPublisherThread publisher(Pub());
    CScriptedServer server;
    // A UTF-8 publisher, reached through a relay that keeps its bytes.
    CPublisherOptions utf8;
    utf8.m_strDatabase = Pub();
    utf8.m_strCharset = "UTF-8";
    CPublisher relay(utf8);
    for (const char* page : {kTreePage, kEnTreePage, kLawPage, kEnLawPage, kLinkPage, kEnLinkPage})
        server.SetHandler(
            page, [&relay](const httplib::Request& request, httplib::Response& response) {
                response.set_content(
                    relay.Reply(
                        request.path, request.get_param_value("updatetime"),
                        request.get_param_value(
                            request.path.find("law.asp") != std::string::npos ? "lawid" : "id")),
                    "text/plain; charset=UTF-8");
            });
    CTestHost host;
    m_fixture.RunTo(server.Url(), host, "UTF-8");
    EXPECT_EQ(host.Finished(), 1);
    ExpectMirror();
}

TEST_F(EndToEnd, RequestsCarryTheNewestLocalValuesEscaped) {
    CScriptedServer server;
    for (const char* page : {kTreePage, kEnTreePage})
        server.SetReply(page, "<header>\n0\n\n</header>\n");
    for (const char* page : {kLawPage, kEnLawPage, kLinkPage, kEnLinkPage})
        server.SetReply(page, "<header>\n0\n</header>\n");
    CTestHost host;
    m_fixture.RunTo(server.Url(), host);
    EXPECT_EQ(
        server.Requests(),
        (std::vector<std::string>{
            "/demolaws/lawtrees.asp?updatetime=&id=", "/demolaws/en_lawtrees.asp?updatetime=&id=",
            "/demolaws/law.asp?updatetime=&lawid=", "/demolaws/en_law.asp?updatetime=&lawid=",
            "/demolaws/lawas.asp?updatetime=", "/demolaws/en_lawas.asp?updatetime="}));

    Exec(Client(), "insert into dorntree(id,parid,name,oldid,updatetime) values"
                   "(33554432,0,'a','c 1','2004-05-01 10:20:30');"
                   "insert into dornlaws(topic,oldid,updatetime) values"
                   "('t','法%1','2004-05-01 10:20:30');"
                   "insert into dornlawas values (1,33554432,'2004-05-02 00:00:00');");
    CScriptedServer again;
    for (const char* page : {kTreePage, kEnTreePage})
        again.SetReply(page, "<header>\n0\n\n</header>\n");
    for (const char* page : {kLawPage, kEnLawPage, kLinkPage, kEnLinkPage})
        again.SetReply(page, "<header>\n0\n</header>\n");
    CTestHost second;
    m_fixture.RunTo(again.Url(), second);
    const auto requests = again.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[0], "/demolaws/lawtrees.asp?updatetime=2004-05-01%2010:20:30&id=c%201");
    EXPECT_EQ(requests[2], "/demolaws/law.asp?updatetime=2004-05-01%2010:20:30&lawid=%B7%A8%251");
    EXPECT_EQ(requests[4], "/demolaws/lawas.asp?updatetime=2004-05-02%2000:00:00");
}

namespace {

// Replies of the scripted server, one record each.
const char* const kOneCategory = "<header>\n1\n2004-05-01 10:20:30\n</header>\n<tree>\n<id>\n7\n"
                                 "</id>\n<name>\nA\n</name>\n<parid>\n0\n</parid>\n</tree>\n";
const char* const kOneLaw = "<header>\n1\n</header>\n<tree>\n<lawid>\n8\n</lawid>\n<topic>\nT\n"
                            "</topic>\n<updatetime>\n2004-05-01 10:20:30\n</updatetime>\n</tree>\n";
const char* const kOneLink = "<header>\n1\n</header>\n<tree>\n<lawid>\n8\n</lawid>\n<treeid>\n7\n"
                             "</treeid>\n<updatetime>\n2004-05-01 10:20:30\n</updatetime>\n"
                             "</tree>\n";

std::string Crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

void ServeOneOfEach(CScriptedServer& server, bool crlf) {
    auto f = [crlf](const char* text) { return crlf ? Crlf(text) : std::string(text); };
    server.SetReply(kTreePage, f(kOneCategory));
    server.SetReply(kEnTreePage, f(kOneCategory));
    server.SetReply(kLawPage, f(kOneLaw));
    server.SetReply(kEnLawPage, f(kOneLaw));
    server.SetReply(kLinkPage, f(kOneLink));
    server.SetReply(kEnLinkPage, f(kOneLink));
}

} // namespace

TEST_F(EndToEnd, CrLfRepliesAreReadLikeLfReplies) {
    CScriptedServer server;
    ServeOneOfEach(server, true);
    CTestHost host;
    m_fixture.RunTo(server.Url(), host);
    EXPECT_EQ(host.Finished(), 1);
    for (const char* prefix : {"", "en_"})
        EXPECT_EQ(Query(Client(), std::string("select t.name,l.topic from ") + prefix +
                                      "dornlawas v join " + prefix +
                                      "dorntree t on t.id=v.treeid "
                                      "join " +
                                      prefix + "dornlaws l on l.lawid=v.lawid"),
                  (Rows{{"A", "T"}}));
}

TEST_F(EndToEnd, FailedRepliesEndTheRunWithTheirMessage) {
    struct Case {
        const char* name;
        const char* page;
        std::string reply;
        std::vector<std::string> boxes;
        std::vector<const char*> notRequested;
        int categoriesKept;
    } const cases[] = {
        {"server error on the categories",
         kTreePage,
         Gbk("<error>\n服务器维护中\n"),
         {"服务器维护中"},
         {kEnTreePage, kLawPage, kLinkPage},
         0},
        {"error element without text", kTreePage, "<error>\n", {}, {kEnTreePage, kLawPage}, 0},
        {"bad header of the laws",
         kLawPage,
         "<header>\n1\n<tree>\n",
         {"格式错误!"},
         {kEnLawPage, kLinkPage, kEnLinkPage},
         2},
        {"an html page for the English laws",
         kEnLawPage,
         "<html>\n</html>\n",
         {"下载失败！"},
         {kLinkPage, kEnLinkPage},
         2},
        {"an empty link reply", kLinkPage, "", {"下载失败！"}, {kEnLinkPage}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScratchDir dir;
        CMessageRecorder messages;
        CScriptedServer server;
        ServeOneOfEach(server, false);
        server.SetReply(c.page, c.reply);
        CTestHost host;
        CRunFixture fixture;
        fixture.RunTo(server.Url(), host);
        EXPECT_EQ(host.Finished(), 0);
        EXPECT_EQ(fixture.m_bDownloading.load(), 0);
        std::vector<std::string> boxes;
        for (const auto& message : messages.Messages())
            boxes.push_back(message.text);
        EXPECT_EQ(boxes, c.boxes);
        for (const char* page : c.notRequested)
            EXPECT_EQ(server.RequestCount(page), 0) << page;
        EXPECT_EQ(
            Query(dir.File("db1.mdb"),
                  "select (select count(*) from dorntree)+(select count(*) from en_dorntree)"),
            (Rows{{std::to_string(c.categoriesKept)}}));
    }
}

TEST_F(EndToEnd, AConnectionClosedMidReplyKeepsWhatArrivedAndGoesOn) {
    CScriptedServer server;
    ServeOneOfEach(server, false);
    server.SetHandler(kLawPage, [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
            const std::string part = std::string(kOneLaw) + "<tree>\n<lawid>\n9\n</lawid>\n<top";
            sink.write(part.data(), part.size());
            return false; // the server goes away
        });
    });
    CTestHost host;
    m_fixture.RunTo(server.Url(), host);
    // The transport error is shown; the English laws still come. The links wait for the
    // next run, which brings the missing laws first: merged now, the links of the missing
    // laws would be skipped and, with the link stamp moving on, never come again.
    const auto messages = m_messages.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(server.RequestCount(kEnLawPage), 1);
    EXPECT_EQ(server.RequestCount(kLinkPage), 0);
    EXPECT_EQ(host.Finished(), 0);
    EXPECT_EQ(Query(Client(), "select oldid from dornlaws"), (Rows{{"8"}}));
}

TEST_F(EndToEnd, AnUnreachableServerFailsTheRunWithTheTransportMessage) {
    int port = 0;
    {
        CScriptedServer closed; // a port that was just free again
        port = std::stoi(closed.Url().substr(closed.Url().rfind(':') + 1));
    }
    CTestHost host;
    m_fixture.RunTo("http://127.0.0.1:" + std::to_string(port), host);
    // One box: the stage's failure text, the address tried and what to check, all Chinese.
    const auto messages = m_messages.Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string& text = messages[0].text;
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + kTreePage;
    EXPECT_EQ(text.rfind("下载失败！\n无法连接到更新服务器 " + address + "：连接被拒绝\n请检查", 0),
              0u)
        << text;
    EXPECT_NE(text.find("[Update]"), std::string::npos) << text;
    EXPECT_EQ(text.find("Connection refused"), std::string::npos) << text;
    EXPECT_EQ(host.Finished(), 0);
    EXPECT_EQ(m_fixture.m_bUpdateFailed.load(), 1);
}

TEST_F(EndToEnd, GivingUpLeavesEverythingUntouched) {
    CPublisherThread publisher(Pub());
    CTestHost host(false);
    m_fixture.RunTo(publisher.Url(), host);
    EXPECT_EQ(host.Confirmations(), 1);
    EXPECT_EQ(host.Finished(), 0);
    EXPECT_TRUE(host.Ended());
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(m_fixture.m_bUpdateFailed.load(), 1);
    EXPECT_EQ(Snapshot(Client()), Snapshot(m_dir.File("db1.mdb")));
    EXPECT_EQ(Query(Client(), "select count(*) from dorntree"), (Rows{{"0"}}));
    // The command works again.
    CTestHost again;
    m_fixture.RunTo(publisher.Url(), again);
    EXPECT_EQ(again.Finished(), 1);
}

TEST_F(EndToEnd, AStopEndsTheStageWithinARecordAndKeepsWhatWasMerged) {
    // 200 laws, served slowly.
    std::string sql = "begin;";
    for (int i = 10; i < 210; ++i)
        sql += "insert into dornlaws(lawid,topic,body,oldid,updatetime) values(" +
               std::to_string(i) + ",'law " + std::to_string(i) + "','x','" + std::to_string(i) +
               "','2004-05-01 10:20:30');";
    Exec(Pub(), sql + "commit;");
    CPublisherOptions options;
    options.m_strDatabase = Pub();
    CPublisher source(options);
    CScriptedServer server;
    RelaySlowly(server, source, std::chrono::milliseconds(2));
    CTestHost host;
    host.m_onProgress = [this](int message, int, int count) {
        if (message == 105 && count == 20)
            m_fixture.m_run.Stop();
    };
    m_fixture.RunTo(server.Url(), host);
    EXPECT_EQ(host.Finished(), 0);
    EXPECT_EQ(m_fixture.m_bUpdateFailed.load(), 1);
    EXPECT_EQ(m_fixture.m_bStopRequested.load(), 1);
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(server.RequestCount(kEnLawPage), 0);
    EXPECT_EQ(server.RequestCount(kLinkPage), 0);
    EXPECT_EQ(Query(Client(), "select count(*) from dornlaws"), (Rows{{"20"}}));
    EXPECT_EQ(Query(Client(), "select count(*) from dorntree"), (Rows{{"5"}}));
    EXPECT_EQ(IndexDifference(Client()), "");

    // A new run starts clean and brings the rest.
    CTestHost again;
    m_fixture.RunTo(server.Url(), again);
    EXPECT_EQ(m_fixture.m_bStopRequested.load(), 0);
    EXPECT_EQ(again.Finished(), 1);
    ExpectMirror();
}

// The full-text index is derived data: however it is damaged (its tables dropped under the
// triggers of an earlier version that call the tokenizer, its log or a trigger of it
// dropped, a tokenizer the program does not know, rows deleted from its own tables, out of
// step with its mark, or half-built), the update merges every record and succeeds, and the
// index is made whole again as the window makes it.
TEST_F(EndToEnd, ADamagedSearchIndexNeverStopsAnUpdate) {
    CSearchIndex::RegisterEverywhere();
    const std::string kHalfBuilt = "half-built";
    const std::string damages[] = {
        "drop trigger dornlaws_log_bi; drop trigger dornlaws_log_ai; drop trigger "
        "dornlaws_log_au; drop trigger dornlaws_log_ad; drop table dornlaws_body; drop table "
        "dornlaws_title; create trigger dornlaws_index_ai after insert on dornlaws begin insert "
        "into dornlaws_body(rowid,body) values(new.lawid,new.body); end; create trigger "
        "dornlaws_body_au after update of lawid,body on dornlaws begin insert into "
        "dornlaws_body(dornlaws_body,rowid,body) values('delete',old.lawid,old.body); end;",
        "drop table dornlaws_changes;",
        "drop trigger dornlaws_log_au;",
        "pragma writable_schema=on; update sqlite_master set sql=replace(sql,'tolvarin_bigram',"
        "'other_bigram') where name='dornlaws_body'; pragma writable_schema=off;",
        "delete from dornlaws_body_data;",
        "delete from dornlaws_title_idx;",
        "update search_index set upto=1 where tbl='dornlaws';",
        kHalfBuilt,
    };
    // The index whole again, as the window makes it.
    auto makeWhole = [&] {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Client().c_str(), &db), SQLITE_OK);
        std::string error;
        long long done = 0, total = 0;
        std::string damage;
        CSearchIndex::CheckOnOpen(db, "dornlaws", damage);
        if (CSearchIndex::IsOutdated(db, "dornlaws")) {
            EXPECT_TRUE(CSearchIndex::Drop(db, "dornlaws", error)) << error;
        }
        if (CSearchIndex::BuiltUpTo(db, "dornlaws") < 0) {
            EXPECT_TRUE(CSearchIndex::Create(db, "dornlaws", error)) << error;
        }
        while (CSearchIndex::BuildStep(db, "dornlaws", 100, done, total, error) == 1) {
        }
        sqlite3_close(db);
        EXPECT_EQ(IndexDifference(Client()), "");
    };
    int round = 0;
    for (const std::string& damage : damages) {
        SCOPED_TRACE(damage);
        CPublisherThread publisher(Pub());
        CTestHost host;
        m_fixture.RunTo(publisher.Url(), host);
        ASSERT_EQ(host.Finished(), 1);
        makeWhole();
        if (damage == kHalfBuilt) {
            // Stopped after its first step.
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(Client().c_str(), &db), SQLITE_OK);
            std::string error;
            long long done = 0, total = 0;
            EXPECT_TRUE(CSearchIndex::Drop(db, "dornlaws", error) &&
                        CSearchIndex::Create(db, "dornlaws", error) &&
                        CSearchIndex::BuildStep(db, "dornlaws", 1, done, total, error) == 1)
                << error;
            sqlite3_close(db);
        } else {
            Exec(Client(), damage);
        }
        ++round;
        Exec(Pub(), "update dornlaws set topic='修订后的条例" + std::to_string(round) +
                        "',updatetime='2005-01-" + (round < 10 ? "0" : "") + std::to_string(round) +
                        " 00:00:00' where lawid=2;");
        CTestHost second;
        m_fixture.RunTo(publisher.Url(), second);
        EXPECT_EQ(second.Finished(), 1);
        EXPECT_EQ(Query(Client(), "select topic from dornlaws where oldid='2'"),
                  (Rows{{"修订后的条例" + std::to_string(round)}}));
        for (const char* prefix : {"", "en_"})
            EXPECT_EQ(Listing(Client(), prefix), Listing(Pub(), prefix));
        makeWhole();
    }
}
