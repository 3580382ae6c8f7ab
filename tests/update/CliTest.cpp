// tolvarin-update as a program: exit status, messages on standard error, the question,
// Ctrl+C, and a run killed halfway.
#include "tests/update/UpdateTestSupport.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct CliResult {
    int status = -1; // exit status, or -signal
    std::string err; // standard error
};

// Runs tolvarin-update in `dir` with `input` on standard input. `during` is called every
// 10 ms with the child's pid until it answers false or the child ends.
CliResult RunCli(const std::string& dir, const std::vector<std::string>& args,
                 const std::string& input = "",
                 const std::function<bool(pid_t)>& during = nullptr) {
    int in[2], err[2];
    if (pipe(in) != 0 || pipe(err) != 0)
        return {};
    // Everything the child needs is made here: between fork and exec a child of this
    // threaded process (the publisher's thread) may only make calls that take no lock, or it
    // can hang on a lock another thread held at the fork.
    // The user's settings and collection are those of the test, never the real ones.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("XDG_CONFIG_HOME=", 0) != 0 && text.rfind("XDG_DATA_HOME=", 0) != 0 &&
            text.rfind("XDG_CONFIG_DIRS=", 0) != 0)
            environment.push_back(text);
    }
    environment.push_back("XDG_CONFIG_HOME=" + dir + "/xdg-config");
    environment.push_back("XDG_DATA_HOME=" + dir + "/xdg-data");
    environment.push_back("XDG_CONFIG_DIRS=" + dir + "/xdg-system");
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(TOLVARIN_UPDATE_BINARY)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(in[1]);
        close(err[0]);
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(err[1]);
    if (!input.empty())
        (void)!write(in[1], input.data(), input.size());
    close(in[1]);
    fcntl(err[0], F_SETFL, O_NONBLOCK);
    CliResult result;
    int status = 0;
    bool watching = static_cast<bool>(during);
    // A child that hangs is ended, and says so, long before the test's own time runs out.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(err[0], buffer, sizeof buffer)) > 0)
            result.err.append(buffer, static_cast<size_t>(n));
        if (waitpid(pid, &status, WNOHANG) == pid)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.err += "\n[tolvarin-update did not end within 120 s and was killed]";
            break;
        }
        if (watching)
            watching = during(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(err[0], buffer, sizeof buffer)) > 0)
        result.err.append(buffer, static_cast<size_t>(n));
    close(err[0]);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return result;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        CreateCollection(m_dir.File("publisher.db"));
        FillPublisher(m_dir.File("publisher.db"));
        unsetenv("TOLVARIN_UPDATE_SERVER");
    }
    CScratchDir m_dir;
};

} // namespace

TEST_F(Cli, ExitsZeroOnlyWhenTheWholeRunSucceeded) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    const CliResult ok = RunCli(m_dir.Path(), {"--yes", "--server", publisher.Url()});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_TRUE(Contains(ok.err, "下载完成!")) << ok.err;
    EXPECT_TRUE(Contains(ok.err, "正在下载法规信息 ... ( 3/3 )")) << ok.err;
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from dornlaws"), (Rows{{"3"}}));

    const CliResult refused = RunCli(m_dir.Path(), {"--yes", "--server", "http://127.0.0.1:1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Contains(refused.err, "下载失败！")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "下载完成")) << refused.err;
    // The reason in the user's words with the address tried, what to check below it; none
    // of the HTTP library's English.
    EXPECT_TRUE(Contains(refused.err, "无法连接到更新服务器 http://127.0.0.1:1/")) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "：连接被拒绝\n请检查更新服务器是否在运行")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "Connection refused")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "Failed to connect")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "?updatetime")) << refused.err;

    const CliResult badArgument = RunCli(m_dir.Path(), {"--bogus"});
    EXPECT_EQ(badArgument.status, 2);

    // No database in the working directory: said so, nothing is asked of the server.
    const std::string empty = m_dir.File("empty");
    std::filesystem::create_directory(empty);
    const CliResult noDatabase = RunCli(empty, {"--yes", "--server", publisher.Url()});
    EXPECT_EQ(noDatabase.status, 1);
    EXPECT_TRUE(Contains(noDatabase.err, "db1.mdb")) << noDatabase.err;
    EXPECT_FALSE(std::filesystem::exists(empty + "/db1.mdb"));

    // A db1.mdb without the collection: one line that says so, before anything is asked.
    std::ofstream(empty + "/db1.mdb").close();
    const CliResult noCollection = RunCli(empty, {"--server", publisher.Url()});
    EXPECT_EQ(noCollection.status, 1);
    EXPECT_TRUE(Contains(noCollection.err, "dorntree")) << noCollection.err;
    EXPECT_FALSE(Contains(noCollection.err, "[y/N]")) << noCollection.err;
    EXPECT_EQ(std::count(noCollection.err.begin(), noCollection.err.end(), '\n'), 1)
        << noCollection.err;
}

