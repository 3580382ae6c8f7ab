// Update runs against servers that misbehave on loopback: connections closed at random
// points of every stage, servers that stall, replies with invalid bytes, huge lines, lying
// header counts and replies that never end. After each the database is sound and holds
// nothing half-written, and a following clean run ends with exactly the rows of an
// uninterrupted run.
#include "tests/reliability/ReliabilitySupport.h"

#include "ground/GbkCodec.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <httplib.h>
#include <mutex>
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

namespace {

// The value line of `element` in the second record of a reply: where it starts, and the
// record's server id (the value of `idElement`).
struct ValueLine {
    size_t at = std::string::npos;
    std::string id;
};

ValueLine SecondRecordValue(const std::string& reply, const std::string& element,
                            const std::string& idElement) {
    ValueLine line;
    const size_t record = reply.find("<tree>\n", reply.find("<tree>\n") + 1);
    if (record == std::string::npos)
        return line;
    const size_t id = reply.find("<" + idElement + ">\n", record) + idElement.size() + 3;
    line.id = reply.substr(id, reply.find('\n', id) - id);
    line.at = reply.find("<" + element + ">\n", record) + element.size() + 3;
    return line;
}

} // namespace

TEST_F(FaultInjection, BytesInvalidInARecordsTextAreReplacedAndNamedWhenTheRunEnds) {
    // A byte that no GBK text holds at the start of a text line of the second record of a
    // page, or a lead byte without its second byte at the end of one.
    struct Case {
        const char* page;
        const char* element;
        const char* idElement;
        const char* table;
        const char* column;
        const char* kind; // how the warning names the record
    };
    const Case cases[] = {
        {kTreePage, "name", "id", "dorntree", "name", "分类 "},
        {kLawPage, "topic", "lawid", "dornlaws", "topic", "法规 "},
        {kEnLawPage, "body", "lawid", "en_dornlaws", "body", "英文版法规 "},
    };
    for (const Case& c : cases) {
        for (const bool atEnd : {false, true}) {
            SCOPED_TRACE(std::string(c.page) + (atEnd ? " a cut pair" : " 0xFF"));
            CScratchDir dir;
            CScriptedServer server;
            Relay(server);
            std::mutex mutex;
            std::string id;
            server.SetHandler(
                c.page, [&, atEnd](const httplib::Request& request, httplib::Response& response) {
                    std::string reply = Reply(*m_pSource, request);
                    const ValueLine line = SecondRecordValue(reply, c.element, c.idElement);
                    if (line.at != std::string::npos) {
                        std::lock_guard lock(mutex);
                        id = line.id;
                        if (atEnd)
                            reply.insert(reply.find('\n', line.at), "\x81");
                        else
                            reply.insert(line.at, "\xff");
                    }
                    response.set_content(reply, "text/plain; charset=GBK");
                });
            m_messages.Clear();
            CTestHost host;
            CRunFixture run;
            run.RunTo(server.Url(), host);
            const std::string db = dir.File("db1.mdb");
            // The run completes, and says which record holds the replaced byte.
            EXPECT_EQ(host.Finished(), 1);
            EXPECT_TRUE(m_messages.Messages().empty());
            ASSERT_FALSE(id.empty());
            EXPECT_NE(host.Warning().find(c.kind + id), std::string::npos) << host.Warning();
            EXPECT_NE(host.Warning().find("：1 个字节"), std::string::npos) << host.Warning();
            EXPECT_NE(host.Warning().find("有 1 条记录"), std::string::npos) << host.Warning();
            // The record is stored with U+FFFD in place of the byte, and every other record
            // of every table is there as an uninterrupted run stores it.
            EXPECT_EQ(Query(db, std::string("select oldid from ") + c.table + " where instr(" +
                                    c.column + ",char(65533))>0"),
                      (Rows{{id}}));
            const Rows rows = Snapshot(db);
            ASSERT_EQ(rows.size(), Reference().size());
            size_t differing = 0;
            for (size_t i = 0; i < rows.size(); ++i)
                differing += rows[i] != Reference()[i];
            EXPECT_EQ(differing, 1U);
            EXPECT_EQ(IntegrityCheck(db), "ok");
        }
    }
}

