// The publisher as a server over loopback: a port in use, slow and idle clients, the limit
// per client address, and the memory one reply of a huge law takes.
#include "tests/publish/PublishClient.h"
#include "tests/update/UpdateTestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A publisher on a free loopback port with chosen options, serving from its own thread.
class CServer {
public:
    explicit CServer(CPublisherOptions options) : m_publisher(std::move(options)) {
        std::string error;
        m_nPort = m_publisher.Bind(error);
        EXPECT_GT(m_nPort, 0) << error;
        m_thread = std::thread([this] { m_publisher.Serve(); });
    }
    ~CServer() {
        m_publisher.Stop();
        m_thread.join();
    }
    int Port() const { return m_nPort; }

private:
    CPublisher m_publisher;
    std::thread m_thread;
    int m_nPort = -1;
};

class PublishServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strDb = m_dir.File("publisher.db");
        CreateCollection(m_strDb);
        FillPublisher(m_strDb);
        m_options.m_strDatabase = m_strDb;
        m_options.m_nPort = 0;
    }
    // Adds a law of about `megabytes` MB of text (lines with entities to encode).
    void AddHugeLaw(int megabytes) {
        const int lines = megabytes * 1024 * 1024 / 20;
        Exec(m_strDb, "insert into dornlaws(lawid,topic,body,oldid,updatetime) values(9,'巨',"
                      "replace(hex(zeroblob(" +
                          std::to_string(lines) +
                          ")),'00','第一条 a>b & c' || char(13,10)),'9','2009-01-01 00:00:00')");
    }
    CScratchDir m_dir;
    std::string m_strDb;
    CPublisherOptions m_options;
};

constexpr const char* kProbe = "/demolaws/lawas.asp?updatetime=";

void CloseAll(std::vector<int>& fds) {
    for (const int fd : fds)
        if (fd >= 0)
            close(fd);
    fds.clear();
}

} // namespace

TEST_F(PublishServerTest, ASecondPublisherOnAPortInUseIsRefused) {
    CServer first(m_options);
    CPublisherOptions options = m_options;
    options.m_nPort = first.Port();
    CPublisher second(options);
    std::string error;
    EXPECT_EQ(second.Bind(error), -1);
    EXPECT_NE(error.find("in use"), std::string::npos) << error;

    // The program says so and ends with a failure instead of sharing the port.
    const std::string log = m_dir.File("second.log");
    const std::string command = std::string("timeout 10 ") + TOLVARIN_PUBLISH_BINARY + " --db '" +
                                m_strDb + "' --port " + std::to_string(first.Port()) + " 2>'" +
                                log + "' >/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(log);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("in use"), std::string::npos) << text;
    // The first one still answers every request.
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(HttpGet("127.0.0.1", first.Port(), kProbe, 5000).m_bOk);
}

