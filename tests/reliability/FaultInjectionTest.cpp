// Update runs against servers that misbehave on loopback: connections closed at random
// points of every stage, servers that stall, replies with invalid bytes, huge lines, lying
// header counts and replies that never end. After each the database is sound and holds
// nothing half-written, and a following clean run ends with exactly the rows of an
// uninterrupted run.
#include "tests/reliability/ReliabilitySupport.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <httplib.h>
#include <random>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* kPages[] = {kTreePage,  kEnTreePage, kLawPage,
                                  kEnLawPage, kLinkPage,   kEnLinkPage};

std::string Reply(CPublisher& source, const httplib::Request& request) {
    const bool law = request.path.find("law.asp") != std::string::npos;
    return source.Reply(request.path, request.get_param_value("updatetime"),
                        request.get_param_value(law ? "lawid" : "id"));
}

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        CreateCollection(Pub());
        FillLargePublisher(Pub());
        CPublisherOptions options;
        options.m_strDatabase = Pub();
        m_pSource = std::make_unique<CPublisher>(options);
        m_pPublisher = std::make_unique<CPublisherThread>(Pub());
    }
    std::string Pub() const { return m_pub.File("publisher.db"); }

    // Relays every page of the publisher unchanged.
    void Relay(CScriptedServer& server) {
        for (const char* page : kPages)
            server.SetHandler(
                page, [this](const httplib::Request& request, httplib::Response& response) {
                    response.set_content(Reply(*m_pSource, request), "text/plain; charset=GBK");
                });
    }

    // The checks after a faulty run, then a clean run that must end like an uninterrupted one.
    void ExpectSoundAndRecoverable(const std::string& db) {
        EXPECT_EQ(IntegrityCheck(db), "ok");
        ExpectNothingHalfWritten(db, Pub());
        CTestHost host;
        CRunFixture run;
        run.RunTo(m_pPublisher->Url(), host);
        EXPECT_EQ(host.Finished(), 1);
        EXPECT_EQ(IntegrityCheck(db), "ok");
        ExpectSameRows(Snapshot(db), Reference());
    }

    const Rows& Reference() {
        if (m_reference.empty())
            m_reference = UninterruptedRun(m_pPublisher->Url());
        return m_reference;
    }

    CScratchDir m_pub;
    CMessageRecorder m_messages;
    std::unique_ptr<CPublisher> m_pSource;
    std::unique_ptr<CPublisherThread> m_pPublisher;
    Rows m_reference;
};

} // namespace

TEST_F(FaultInjection, ConnectionClosedAtRandomPointsOfEveryStage) {
    std::mt19937 random(7);
    for (const char* page : kPages) {
        for (const bool chunked : {true, false}) {
            for (int attempt = 0; attempt < 1; ++attempt) {
                CScratchDir dir;
                CScriptedServer server;
                Relay(server);
                // The page's reply is broken off after a random share of its bytes.
                const double share = std::uniform_real_distribution<double>(0.0, 1.0)(random);
                std::atomic<size_t> cutAt{0};
                server.SetHandler(page, [&, chunked, share](const httplib::Request& request,
                                                            httplib::Response& response) {
                    auto reply = std::make_shared<std::string>(Reply(*m_pSource, request));
                    cutAt = 1 + static_cast<size_t>(share * double(reply->size() - 2));
                    auto provider = [reply, cut = cutAt.load()](size_t offset,
                                                                httplib::DataSink& sink) {
                        if (offset >= cut)
                            return false; // closes the connection mid-reply
                        return sink.write(reply->data() + offset,
                                          std::min<size_t>(cut - offset, 509));
                    };
                    if (chunked)
                        response.set_chunked_content_provider("text/plain", provider);
                    else
                        response.set_content_provider(
                            reply->size(), "text/plain",
                            [provider](size_t offset, size_t, httplib::DataSink& sink) {
                                return provider(offset, sink);
                            });
                });
                CTestHost host;
                CRunFixture run;
                run.RunTo(server.Url(), host);
                SCOPED_TRACE(std::string(page) + (chunked ? " chunked" : " with length") +
                             " cut at " + std::to_string(cutAt.load()));
                // The stage goes on with its next edition, but a broken-off category or law
                // reply leaves the links to the next run, which brings the rest first; and a
                // run that did not bring all it was sent is no success, links included.
                const bool links = std::string(page).find("lawas") != std::string::npos;
                EXPECT_EQ(host.Finished(), 0);
                EXPECT_EQ(server.RequestCount(kEnLinkPage), links ? 1 : 0);
                ExpectSoundAndRecoverable(dir.File("db1.mdb"));
            }
        }
    }
}

