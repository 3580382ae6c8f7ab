// Figures of the online update over loopback:
//  1. "tolvarin-admin import" of the corpus into a publisher collection (the yardstick);
//  2. a full update of an empty db1.mdb from tolvarin-publish serving that collection:
//     wall time, laws per second, and the ratio to the import (goal: within 3 times);
//  3. N clients at once each fetching the whole collection (categories, laws, links of the
//     Chinese edition) from the publisher: time, and that every reply came whole.
//
//   update-bench [CORPUS.jsonl] [--clients N] [--admin PATH] [--row]
//
// CORPUS defaults to $TOLVARIN_CORPUS, else ../shared/corpus/laws-zh.jsonl. With --row the
// figures are printed as the table rows of bench/run (the details go to standard error).
// The update's processor time counts the client and the publisher, which run in this
// process.
#include "ground/MessageService.h"
#include "ground/SyncEvent.h"
#include "tools/publish/Publisher.h"
#include "update/InternetSession.h"
#include "update/UpdateRun.h"
#include "update/UpdateRunHost.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long long Count(const std::string& db, const std::string& sql) {
    sqlite3* handle = nullptr;
    long long value = -1;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(handle);
    return value;
}

double CpuMs(const rusage& usage) {
    return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

double SelfCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuMs(usage);
}

// Runs a program and waits for it; `cpuMs` receives its processor time.
int RunProgram(const std::vector<std::string>& args, double* cpuMs = nullptr) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO); // the tools' chatter never mixes with the figures
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (cpuMs)
        *cpuMs = CpuMs(usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CBenchHost : public CUpdateRunHost {
public:
    void PostProgress(int, int, int) override {}
    bool ConfirmUpdate() override { return true; }
    void UpdateFinished() override { m_bFinished = true; }
    void StageEdition(int stage, int edition) override {
        Mark();
        m_strCurrent = std::to_string(stage) + "/" + std::to_string(edition);
    }
    void RunEnded(bool) override { Mark(); }
    std::atomic<bool> m_bFinished{false};
    std::string m_strTimes; // seconds of each stage (104 to 106) and edition

private:
    void Mark() {
        const auto now = Clock::now();
        if (!m_strCurrent.empty())
            m_strTimes += " " + m_strCurrent + ": " +
                          std::to_string(std::chrono::duration<double>(now - m_last).count()) +
                          " s";
        m_last = now;
    }
    std::string m_strCurrent;
    Clock::time_point m_last = Clock::now();
};

} // namespace