TEST_F(Cli, ARunThatReplacedBytesExitsZeroAndNamesTheRecordsOnItsLastLine) {
    CPublisherOptions options;
    options.m_strDatabase = m_dir.File("publisher.db");
    CPublisher source(options);
    CScriptedServer server;
    // A byte no GBK text holds in the title of the first Chinese law.
    RelayEdited(server, source, [](const std::string& path, std::string& reply) {
        if (path != kLawPage)
            return;
        const size_t topic = reply.find("<topic>\n");
        if (topic != std::string::npos)
            reply.insert(topic + 8, "\xff");
    });
    const CliResult result = RunCli(m_dir.Path(), {"--yes", "--server", server.Url()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "下载完成!")) << result.err;
    const std::string lawid =
        Query(m_dir.File("db1.mdb"), "select oldid from dornlaws where instr(topic,char(65533))>0")
            .at(0)
            .at(0);
    ASSERT_FALSE(result.err.empty());
    std::string last = result.err.substr(0, result.err.size() - 1);
    last = last.substr(last.rfind('\n') + 1);
    EXPECT_EQ(last.rfind("注意：有 1 条记录含有无效字节", 0), 0U) << result.err;
    EXPECT_TRUE(Contains(last, "法规 " + lawid + "「\xEF\xBF\xBD")) << last;
    EXPECT_TRUE(Contains(last, "：1 个字节")) << last;
}

TEST_F(Cli, AsksBeforeTheDownload) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    const CliResult no = RunCli(m_dir.Path(), {"--server", publisher.Url()}, "n\n");
    EXPECT_EQ(no.status, 1);
    EXPECT_TRUE(Contains(no.err, "[y/N]")) << no.err;
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from dornlaws"), (Rows{{"0"}}));
    // The server may also come from the environment.
    setenv("TOLVARIN_UPDATE_SERVER", publisher.Url().c_str(), 1);
    const CliResult yes = RunCli(m_dir.Path(), {}, "y\n");
    unsetenv("TOLVARIN_UPDATE_SERVER");
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from dornlaws"), (Rows{{"3"}}));
}

// The window's settings file gives the server when neither --server nor the environment
// does; each of them overrides the ones below it.
TEST_F(Cli, ServerFromTheWindowsSettingsBelowEnvironmentAndCommandLine) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    const std::string dead = "http://127.0.0.1:1";
    auto writeConfig = [&](const std::string& folder, const std::string& server) {
        std::filesystem::create_directories(m_dir.File(folder) + "/morvexal");
        std::ofstream(m_dir.File(folder) + "/morvexal/tolvarin.conf")
            << "[General]\nServer=" << dead << "\n\n[Update]\nServer=" << server
            << "\nCharset=GBK\n";
    };
    const struct {
        const char* what;
        std::string user;   // [Update] Server of the user's file ("" for no file)
        std::string system; // of /etc/xdg's
        std::string env;
        std::vector<std::string> args;
        bool reached;
    } cases[] = {
        {"user file", publisher.Url(), "", "", {}, true},
        {"system file", "", publisher.Url(), "", {}, true},
        {"user file over system file", publisher.Url(), dead, "", {}, true},
        {"environment over file", dead, "", publisher.Url(), {}, true},
        {"command line over environment", dead, "", dead, {"--server", publisher.Url()}, true},
        {"file's dead server is used", dead, publisher.Url(), "", {}, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(m_dir.File("xdg-config"));
        std::filesystem::remove_all(m_dir.File("xdg-system"));
        std::filesystem::remove(m_dir.File("db1.mdb"));
        CreateCollection(m_dir.File("db1.mdb"));
        if (!c.user.empty())
            writeConfig("xdg-config", c.user);
        if (!c.system.empty())
            writeConfig("xdg-system", c.system);
        if (!c.env.empty())
            setenv("TOLVARIN_UPDATE_SERVER", c.env.c_str(), 1);
        std::vector<std::string> args{"--yes"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult run = RunCli(m_dir.Path(), args);
        unsetenv("TOLVARIN_UPDATE_SERVER");
        EXPECT_EQ(run.status, c.reached ? 0 : 1) << c.what << "\n" << run.err;
        EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from dornlaws"),
                  (Rows{{c.reached ? "3" : "0"}}))
            << c.what;
    }
}

