// What tolvarin-publish withstands, measured over loopback against the real program:
//  1. slow clients that trickle a request header line every 2 s, spread over source
//     addresses 127.0.0.2... (within the limit per address), while a probe asks for a page
//     every 250 ms: probes answered, slowest probe, slow connections still held;
//  2. the same number of clients that ask for a huge law and never read the reply;
//  3. first of all, the publisher's peak memory for one and for four readers of a huge law.
//
//   publish-bench [--slow N] [--huge-mb N] [--seconds N]
//
// Defaults: 300 slow clients, a 100 MB law, 12 s per slow-client round.
#include "data/Schema.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int Connect(const std::string& source, int port, int receiveBuffer) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    to.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool Send(int fd, const std::string& bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// One whole request: the seconds it took, or -1 when it failed or took over `limit` s. The
// reply's bytes are counted into `bytes`.
double Get(int port, const std::string& target, double limit, long long* bytes = nullptr) {
    const auto start = Clock::now();
    const int fd = Connect("127.0.0.1", port, 0);
    if (fd < 0)
        return -1;
    Send(fd, "GET " + target + " HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n");
    std::vector<char> buffer(1 << 16);
    std::string head;
    long long total = 0;
    for (;;) {
        const double left = limit - std::chrono::duration<double>(Clock::now() - start).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) {
            close(fd);
            return -1;
        }
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n < 0) {
            close(fd);
            return -1;
        }
        if (n == 0)
            break;
        if (head.size() < 512)
            head.append(buffer.data(), static_cast<size_t>(std::min<ssize_t>(n, 512)));
        total += n;
    }
    close(fd);
    if (bytes)
        *bytes = total;
    if (head.rfind("HTTP/1.1 200", 0) != 0 || head.find("<header>") == std::string::npos)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long StatusKb(pid_t pid, const char* field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

void Exec(const std::string& db, const std::string& sql) {
    sqlite3* handle = nullptr;
    sqlite3_open(db.c_str(), &handle);
    char* message = nullptr;
    if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "publish-bench: %s\n", message ? message : "?");
        std::exit(1);
    }
    sqlite3_close(handle);
}

struct ProbeFigures {
    int sent = 0;
    int answered = 0;
    double slowest = 0;
};

ProbeFigures ProbeFor(int port, double seconds, const std::function<void(int)>& everyTwoSeconds) {
    ProbeFigures figures;
    const auto start = Clock::now();
    int ticks = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed >= 2.0 * (ticks + 1))
            everyTwoSeconds(++ticks);
        const double took = Get(port, "/demolaws/lawas.asp?updatetime=2030-01-01%2000:00:00", 5);
        ++figures.sent;
        if (took >= 0 && took <= 1.0)
            ++figures.answered;
        figures.slowest = std::max(figures.slowest, took < 0 ? 5.0 : took);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return figures;
}

int StillOpen(const std::vector<int>& fds) {
    int open = 0;
    for (const int fd : fds) {
        pollfd p{fd, POLLIN, 0};
        char c;
        if (poll(&p, 1, 0) == 1 && recv(fd, &c, 1, MSG_PEEK) == 0)
            continue; // closed by the server
        ++open;
    }
    return open;
}

} // namespace