TEST_F(FaultInjection, StallingServersAreStoppedWithinASecond) {
    for (const char* page : {kTreePage, kLawPage, kEnLinkPage}) {
        for (const bool beforeReply : {true, false}) {
            SCOPED_TRACE(std::string(page) + (beforeReply ? " before the reply" : " mid-reply"));
            // Declared before the server, whose handlers use them until it is gone.
            std::atomic<bool> release{false};
            std::atomic<bool> stalling{false};
            CScratchDir dir;
            CScriptedServer server;
            Relay(server);
            server.SetHandler(page, [&, beforeReply](const httplib::Request& request,
                                                     httplib::Response& response) {
                if (beforeReply) {
                    stalling = true;
                    while (!release)
                        std::this_thread::sleep_for(5ms);
                    return;
                }
                auto reply = std::make_shared<std::string>(Reply(*m_pSource, request));
                response.set_chunked_content_provider(
                    "text/plain", [&, reply](size_t offset, httplib::DataSink& sink) {
                        if (offset == 0)
                            return sink.write(reply->data(), reply->size() / 2);
                        stalling = true;
                        while (!release)
                            std::this_thread::sleep_for(5ms);
                        return false;
                    });
            });
            CTestHost host;
            CRunFixture run;
            CUpdateSettings settings;
            settings.m_strServer = server.Url();
            ASSERT_TRUE(run.m_run.Start(host, settings));
            while (!stalling)
                std::this_thread::sleep_for(5ms);
            std::this_thread::sleep_for(200ms);
            const auto stop = std::chrono::steady_clock::now();
            run.m_run.Stop();
            run.m_run.Wait();
            EXPECT_LT(std::chrono::steady_clock::now() - stop, 1s);
            release = true;
            EXPECT_EQ(host.Finished(), 0);
            EXPECT_EQ(run.m_bDownloading.load(), 0);
            ExpectSoundAndRecoverable(dir.File("db1.mdb"));
        }
    }
}

TEST_F(FaultInjection, CtrlCEndsAStalledUpdateProgramWithinASecond) {
    std::atomic<bool> release{false};
    std::atomic<bool> stalling{false};
    CScratchDir dir;
    CScriptedServer server;
    Relay(server);
    server.SetHandler(kLawPage, [&](const httplib::Request& request, httplib::Response& response) {
        auto reply = std::make_shared<std::string>(Reply(*m_pSource, request));
        response.set_chunked_content_provider(
            "text/plain", [&, reply](size_t offset, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write(reply->data(), reply->size() / 3);
                stalling = true;
                while (!release)
                    std::this_thread::sleep_for(5ms);
                return false;
            });
    });
    const std::string err = dir.File("stderr.txt");
    const pid_t pid = StartUpdate(dir.Path(), server.Url(), err);
    for (int i = 0; i < 2000 && !stalling; ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(stalling) << ReadFile(err);
    std::this_thread::sleep_for(200ms);
    const auto stop = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    EXPECT_EQ(WaitUpdate(pid, 5s), 1) << ReadFile(err);
    EXPECT_LT(std::chrono::steady_clock::now() - stop, 1s);
    release = true;
    ExpectSoundAndRecoverable(dir.File("db1.mdb"));
}

TEST_F(FaultInjection, RepliesThatLieOrBreakTheGrammar) {
    // The publisher's first two law records, as it sends them.
    const std::string full = m_pSource->Reply(kLawPage, "", "");
    const size_t first = full.find("<tree>");
    size_t end = first;
    for (int i = 0; i < 2; ++i)
        end = full.find("</tree>\n", end) + 8;
    const std::string laws = full.substr(first, end - first);
    // The same with NUL bytes strewn over it, which the reader drops.
    std::string nuls;
    for (size_t i = 0; i < laws.size(); ++i)
        nuls += (i % 5 == 0 ? std::string(1, '\0') : "") + laws[i];
    struct Case {
        const char* name;
        std::string reply;
        int stored;          // laws stored from it
        const char* message; // the box the run ends with, "" for none
    };
    const std::string huge(size_t(3) << 20, 'x');
    const Case cases[] = {
        {"count of none", "<header>\n0\n</header>\n" + laws, 2, ""},
        {"count far above", "<header>\n99999999999999999999\n</header>\n" + laws, 2, ""},
        {"negative count", "<header>\n-5\n</header>\n" + laws, 2, ""},
        {"count of letters", "<header>\nmany\n</header>\n" + laws, 2, ""},
        {"a count line of several megabytes", "<header>\n" + huge + "\n</header>\n" + laws, 2, ""},
        {"NUL bytes everywhere", "<header>\n2\n</header>\n" + nuls, 2, ""},
        {"no trailer", "<header>\n2\n" + laws, 0, "格式错误!"},
        {"html page", "<html><body>busy</body></html>\n" + laws, 0, "下载失败！"},
        {"empty reply", "", 0, "下载失败！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScratchDir dir;
        CScriptedServer server;
        Relay(server);
        server.SetReply(kLawPage, c.reply);
        m_messages.Clear();
        CTestHost host;
        CRunFixture run;
        run.RunTo(server.Url(), host);
        EXPECT_EQ(Query(dir.File("db1.mdb"), "select count(*) from dornlaws")[0][0],
                  std::to_string(c.stored));
        const auto messages = m_messages.Messages();
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1U);
            EXPECT_EQ(messages[0].text, c.message);
            EXPECT_EQ(host.Finished(), 0);
        } else {
            EXPECT_TRUE(messages.empty()) << messages[0].text;
        }
        ExpectSoundAndRecoverable(dir.File("db1.mdb"));
    }
}