namespace {

// 300 more laws, each filed under a category, so that a slow relay takes a while.
void AddLaws(const std::string& db) {
    std::string sql = "begin;";
    for (int i = 10; i < 310; ++i) {
        const std::string id = std::to_string(i);
        sql += "insert into dornlaws(lawid,topic,body,oldid,updatetime) values(" + id + ",'law " +
               id + "','text\n' || '" + id + "','" + id +
               "','2004-05-01 10:20:30');insert into dornlawas values(" + id +
               ",34078720,'2004-05-01 10:20:30');";
    }
    Exec(db, sql + "commit;");
}

} // namespace

TEST_F(Cli, CtrlCStopsTheRunCleanly) {
    AddLaws(m_dir.File("publisher.db"));
    CPublisherOptions options;
    options.m_strDatabase = m_dir.File("publisher.db");
    CPublisher source(options);
    CScriptedServer server;
    RelaySlowly(server, source, std::chrono::milliseconds(1));
    const std::string db = m_dir.File("db1.mdb");
    const CliResult stopped =
        RunCli(m_dir.Path(), {"--yes", "--server", server.Url()}, "", [&](pid_t pid) {
            if (server.RequestCount(kLawPage) == 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(pid, SIGINT);
            return false;
        });
    EXPECT_EQ(stopped.status, 1) << stopped.err;
    EXPECT_TRUE(Contains(stopped.err, "正在停止")) << stopped.err;
    EXPECT_EQ(server.RequestCount(kLinkPage), 0);
    const int laws = std::stoi(Query(db, "select count(*) from dornlaws")[0][0]);
    EXPECT_GT(laws, 0);
    EXPECT_LT(laws, 303);
}

TEST_F(Cli, AKilledRunFollowedByANewRunEndsLikeOneUninterruptedRun) {
    const std::string pub = m_dir.File("publisher.db");
    AddLaws(pub);
    // The reference: one run without interruption, in a directory of its own.
    const std::string clean = m_dir.File("clean");
    std::filesystem::create_directory(clean);
    CreateCollection(clean + "/db1.mdb");
    CPublisherThread publisher(pub);
    ASSERT_EQ(RunCli(clean, {"--yes", "--server", publisher.Url()}).status, 0);

    CPublisherOptions options;
    options.m_strDatabase = pub;
    CPublisher source(options);
    for (const int killAt : {1, 2}) { // killed in the law stage, then in the link stage
        SCOPED_TRACE(killAt);
        CScratchDir dir;
        CScriptedServer server;
        RelaySlowly(server, source, std::chrono::milliseconds(1));
        const std::string db = dir.File("db1.mdb");
        const char* page = killAt == 1 ? kLawPage : kLinkPage;
        const char* table = killAt == 1 ? "dornlaws" : "dornlawas";
        const CliResult killed =
            RunCli(dir.Path(), {"--yes", "--server", server.Url()}, "", [&](pid_t pid) {
                if (server.RequestCount(page) == 0)
                    return true;
                // Laws: once some are stored. Links, stored by whole stamp groups: halfway
                // through their reply.
                if (killAt == 1 &&
                    Query(db, std::string("select count(*) from ") + table)[0][0] == "0")
                    return true;
                if (killAt == 2)
                    std::this_thread::sleep_for(std::chrono::milliseconds(250));
                kill(pid, SIGKILL);
                return false;
            });
        EXPECT_EQ(killed.status, -SIGKILL);
        EXPECT_LT(std::stoi(Query(db, std::string("select count(*) from ") + table)[0][0]), 300);
        const CliResult again = RunCli(dir.Path(), {"--yes", "--server", publisher.Url()});
        EXPECT_EQ(again.status, 0) << again.err;
        const Rows got = Snapshot(db), want = Snapshot(clean + "/db1.mdb");
        EXPECT_EQ(got.size(), want.size());
        for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
            if (got[i] != want[i]) {
                ADD_FAILURE() << "row " << i << " differs: " << ::testing::PrintToString(got[i])
                              << " instead of " << ::testing::PrintToString(want[i]);
                break;
            }
        }
    }
}
