// Server values made to break out of SQL: quotes, comments, statement ends, NUL bytes and
// SQL keywords in every field of the three streams reach the database only as data.
#include "tests/reliability/ReliabilitySupport.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <mutex>

namespace {

using namespace std::string_literals;

// The reply of one stream: the header, then one record per list of (element, value) pairs.
std::string Records(bool stamp,
                    const std::vector<std::vector<std::pair<std::string, std::string>>>& records) {
    std::string reply = "<header>\n" + std::to_string(records.size()) + "\n";
    if (stamp)
        reply += "2004-05-01 10:20:30\n";
    reply += "</header>\n";
    for (const auto& record : records) {
        reply += "<tree>\n";
        for (const auto& [element, value] : record)
            reply += "<" + element + ">\n" + value + "\n</" + element + ">\n";
        reply += "</tree>\n";
    }
    return Gbk(reply);
}

} // namespace

TEST(HostileText, ServerValuesReachTheDatabaseOnlyAsData) {
    CScratchDir dir;
    CMessageRecorder messages;
    const std::string catId = "1' or '1'='1";
    const std::string childId = "2\"); drop table dorntree; --";
    const std::string lawId = "815' union select * from dornlaws --";
    const std::string trees =
        Records(true, {
                          {{"id", catId},
                           {"name", "类'; DROP TABLE dorntree; --"},
                           {"parid", "0' or 1=1 --"},
                           {"xh", "5; delete from dorntree"},
                           {"updatetime", "2004'); delete from dorntree; --"}},
                          {{"id", childId},
                           {"name", "SELECT * FROM dornlaws; /* '' */"},
                           {"parid", catId},
                           {"xh", "-- 7"}},
                      });
    const std::string laws = Records(
        false, {
                   {{"lawid", lawId},
                    {"topic", "'; DROP TABLE dornlaws; --"},
                    {"bumen", "O'Brien -- ;"},
                    {"wenhao", "1; DELETE FROM dornlawas WHERE '1'='1"},
                    {"datum", "2003-01-01 00:00:00"},
                    {"body", "第一条 ' \" ; --\nUNION SELECT lawid FROM dornlaws;\nN\0U\0L"s},
                    {"hangye", "'"},
                    {"updatetime", "2004-05-01 10:20:30"}},
                   // A date made to end the statement is no date: the law is refused, nothing runs.
                   {{"lawid", "816"},
                    {"topic", "T"},
                    {"datum", "2003-01-01'); DROP TABLE dornlaws; --"},
                    {"updatetime", "2004-05-01 10:20:31"}},
               });
    const std::string links = Records(
        false,
        {
            {{"lawid", lawId}, {"treeid", childId}, {"updatetime", "2004-05-01 10:20:30"}},
            {{"lawid", lawId}, {"treeid", "0 or 1=1"}, {"updatetime", "2004-05-01 10:20:30"}},
        });
    CScriptedServer server;
    for (const char* page : {kTreePage, kEnTreePage})
        server.SetReply(page, trees);
    for (const char* page : {kLawPage, kEnLawPage})
        server.SetReply(page, laws);
    for (const char* page : {kLinkPage, kEnLinkPage})
        server.SetReply(page, links);
    CTestHost host;
    CRunFixture run;
    run.RunTo(server.Url(), host);
    EXPECT_EQ(host.Finished(), 1);

    const std::string db = dir.File("db1.mdb");
    EXPECT_EQ(IntegrityCheck(db), "ok");
    // The six tables and their search index with its log and their citations, nothing
    // dropped or added.
    EXPECT_EQ(Query(db, "select count(*) from sqlite_master where type='table' and name like "
                        "'%dorn%' and name not like '%\\_body%' escape '\\' and name not like "
                        "'%\\_title%' escape '\\' and name not like '%\\_changes' escape '\\' "
                        "and name not like '%\\_cites' escape '\\' and name not like "
                        "'%\\_citekeys' escape '\\'"),
              (Rows{{"6"}}));
    EXPECT_EQ(IndexDifference(db), "");
    for (const std::string p : {"", "en_"}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(Query(db, "select id,parid,oldid,name,xh,childs,updatetime from " + p +
                                "dorntree order by id"),
                  (Rows{{"33554432", "0", catId, "类'; DROP TABLE dorntree; --", "5", "1",
                         "2004-05-01 10:20:30"},
                        {"34078720", "33554432", childId, "SELECT * FROM dornlaws; /* '' */", "0",
                         "0", "2004-05-01 10:20:30"}}));
        EXPECT_EQ(Query(db, "select oldid,topic,bumen,wenhao,datum,body,updatetime from " + p +
                                "dornlaws"),
                  (Rows{{lawId, "'; DROP TABLE dornlaws; --", "O'Brien -- ;",
                         "1; DELETE FROM dornlawas WHERE '1'='1", "2003-01-01 00:00:00",
                         "第一条 ' \" ; --\nUNION SELECT lawid FROM dornlaws;\nNUL",
                         "2004-05-01 10:20:30"}}));
        EXPECT_EQ(Query(db, "select l.oldid,t.oldid,a.updatetime from " + p + "dornlawas a join " +
                                p + "dornlaws l on l.lawid=a.lawid join " + p +
                                "dorntree t on t.id=a.treeid"),
                  (Rows{{lawId, childId, "2004-05-01 10:20:30"}}));
    }
    // The refused date is reported by the data layer, once per edition.
    EXPECT_EQ(messages.Messages().size(), 2U);
}