// Many clients that hold their connections without making the publisher's work progress: a
// request whose header lines trickle in, or a law reply that is never read. Every other
// client is still answered at once.
TEST_F(PublishServerTest, SlowClientsDoNotStarveTheOthers) {
    AddHugeLaw(8);
    CServer server(m_options);
    struct Case {
        const char* name;
        bool readsNothing; // asks for the huge law and never reads; else trickles its request
    } const cases[] = {{"trickling requests", false}, {"unread law replies", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> slow;
        // 120 clients over six addresses: more than the thread count of any design that gives
        // each connection a thread, and within the limit per address.
        for (int i = 0; i < 120; ++i) {
            const std::string source = "127.0.0." + std::to_string(2 + i % 6);
            const int fd = ConnectFrom(source, server.Port(), c.readsNothing ? 4096 : 0);
            ASSERT_GE(fd, 0);
            const std::string start = c.readsNothing
                                          ? "GET /demolaws/law.asp?updatetime=2008-01-01%2000:00:00"
                                            "&lawid= HTTP/1.1\r\nHost: x\r\n\r\n"
                                          : "GET /demolaws/lawtrees.asp HTTP/1.1\r\n";
            ASSERT_TRUE(SendAll(fd, start));
            slow.push_back(fd);
        }
        for (int round = 0; round < 4; ++round) {
            if (!c.readsNothing)
                for (const int fd : slow)
                    SendAll(fd, "X-Slow: " + std::to_string(round) + "\r\n");
            const CHttpResult probe = HttpGet("127.0.0.1", server.Port(), kProbe, 3000);
            EXPECT_TRUE(probe.m_bOk) << probe.m_strError << " after " << probe.m_dSeconds << " s";
            EXPECT_EQ(probe.m_strBody.rfind("<header>\n", 0), 0u);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        CloseAll(slow);
    }
}

TEST_F(PublishServerTest, OneAddressHoldsOnlyItsShareOfConnections) {
    m_options.m_nPerAddressLimit = 8;
    m_options.m_nTimeoutSeconds = 60;
    CServer server(m_options);
    std::vector<int> held;
    for (int i = 0; i < 8; ++i) {
        held.push_back(ConnectFrom("127.0.0.9", server.Port()));
        ASSERT_GE(held.back(), 0);
    }
    // Give the server time to take the eight in.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const CHttpResult refused = HttpGet("127.0.0.9", server.Port(), kProbe, 3000);
    EXPECT_FALSE(refused.m_bOk) << refused.m_strBody;
    const CHttpResult other = HttpGet("127.0.0.1", server.Port(), kProbe, 3000);
    EXPECT_TRUE(other.m_bOk) << other.m_strError;
    close(held.back());
    held.pop_back();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(HttpGet("127.0.0.9", server.Port(), kProbe, 3000).m_bOk);
    CloseAll(held);
}

TEST_F(PublishServerTest, AConnectionWithoutProgressIsClosedAfterTheTimeout) {
    m_options.m_nTimeoutSeconds = 1;
    CServer server(m_options);
    struct Case {
        const char* name;
        const char* sent;
    } const cases[] = {
        {"nothing sent", ""},
        {"half a request", "GET /demolaws/law.asp HTTP/1.1\r\nHost: x\r\n"},
        {"an unread law reply", "GET /demolaws/law.asp HTTP/1.1\r\nHost: x\r\n\r\n"},
    };
    AddHugeLaw(8);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int fd = ConnectFrom("127.0.0.1", server.Port(), 4096);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(SendAll(fd, c.sent));
        if (std::string(c.sent).find("\r\n\r\n") != std::string::npos)
            std::this_thread::sleep_for(std::chrono::seconds(3)); // the reply stalls
        EXPECT_TRUE(ClosedWithin(fd, 5000));
        close(fd);
    }
}

// A law of 48 MB is sent whole while the publisher's memory stays far below the law's size.
TEST_F(PublishServerTest, AHugeLawIsStreamedInBoundedMemory) {
    AddHugeLaw(48);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(TOLVARIN_PUBLISH_BINARY, "tolvarin-publish", "--db", m_strDb.c_str(), "--port", "0",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* output = fdopen(out[0], "r");
    char line[512] = {};
    ASSERT_NE(fgets(line, sizeof line, output), nullptr);
    const std::string started = line;
    const size_t colon = started.rfind(':', started.find(" ("));
    ASSERT_NE(colon, std::string::npos) << started;
    const int port = std::stoi(started.substr(colon + 1));

    const CHttpResult reply =
        HttpGet("127.0.0.1", port, "/demolaws/law.asp?updatetime=2008-01-01%2000:00:00", 120000);
    EXPECT_TRUE(reply.m_bOk) << reply.m_strError;
    EXPECT_GT(reply.m_strBody.size(), 48u * 1024 * 1024);
    EXPECT_NE(reply.m_strBody.find("a&rt;b &amp; c\n\n</body>\n"), std::string::npos);
    long peakKb = 0;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string text; std::getline(status, text);)
        if (text.rfind("VmHWM:", 0) == 0)
            peakKb = std::stol(text.substr(6));
    kill(pid, SIGTERM);
    int code = 0;
    waitpid(pid, &code, 0);
    fclose(output);
    EXPECT_GT(peakKb, 0);
#ifndef TOLVARIN_SANITIZED
    EXPECT_LT(peakKb, 40 * 1024) << "peak resident memory in KB";
#endif
}

// A parameter value is the whole of what it stands for: a value with anything after the
// number (a NUL sent as %00 included) or the date is a bad request, and the error reply
// quotes a short, escaped part of it.
TEST_F(PublishServerTest, ParameterValuesWithAnythingMoreAreBadRequests) {
    CServer server(m_options);
    const std::string longValue = "1" + std::string(5000, 'a');
    const struct {
        std::string query;
        long status;
        std::string echo; // part of the error reply; "" for a reply of records
    } cases[] = {
        {"/demolaws/law.asp?updatetime=&lawid=1", 200, ""},
        {"/demolaws/law.asp?updatetime=2004-05-01%2010:20:30&lawid=", 200, ""},
        {"/demolaws/law.asp?updatetime=&lawid=1%00abc", 400, "lawid=1%00abc"},
        {"/demolaws/law.asp?updatetime=&lawid=1%00", 400, "lawid=1%00"},
        {"/demolaws/law.asp?updatetime=&lawid=1abc", 400, "lawid=1abc"},
        {"/demolaws/law.asp?updatetime=&lawid=1%20", 400, "lawid=1 "},
        {"/demolaws/law.asp?updatetime=&lawid=%2B1", 400, "lawid=+1"},
        {"/demolaws/law.asp?updatetime=&lawid=1%0A%3Cheader%3E", 400, "lawid=1%0A%3Cheader%3E"},
        {"/demolaws/en_lawtrees.asp?updatetime=&id=7%00", 400, "id=7%00"},
        {"/demolaws/law.asp?updatetime=2004-05-01%00x&lawid=", 400, "updatetime=2004-05-01%00x"},
        {"/demolaws/lawas.asp?updatetime=2004-05-01%2010:20:30%00", 400,
         "updatetime=2004-05-01 10:20:30%00"},
        {"/demolaws/law.asp?updatetime=&lawid=" + longValue, 400,
         "lawid=1" + std::string(63, 'a') + "..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        const CHttpResult result = HttpGet("127.0.0.1", server.Port(), c.query, 10000);
        ASSERT_TRUE(result.m_bOk) << result.m_strError;
        EXPECT_EQ(result.m_nStatus, c.status);
        if (c.echo.empty()) {
            EXPECT_EQ(result.m_strBody.rfind("<header>\n", 0), 0u) << result.m_strBody;
            continue;
        }
        EXPECT_EQ(result.m_strBody.rfind("<error>\n", 0), 0u) << result.m_strBody;
        EXPECT_NE(result.m_strBody.find(c.echo), std::string::npos) << result.m_strBody;
        EXPECT_LT(result.m_strBody.size(), 160u) << result.m_strBody;
    }
}