TEST_F(FaultInjection, HugeLinesAreStoredAsData) {
    CScratchDir dir;
    CScriptedServer server;
    Relay(server);
    // A body line of 5 MB and a title line of 2 MB.
    const std::string bigBody(size_t(5) << 20, 'b');
    const std::string bigTopic = Gbk(std::string(size_t(1) << 20, 'T') + "法");
    const std::string reply = "<header>\n2\n</header>\n<tree>\n<lawid>\n100\n</lawid>\n<topic>\n" +
                              Gbk("法规100") + "\n</topic>\n<body>\n" + bigBody +
                              "\n</body>\n<updatetime>\n2005-01-01 08:00:00\n"
                              "</updatetime>\n</tree>\n<tree>\n<lawid>\n101\n</lawid>\n<topic>\n" +
                              bigTopic +
                              "\n</topic>\n<updatetime>\n2005-01-01 08:00:01\n"
                              "</updatetime>\n</tree>\n";
    server.SetReply(kLawPage, reply);
    CTestHost host;
    CRunFixture run;
    run.RunTo(server.Url(), host);
    EXPECT_EQ(host.Finished(), 1);
    const std::string db = dir.File("db1.mdb");
    const Rows rows = Query(db, "select topic,length(body) from dornlaws order by oldid");
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0][0], "法规100");
    EXPECT_EQ(rows[0][1], std::to_string(bigBody.size()));
    EXPECT_EQ(rows[1][0], std::string(size_t(1) << 20, 'T') + "法");
    EXPECT_EQ(IntegrityCheck(db), "ok");
    // The clean run brings the publisher's own laws in place of the strange ones.
    CTestHost clean;
    CRunFixture again;
    Exec(db, "delete from dornlaws; delete from dornlawas"); // the server's own laws anew
    again.RunTo(m_pPublisher->Url(), clean);
    EXPECT_EQ(IntegrityCheck(db), "ok");
    ExpectNothingHalfWritten(db, Pub());
}

TEST_F(FaultInjection, BytesInvalidInTheCharsetFailTheStageAtTheirRecord) {
    // A byte that no GBK text holds at the start of a value line of the second record of a
    // page, or a lead byte without its second byte at the end of one.
    for (const char* page : {kTreePage, kLawPage, kEnLawPage, kLinkPage}) {
        for (const bool atEnd : {false, true}) {
            SCOPED_TRACE(std::string(page) + (atEnd ? " a cut pair" : " 0xFF"));
            CScratchDir dir;
            CScriptedServer server;
            Relay(server);
            server.SetHandler(
                page, [&, atEnd](const httplib::Request& request, httplib::Response& response) {
                    std::string reply = Reply(*m_pSource, request);
                    size_t at = reply.find("<tree>\n", reply.find("<tree>\n") + 1);
                    if (at != std::string::npos) {
                        at = reply.find(">\n", at + 7) + 2; // the first value line of the record
                        if (atEnd)
                            reply.insert(reply.find('\n', at), "\x81");
                        else
                            reply.insert(at, "\xff");
                    }
                    response.set_content(reply, "text/plain; charset=GBK");
                });
            m_messages.Clear();
            CTestHost host;
            CRunFixture run;
            run.RunTo(server.Url(), host);
            const std::string db = dir.File("db1.mdb");
            EXPECT_EQ(host.Finished(), 0);
            const auto messages = m_messages.Messages();
            ASSERT_EQ(messages.size(), 1U);
            EXPECT_NE(messages[0].text.find("GBK"), std::string::npos) << messages[0].text;
            // Nothing decoded from a bad byte was stored, nor any record after it.
            EXPECT_EQ(Query(db, "select count(*) from dorntree where instr(name,char(65533))>0 "
                                "or instr(oldid,char(65533))>0")[0][0],
                      "0");
            for (const char* table : {"dornlaws", "en_dornlaws"})
                EXPECT_EQ(
                    Query(db, std::string("select count(*) from ") + table +
                                  " where instr(topic,char(65533))>0 or "
                                  "instr(body,char(65533))>0 or instr(oldid,char(65533))>0")[0][0],
                    "0");
            const std::string stored = page == std::string(kTreePage)    ? "dorntree"
                                       : page == std::string(kLawPage)   ? "dornlaws"
                                       : page == std::string(kEnLawPage) ? "en_dornlaws"
                                                                         : "dornlawas";
            EXPECT_LE(std::stoi(Query(db, "select count(*) from " + stored)[0][0]), 1);
            ExpectSoundAndRecoverable(db);
        }
    }
}