int main(int argc, char** argv) {
    int slow = 300;
    int hugeMb = 100;
    double seconds = 12;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--slow")
            slow = std::atoi(argv[i + 1]);
        else if (arg == "--huge-mb")
            hugeMb = std::atoi(argv[i + 1]);
        else if (arg == "--seconds")
            seconds = std::atof(argv[i + 1]);
    }
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    std::signal(SIGPIPE, SIG_IGN);

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("publish-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string db = (dir / "collection.db").string();
    std::string error;
    if (!CSchema::CreateDatabase(db, true, error)) {
        std::fprintf(stderr, "publish-bench: %s\n", error.c_str());
        return 1;
    }
    const int lines = hugeMb * 1024 * 1024 / 20;
    Exec(db, "insert into dornlaws(lawid,topic,body,oldid,updatetime) values(1,'巨',"
             "replace(hex(zeroblob(" +
                 std::to_string(lines) +
                 ")),'00','第一条 a>b & c' || char(13,10)),'1','2009-01-01 00:00:00')");
    Exec(db, "insert into dornlawas(lawid,treeid,updatetime) values(1,33554432,"
             "'2009-01-01 00:00:00')");

    int out[2];
    if (pipe(out) != 0)
        return 1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(TOLVARIN_PUBLISH_BINARY, "tolvarin-publish", "--db", db.c_str(), "--port", "0",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* started = fdopen(out[0], "r");
    char line[512] = {};
    if (!fgets(line, sizeof line, started)) {
        std::fprintf(stderr, "publish-bench: the publisher did not start\n");
        return 1;
    }
    const std::string text = line;
    const int port = std::stoi(text.substr(text.rfind(':', text.find(" (")) + 1));
    std::printf("tolvarin-publish with its defaults (4 threads, 20 s timeout, 32 connections "
                "per address); %d slow clients over %d source addresses; a probe every 250 ms "
                "must be answered within 1 s\n\n",
                slow, (slow + 29) / 30);
    const long idleKb = StatusKb(pid, "VmRSS:");

    auto source = [](int i) { return "127.0.0." + std::to_string(2 + i / 30); };
    auto report = [&](const char* what, const ProbeFigures& f, int held) {
        std::printf("| %s | %d of %d | %.3f | %d of %d | %.1f |\n", what, f.answered, f.sent,
                    f.slowest, held, slow, static_cast<double>(StatusKb(pid, "VmRSS:")) / 1024);
        std::fflush(stdout);
    };
    // 3. Memory of whole replies of the huge law, read at full speed.
    const long beforeKb = StatusKb(pid, "VmHWM:");
    long long bytes = 0;
    const double one = Get(port, "/demolaws/law.asp?updatetime=&lawid=", 600, &bytes);
    const long oneKb = StatusKb(pid, "VmHWM:");
    std::vector<std::thread> readers;
    std::vector<double> took(4);
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&, i] {
            took[static_cast<size_t>(i)] = Get(port, "/demolaws/law.asp?updatetime=&lawid=", 600);
        });
    for (std::thread& t : readers)
        t.join();
    const long fourKb = StatusKb(pid, "VmHWM:");
    std::printf("| huge law (%.0f MB on the wire) | time (s) | publisher peak resident memory "
                "(MB) |\n|---|---|---|\n",
                static_cast<double>(bytes) / 1e6);
    std::printf("| before | — | %.1f |\n", static_cast<double>(beforeKb) / 1024);
    std::printf("| one reader | %.2f | %.1f |\n", one, static_cast<double>(oneKb) / 1024);
    std::printf("| four readers at once | %.2f (slowest) | %.1f |\n",
                *std::max_element(took.begin(), took.end()), static_cast<double>(fourKb) / 1024);

    std::printf("\n| situation | probes answered within 1 s | slowest probe (s) | slow connections "
                "held | publisher resident memory (MB) |\n|---|---|---|---|---|\n");
    ProbeFigures idle = ProbeFor(port, 2, [](int) {});
    std::printf("| no slow clients | %d of %d | %.3f | — | %.1f |\n", idle.answered, idle.sent,
                idle.slowest, static_cast<double>(idleKb) / 1024);

    // 1. Request headers that trickle in, one line every 2 s.
    std::vector<int> fds;
    for (int i = 0; i < slow; ++i) {
        const int fd = Connect(source(i), port, 0);
        if (fd >= 0 && Send(fd, "GET /demolaws/lawtrees.asp HTTP/1.1\r\n"))
            fds.push_back(fd);
    }
    ProbeFigures trickle = ProbeFor(port, seconds, [&](int tick) {
        for (const int fd : fds)
            Send(fd, "X-Slow-" + std::to_string(tick) + ": 1\r\n");
    });
    report("request header lines every 2 s", trickle, StillOpen(fds));
    for (const int fd : fds)
        close(fd);
    fds.clear();
    std::this_thread::sleep_for(std::chrono::seconds(1));

    // 2. Law replies that are never read.
    for (int i = 0; i < slow; ++i) {
        const int fd = Connect(source(i), port, 4096);
        if (fd >= 0 && Send(fd, "GET /demolaws/law.asp?updatetime=&lawid= HTTP/1.1\r\n"
                                "Host: bench\r\n\r\n"))
            fds.push_back(fd);
    }
    ProbeFigures unread = ProbeFor(port, seconds, [](int) {});
    report("law replies (huge law) never read", unread, StillOpen(fds));
    for (const int fd : fds)
        close(fd);
    fds.clear();
    std::this_thread::sleep_for(std::chrono::seconds(1));

    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    fclose(started);
    std::filesystem::remove_all(dir);
    const bool ok = trickle.answered == trickle.sent && unread.answered == unread.sent && one > 0;
    return ok ? 0 : 1;
}