TEST_F(FaultInjection, BytesInvalidInAFieldThatNamesARecordFailTheStageAtIt) {
    // A server id or a stamp with U+FFFD would be a record the server does not know: the
    // stage fails at it, naming it, and no stamp moves past it.
    for (const char* page : {kTreePage, kLawPage, kEnLawPage, kLinkPage}) {
        SCOPED_TRACE(page);
        CScratchDir dir;
        CScriptedServer server;
        Relay(server);
        server.SetHandler(page, [&](const httplib::Request& request, httplib::Response& response) {
            std::string reply = Reply(*m_pSource, request);
            size_t at = reply.find("<tree>\n", reply.find("<tree>\n") + 1);
            if (at != std::string::npos) {
                at = reply.find(">\n", at + 7) + 2; // the first value line: the record's id
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
        EXPECT_NE(messages[0].text.find("的编号、日期或时间含有不属于 GBK 字符集的字节"),
                  std::string::npos)
            << messages[0].text;
        EXPECT_EQ(Query(db, "select count(*) from dorntree where instr(oldid,char(65533))>0")[0][0],
                  "0");
        for (const char* table : {"dornlaws", "en_dornlaws"})
            EXPECT_EQ(Query(db, std::string("select count(*) from ") + table +
                                    " where instr(oldid,char(65533))>0")[0][0],
                      "0");
        ExpectSoundAndRecoverable(db);
    }
}

TEST_F(FaultInjection, AReplyInAnotherCharsetIsRefusedBeforeAnythingOfItIsMerged) {
    // Every title of the law reply in Latin-1 ("Café. N° 5. Été."): three bytes of each are
    // invalid in GBK, far more than 1 % of the reply's non-ASCII bytes.
    CScratchDir dir;
    CScriptedServer server;
    Relay(server);
    server.SetHandler(kLawPage, [&](const httplib::Request& request, httplib::Response& response) {
        std::string reply = Reply(*m_pSource, request);
        for (size_t at = reply.find("<topic>\n"); at != std::string::npos;
             at = reply.find("<topic>\n", at + 1)) {
            const size_t value = at + 8;
            reply.replace(value, reply.find('\n', value) - value, "Caf\xE9. N\xB0 5. \xC9t\xE9.");
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
    EXPECT_EQ(
        messages[0].text,
        "服务器的答复中有不属于 GBK 字符集的字节，本次更新未完成；下次更新会重新下载其余记录。");
    EXPECT_EQ(Query(db, "select count(*) from dornlaws")[0][0], "0");
    EXPECT_TRUE(host.Warning().empty());
    ExpectSoundAndRecoverable(db);
}

TEST_F(FaultInjection, ADeclaredCharsetIsBelievedOnlyWhenTheBytesAreValidInIt) {
    struct Case {
        const char* served;      // charset of the bytes
        bool bom;                // UTF-16 with a byte order mark
        const char* contentType; // what the reply declares
    };
    const Case cases[] = {
        {"UTF-8", false, "text/plain; charset=UTF-8"},
        {"UTF-8", false, "text/plain;charset=\"utf-8\""},
        {"GBK", false, "text/plain; charset=gb2312"},
        {"GBK", false, "text/plain"},
        {"GBK", false, "text/plain; charset=utf-8"},
        {"GBK", false, "text/plain; charset=iso-8859-1"},
        {"GBK", false, "text/plain; charset=windows-1252"},
        {"GBK", false, "text/plain; charset=x-no-such-charset"},
        {"UTF-16LE", true, "text/plain; charset=utf-16"},
        {"UTF-16LE", false, "text/plain; charset=UTF-16LE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.served) + " as " + c.contentType);
        CPublisherOptions options;
        options.m_strDatabase = Pub();
        const bool utf16 = std::string(c.served) == "UTF-16LE";
        options.m_strCharset = utf16 ? "UTF-8" : c.served;
        CPublisher source(options);
        CScratchDir dir;
        CScriptedServer server;
        for (const char* page : kPages)
            server.SetHandler(page,
                              [&](const httplib::Request& request, httplib::Response& response) {
                                  std::string reply = Reply(source, request);
                                  if (utf16)
                                      reply = (c.bom ? std::string("\xFF\xFE") : std::string()) +
                                              CGbkCodec("UTF-16LE").FromUtf8(reply);
                                  response.set_content(reply, c.contentType);
                              });
        m_messages.Clear();
        CTestHost host;
        CRunFixture run;
        run.RunTo(server.Url(), host); // the client expects GBK
        const std::string db = dir.File("db1.mdb");
        EXPECT_EQ(host.Finished(), 1);
        EXPECT_TRUE(m_messages.Messages().empty());
        EXPECT_TRUE(host.Warning().empty()) << host.Warning();
        ExpectSameRows(Snapshot(db), Reference());
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
