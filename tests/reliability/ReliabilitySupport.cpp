#include "tests/reliability/ReliabilitySupport.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Stamp(int day, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "2005-%02d-%02d 08:00:%02d", 1 + day / 28, 1 + day % 28,
                  second % 60);
    return text;
}

} // namespace

void FillLargePublisher(const std::string& db) {
    FillPublisher(db);
    std::string sql = "begin;";
    for (const std::string p : {"", "en_"}) {
        // Ten more top-level categories, each with three children, on stamps of their own.
        for (int k = 0; k < 10; ++k) {
            const long long top = (10LL + k) << 25;
            sql += "insert into " + p +
                   "dorntree(id,parid,name,xh,childs,oldid,updatetime) values(" +
                   std::to_string(top) + ",0,'类 " + std::to_string(k) + "'," + std::to_string(k) +
                   ",3,'" + std::to_string(top) + "','" + Stamp(k, 0) + "');";
            for (int j = 1; j <= 3; ++j) {
                const long long child = top + (static_cast<long long>(j) << 19);
                sql += "insert into " + p +
                       "dorntree(id,parid,name,xh,childs,oldid,updatetime) "
                       "values(" +
                       std::to_string(child) + "," + std::to_string(top) + ",'子类 " +
                       std::to_string(k) + "." + std::to_string(j) + "'," + std::to_string(j) +
                       ",0,'" + std::to_string(child) + "','" + Stamp(k, j) + "');";
            }
        }
        // 150 laws (30 in English) with bodies of several lines, each filed twice.
        const int laws = p.empty() ? 150 : 30;
        for (int i = 0; i < laws; ++i) {
            const std::string id = std::to_string(100 + i);
            const std::string stamp = Stamp(i / 3, i % 3);
            sql += "insert into " + p +
                   "dornlaws(lawid,topic,bumen,wenhao,datum,body,oldid,"
                   "updatetime) values(" +
                   id + ",'法规 " + id + "','部门 " + std::to_string(i % 7) + "','第" + id +
                   "号','2003-02-0" + std::to_string(1 + i % 9) + " 00:00:00','第一条 内容 " + id +
                   "\n第二条 " + std::string(40 + i % 50, 'x') + "\n第三条 &rt; 与 &amp;','" + id +
                   "','" + stamp + "');";
            const long long cat =
                ((10LL + i % 10) << 25) + (static_cast<long long>(1 + i % 3) << 19);
            sql += "insert into " + p + "dornlawas(lawid,treeid,updatetime) values(" + id + "," +
                   std::to_string(cat) + ",'" + stamp + "'),(" + id + "," +
                   std::to_string((10LL + (i + 3) % 10) << 25) + ",'" + stamp + "');";
        }
    }
    Exec(db, sql + "commit;");
}

std::string IntegrityCheck(const std::string& db) {
    std::string result;
    for (const auto& row : Query(db, "PRAGMA integrity_check"))
        result += row.empty() ? "" : row[0];
    return result;
}

void ExpectNothingHalfWritten(const std::string& client, const std::string& publisher) {
    for (const std::string p : {"", "en_"}) {
        SCOPED_TRACE(p.empty() ? "Chinese edition" : "English edition");
        // Server ids of the publisher are its own ids.
        std::map<std::string, std::vector<std::string>> laws;
        for (auto& row :
             Query(publisher, "select lawid,topic,bumen,wenhao,datum,body from " + p + "dornlaws"))
            laws[row[0]] = row;
        std::map<std::string, std::string> clientLawOldIds;
        for (const auto& row : Query(client, "select oldid,topic,bumen,wenhao,datum,body,lawid "
                                             "from " +
                                                 p + "dornlaws")) {
            ASSERT_TRUE(laws.count(row[0])) << "law of server id " << row[0];
            const auto& want = laws[row[0]];
            std::string topic = want[1], bumen = want[2], wenhao = want[3], body = want[5];
            EXPECT_EQ(std::vector<std::string>(row.begin() + 1, row.end() - 1),
                      (std::vector<std::string>{topic, bumen, wenhao, want[4], body}))
                << "law of server id " << row[0];
            clientLawOldIds[row[6]] = row[0];
        }
        std::map<std::string, std::string> names;
        for (const auto& row : Query(publisher, "select id,name from " + p + "dorntree"))
            names[row[0]] = row[1];
        std::map<std::string, std::string> clientTreeOldIds;
        for (const auto& row : Query(client, "select oldid,name,id from " + p + "dorntree")) {
            ASSERT_TRUE(names.count(row[0])) << "category of server id " << row[0];
            EXPECT_EQ(row[1], names[row[0]]);
            clientTreeOldIds[row[2]] = row[0];
        }
        std::set<std::pair<std::string, std::string>> links;
        for (const auto& row : Query(publisher, "select lawid,treeid from " + p + "dornlawas"))
            links.insert({row[0], row[1]});
        for (const auto& row : Query(client, "select lawid,treeid from " + p + "dornlawas")) {
            ASSERT_TRUE(clientLawOldIds.count(row[0]) && clientTreeOldIds.count(row[1]))
                << "link of a law or category that is not stored";
            EXPECT_TRUE(links.count({clientLawOldIds[row[0]], clientTreeOldIds[row[1]]}))
                << "link " << row[0] << "," << row[1];
        }
    }
}

void ExpectSameRows(const Rows& got, const Rows& want) {
    EXPECT_EQ(got.size(), want.size());
    for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
        if (got[i] != want[i]) {
            ADD_FAILURE() << "row " << i << " differs: " << ::testing::PrintToString(got[i])
                          << " instead of " << ::testing::PrintToString(want[i]);
            return;
        }
    }
}

Rows UninterruptedRun(const std::string& server) {
    CScratchDir dir;
    CMessageRecorder messages;
    CTestHost host;
    CRunFixture run;
    run.RunTo(server, host);
    EXPECT_EQ(host.Finished(), 1);
    return Snapshot(dir.File("db1.mdb"));
}

pid_t StartUpdate(const std::string& dir, const std::string& server, const std::string& errFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int null = open("/dev/null", O_RDONLY);
        if (err < 0 || null < 0 || chdir(dir.c_str()) != 0)
            _exit(126);
        dup2(null, STDIN_FILENO);
        dup2(err, STDERR_FILENO);
        dup2(err, STDOUT_FILENO);
        execl(TOLVARIN_UPDATE_BINARY, TOLVARIN_UPDATE_BINARY, "--yes", "--server", server.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

int WaitUpdate(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1000;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