TEST(HostileText, ServerIdsWithUrlBytesComeBackIntactOnTheNextRun) {
    // Ids a server may send that mean something in a URL or may not stand in one at all.
    const std::string ids[] = {"x\ty",    "a#b",           "a&lawid=1", "1+1=2?",
                               "50% off", "x\x01\x7f\x1b", "路径/法规"};
    for (const std::string& id : ids) {
        SCOPED_TRACE(id);
        CScratchDir dir;
        CMessageRecorder messages;
        std::vector<std::string> sentIds, sentLawIds;
        std::mutex mutex;
        CScriptedServer server;
        const std::string trees = Records(true, {{{"id", id}, {"name", "N"}, {"parid", "0"}}});
        const std::string laws = Records(
            false, {{{"lawid", id}, {"topic", "T"}, {"updatetime", "2004-05-01 10:20:30"}}});
        for (const char* page : {kTreePage, kEnTreePage})
            server.SetHandler(page,
                              [&](const httplib::Request& request, httplib::Response& response) {
                                  std::lock_guard lock(mutex);
                                  sentIds.push_back(request.get_param_value("id"));
                                  response.set_content(trees, "text/plain; charset=GBK");
                              });
        for (const char* page : {kLawPage, kEnLawPage})
            server.SetHandler(page,
                              [&](const httplib::Request& request, httplib::Response& response) {
                                  std::lock_guard lock(mutex);
                                  sentLawIds.push_back(request.get_param_value("lawid"));
                                  response.set_content(laws, "text/plain; charset=GBK");
                              });
        for (const char* page : {kLinkPage, kEnLinkPage})
            server.SetReply(page, Records(false, {}));
        for (int run = 0; run < 2; ++run) {
            CTestHost host;
            CRunFixture fixture;
            fixture.RunTo(server.Url(), host);
            EXPECT_EQ(host.Finished(), 1) << "run " << run;
        }
        EXPECT_TRUE(messages.Messages().empty());
        // The second run sent each id exactly as it was received: one parameter, no more.
        ASSERT_EQ(sentIds.size(), 4U);
        ASSERT_EQ(sentLawIds.size(), 4U);
        EXPECT_EQ(sentIds[2], Gbk(id));
        EXPECT_EQ(sentLawIds[2], Gbk(id));
        EXPECT_EQ(Query(dir.File("db1.mdb"), "select oldid from dorntree"), (Rows{{id}}));
    }
}