int main(int argc, char** argv) {
    std::string corpus;
    std::string admin = TOLVARIN_ADMIN_BINARY;
    int clients = 50;
    bool row = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--row")
            row = true;
        else if (arg == "--clients" && i + 1 < argc)
            clients = std::atoi(argv[++i]);
        else if (arg == "--admin" && i + 1 < argc)
            admin = argv[++i];
        else
            corpus = arg;
    }
    // With --row, the details go to standard error and only the rows to standard output.
    FILE* out = row ? stderr : stdout;
    if (corpus.empty()) {
        const char* env = std::getenv("TOLVARIN_CORPUS");
        corpus = env && *env ? env : "../shared/corpus/laws-zh.jsonl";
    }
    corpus = std::filesystem::absolute(corpus).string();
    if (!std::filesystem::exists(corpus)) {
        std::fprintf(stderr, "update-bench: corpus %s not found\n", corpus.c_str());
        return 2;
    }
    std::string dir = (std::filesystem::temp_directory_path() / "update-bench-XXXXXX").string();
    if (!mkdtemp(dir.data()))
        return 2;
    const std::string publisherDb = dir + "/publisher.mdb";

    // 1. The yardstick: tolvarin-admin import.
    auto start = Clock::now();
    double importCpu = 0;
    if (RunProgram({admin, "import", corpus, "--force", publisherDb}, &importCpu) != 0) {
        std::fprintf(stderr, "update-bench: %s import failed\n", admin.c_str());
        return 1;
    }
    const double importSeconds = Seconds(start);
    const long long laws = Count(publisherDb, "select count(*) from dornlaws");
    const long long categories = Count(publisherDb, "select count(*) from dorntree");
    const long long links = Count(publisherDb, "select count(*) from dornlawas");
    std::fprintf(out, "corpus: %lld laws, %lld categories, %lld links\n", laws, categories, links);
    std::fprintf(out, "tolvarin-admin import:       %8.2f s\n", importSeconds);

    CPublisherOptions options;
    options.m_strDatabase = publisherDb;
    options.m_nPort = 0;
    options.m_nThreads = 4;
    options.m_nPerAddressLimit = 0; // every client comes from 127.0.0.1
    CPublisher publisher(options);
    std::string error;
    const int port = publisher.Bind(error);
    if (port < 0) {
        std::fprintf(stderr, "update-bench: %s\n", error.c_str());
        return 1;
    }
    std::thread server([&publisher] { publisher.Serve(); });
    const std::string url = "http://127.0.0.1:" + std::to_string(port);

    // 2. A full update of an empty db1.mdb.
    const std::string clientDir = dir + "/client";
    std::filesystem::create_directory(clientDir);
    RunProgram({admin, "init", clientDir + "/db1.mdb"});
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(clientDir);
    CMessageRecorder messages;
    std::atomic<int> downloading{0}, failed{0}, stopRequested{0};
    CSyncEvent stopEvent(true);
    CBenchHost host;
    double updateSeconds = 0;
    double updateCpu = 0;
    {
        CUpdateRun run(downloading, failed, stopRequested, stopEvent);
        CUpdateSettings settings;
        settings.m_strServer = url;
        const double cpuBefore = SelfCpuMs();
        start = Clock::now();
        run.Start(host, settings);
        run.Wait();
        updateSeconds = Seconds(start);
        updateCpu = SelfCpuMs() - cpuBefore;
    }
    std::filesystem::current_path(previous);
    const long long received = Count(clientDir + "/db1.mdb", "select count(*) from dornlaws");
    const long long receivedLinks = Count(clientDir + "/db1.mdb", "select count(*) from dornlawas");
    std::fprintf(out,
                 "full update over loopback:   %8.2f s  (%.0f laws/s; %lld laws, %lld links; "
                 "%s)\n",
                 updateSeconds, static_cast<double>(received) / updateSeconds, received,
                 receivedLinks, host.m_bFinished ? "finished" : "NOT finished");
    std::fprintf(out, "  stages:%s\n", host.m_strTimes.c_str());
    std::fprintf(out, "update / import:             %8.2f    (goal: 3.00 or less)\n",
                 updateSeconds / importSeconds);
    for (const auto& message : messages.Messages())
        std::fprintf(out, "  message: %s\n", message.text.c_str());

    // 3. Many clients at once.
    std::atomic<int> errors{0};
    std::atomic<long long> bytes{0};
    const double concurrentCpuBefore = SelfCpuMs();
    start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            CInternetSession session;
            for (const char* page :
                 {"/demolaws/lawtrees.asp?updatetime=&id=", "/demolaws/law.asp?updatetime=&lawid=",
                  "/demolaws/lawas.asp?updatetime="}) {
                std::string tail;
                long long got = 0;
                std::string why;
                const auto result = session.Fetch(
                    url + page,
                    [&](const char* data, size_t size) {
                        got += static_cast<long long>(size);
                        tail.append(data, size);
                        if (tail.size() > 64)
                            tail.erase(0, tail.size() - 64);
                        return true;
                    },
                    nullptr, why);
                bytes += got;
                if (result != CInternetSession::Result::Done || tail.size() < 8 ||
                    tail.compare(tail.size() - 8, 8, "</tree>\n") != 0) {
                    ++errors;
                    std::fprintf(stderr, "client error on %s: %s\n", page, why.c_str());
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double concurrentSeconds = Seconds(start);
    const double concurrentCpu = SelfCpuMs() - concurrentCpuBefore;
    std::fprintf(out, "%d clients, whole collection each: %8.2f s  (%.1f MB served, %d errors)\n",
                 clients, concurrentSeconds, static_cast<double>(bytes) / 1e6, errors.load());

    if (row) {
        const double ratio = updateSeconds / importSeconds;
        std::printf("| full update from tolvarin-publish over loopback (%lld laws, %lld links) | "
                    "%.0f | %.0f | tolvarin-admin import | %.0f | %.0f | %.2f | ≤ 3× | %s |\n",
                    received, receivedLinks, updateSeconds * 1e3, updateCpu, importSeconds * 1e3,
                    importCpu, ratio, ratio <= 3.0 && host.m_bFinished ? "yes" : "**no**");
        std::printf(
            "| tolvarin-publish: %d clients at once, each the whole collection | %.0f | %.0f "
            "| — | — | — | — | no errors | %s |\n",
            clients, concurrentSeconds * 1e3, concurrentCpu, errors.load() == 0 ? "yes" : "**no**");
    }
    publisher.Stop();
    server.join();
    std::filesystem::remove_all(dir);
    return errors.load() == 0 && host.m_bFinished ? 0 : 1;
}