TEST_F(FaultInjection, TheCharsetAReplyDeclaresIsHonoured) {
    struct Case {
        const char* served;      // charset of the bytes
        const char* contentType; // what the reply declares
        bool success;
    };
    const Case cases[] = {
        {"UTF-8", "text/plain; charset=UTF-8", true},
        {"UTF-8", "text/plain;charset=\"utf-8\"", true},
        {"GBK", "text/plain; charset=gb2312", true},
        {"GBK", "text/plain", true},
        {"GBK", "text/plain; charset=x-no-such-charset", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contentType);
        CPublisherOptions options;
        options.m_strDatabase = Pub();
        options.m_strCharset = c.served;
        CPublisher source(options);
        CScratchDir dir;
        CScriptedServer server;
        for (const char* page : kPages)
            server.SetHandler(page,
                              [&](const httplib::Request& request, httplib::Response& response) {
                                  response.set_content(Reply(source, request), c.contentType);
                              });
        m_messages.Clear();
        CTestHost host;
        CRunFixture run;
        run.RunTo(server.Url(), host); // the client expects GBK
        const std::string db = dir.File("db1.mdb");
        EXPECT_EQ(host.Finished(), c.success ? 1 : 0);
        if (c.success) {
            EXPECT_TRUE(m_messages.Messages().empty());
            ExpectSameRows(Snapshot(db), Reference());
        } else {
            ASSERT_EQ(m_messages.Messages().size(), 1U);
            EXPECT_NE(m_messages.Messages()[0].text.find("x-no-such-charset"), std::string::npos);
            EXPECT_EQ(Query(db, "select count(*) from dorntree")[0][0], "0");
            ExpectSoundAndRecoverable(db);
        }
    }
}

TEST_F(FaultInjection, ALineThatNeverEndsIsRefusedAndARecordStreamThatNeverEndsIsStopped) {
    // A reply line without end: refused with the format error once it is far too long.
    {
        CScratchDir dir;
        CScriptedServer server;
        Relay(server);
        server.SetHandler(kLawPage, [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider(
                "text/plain",
                [block = std::string(65536, 'z')](size_t offset, httplib::DataSink& sink) {
                    const std::string head = "<header>\n1\n</header>\n<tree>\n<body>\n";
                    if (offset == 0)
                        return sink.write(head.data(), head.size());
                    return offset < (size_t(1) << 30) && sink.write(block.data(), block.size());
                });
        });
        CTestHost host;
        CRunFixture run;
        run.RunTo(server.Url(), host);
        EXPECT_EQ(host.Finished(), 0);
        const auto messages = m_messages.Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().text, "格式错误!");
        ExpectSoundAndRecoverable(dir.File("db1.mdb"));
    }
    // Records without end: what arrived stays, the stop ends the run within a second.
    m_messages.Clear();
    CScratchDir dir;
    CScriptedServer server;
    Relay(server);
    server.SetHandler(kLawPage, [this](const httplib::Request& request,
                                       httplib::Response& response) {
        // The publisher's first law over and over again.
        const std::string reply = Reply(*m_pSource, request);
        const size_t first = reply.find("<tree>");
        const std::string record = reply.substr(first, reply.find("</tree>", first) + 8 - first);
        auto head = std::make_shared<std::string>(reply.substr(0, first));
        response.set_chunked_content_provider(
            "text/plain", [head, record](size_t offset, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write(head->data(), head->size());
                return sink.write(record.data(), record.size());
            });
    });
    CTestHost host;
    CRunFixture run;
    CUpdateSettings settings;
    settings.m_strServer = server.Url();
    ASSERT_TRUE(run.m_run.Start(host, settings));
    const std::string db = dir.File("db1.mdb");
    for (int i = 0; i < 1000 && (host.ProgressLog().empty() ||
                                 host.ProgressLog().back().message != UpdateMsg::kLawProgress ||
                                 host.ProgressLog().back().count < 2000);
         ++i)
        std::this_thread::sleep_for(10ms);
    const auto stop = std::chrono::steady_clock::now();
    run.m_run.Stop();
    run.m_run.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - stop, 1s);
    EXPECT_EQ(Query(db, "select count(*) from dornlaws")[0][0], "1");
    ExpectSoundAndRecoverable(db);
}
