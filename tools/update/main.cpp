// tolvarin-update: the online update without a window. Brings a collection (db1.mdb of the
// working directory unless named) up to date from the publisher's server.
#include "data/CollectionFile.h"
#include "data/CollectionLocator.h"
#include "data/DbConnection.h"
#include "ground/AppConstants.h"
#include "ground/MessageService.h"
#include "ground/SyncEvent.h"
#include "update/UpdateRun.h"
#include "update/UpdateRunHost.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::mutex g_outputLock;
bool g_bTerminal = false;
bool g_bLineOpen = false; // a progress bar stands on the current terminal line

void CloseProgressLine() {
    if (g_bLineOpen) {
        std::fputs("\n", stderr);
        g_bLineOpen = false;
    }
}

// Message boxes become lines on standard error.
class CStderrMessages : public CMessageService {
public:
    void Show(const std::string& text, const std::string& /*caption*/, MsgIcon /*icon*/) override {
        std::lock_guard lock(g_outputLock);
        CloseProgressLine();
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
};

const char* StageText(int stage) {
    switch (stage) {
    case UpdateMsg::kTreeProgress:
        return "正在下载目录信息";
    case UpdateMsg::kLawProgress:
        return "正在下载法规信息";
    default:
        return "正在下载分类信息";
    }
}

const char* EditionText(int edition) {
    return edition == 0 ? "中文" : "英文";
}

class CTerminalHost : public CUpdateRunHost {
public:
    CTerminalHost(bool yes, CSyncEvent& stopEvent) : m_bYes(yes), m_stopEvent(stopEvent) {}

    void StageEdition(int stage, int edition) override {
        std::lock_guard lock(g_outputLock);
        Flush(true);
        CloseProgressLine(); // each stage and edition keeps its own finished bar
        m_nStage = stage;
        m_nEdition = edition;
        m_nTotal = m_nCount = 0;
        // A terminal shows the empty bar at once; plain lines wait for the first record.
        m_bShown = !g_bTerminal;
        if (g_bTerminal)
            Draw(true);
    }

    void PostProgress(int message, int total, int count) override {
        std::lock_guard lock(g_outputLock);
        m_nStage = message;
        m_nTotal = total;
        m_nCount = count;
        m_bShown = false;
        Draw(false);
    }

    void PostStatus(const std::string& text) override {
        if (text.empty())
            return;
        std::lock_guard lock(g_outputLock);
        Flush(true);
        CloseProgressLine();
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }

    bool ConfirmUpdate() override {
        if (m_bYes)
            return true;
        {
            std::lock_guard lock(g_outputLock);
            CloseProgressLine();
            std::fputs("数据更新：从服务器下载新的分类、法规和分类链接吗？[y/N] ", stderr);
            std::fflush(stderr);
        }
        std::string answer;
        // Reads the answer while watching the stop event (Ctrl+C gives up).
        for (;;) {
            if (m_stopEvent.IsSet())
                return false;
            pollfd fd{STDIN_FILENO, POLLIN, 0};
            const int ready = poll(&fd, 1, 100);
            if (ready < 0)
                return false;
            if (ready == 0)
                continue;
            char c = 0;
            if (read(STDIN_FILENO, &c, 1) != 1)
                return false;
            if (c == '\n')
                break;
            answer += c;
        }
        return answer == "y" || answer == "Y" || answer == "yes" || answer == "确定";
    }

    void UpdateFinished() override {
        std::lock_guard lock(g_outputLock);
        Flush(true);
        CloseProgressLine();
        std::fputs("下载完成!\n", stderr);
        m_bFinished = true;
    }

    void RunWarning(const std::string& text) override {
        std::lock_guard lock(g_outputLock);
        m_strWarning = text;
    }
    void RunEnded(bool /*success*/) override {
        std::lock_guard lock(g_outputLock);
        Flush(true);
        CloseProgressLine();
        // The records merged with replaced bytes are the last word of the run.
        if (!m_strWarning.empty())
            std::fprintf(stderr, "%s\n", m_strWarning.c_str());
        std::fflush(stderr);
    }

    bool Finished() const { return m_bFinished; }

private:
    // Shows the state now when `force`, else at most ten times a second on a terminal and
    // once a second in plain lines.
    void Draw(bool force) {
        const auto now = std::chrono::steady_clock::now();
        const auto gap = g_bTerminal ? std::chrono::milliseconds(100) : std::chrono::seconds(1);
        if (!force && now - m_lastDraw < gap && m_nCount != m_nTotal)
            return;
        m_lastDraw = now;
        m_bShown = true;
        if (m_nStage == 0)
            return;
        if (g_bTerminal) {
            constexpr int kWidth = 30;
            const int filled = m_nTotal > 0
                                   ? static_cast<int>(static_cast<long long>(kWidth) *
                                                      std::min(m_nCount, m_nTotal) / m_nTotal)
                                   : 0;
            std::string bar;
            for (int i = 0; i < kWidth; ++i)
                bar += i < filled ? "#" : "-";
            std::fprintf(stderr, "\r%s（%s） [%s] %d/%d\x1b[K", StageText(m_nStage),
                         EditionText(m_nEdition), bar.c_str(), m_nCount, m_nTotal);
            g_bLineOpen = true;
        } else {
            std::fprintf(stderr, "%s ... ( %d/%d ) %s\n", StageText(m_nStage), m_nCount, m_nTotal,
                         EditionText(m_nEdition));
        }
        std::fflush(stderr);
    }
    // Makes sure the last state has been shown.
    void Flush(bool) {
        if (!m_bShown && m_nStage != 0)
            Draw(true);
    }

    bool m_bYes;
    CSyncEvent& m_stopEvent;
    int m_nStage = 0;
    int m_nEdition = 0;
    int m_nTotal = 0;
    int m_nCount = 0;
    bool m_bShown = true;
    bool m_bFinished = false;
    std::string m_strWarning;
    std::chrono::steady_clock::time_point m_lastDraw;
};

void Usage(std::ostream& out) {
    out << "Usage: tolvarin-update [--yes] [--db FILE] [--server URL] [--charset NAME]\n"
           "Brings a collection up to date from the publisher's server (categories, laws\n"
           "and their links, Chinese and English editions): FILE, else db1.mdb of the\n"
           "working directory, else the user's $XDG_DATA_HOME/tolvarin/db1.mdb.\n"
           "  --yes          do not ask before the download\n"
           "  --db FILE      the collection to bring up to date\n"
           "  --server URL   the server\n"
           "  --charset NAME the wire charset\n"
           "The server and the charset are taken from, the strongest first:\n"
           "  1. --server and --charset;\n"
           "  2. the environment variables TOLVARIN_UPDATE_SERVER and TOLVARIN_UPDATE_CHARSET;\n"
           "  3. [Update] Server and Charset of $XDG_CONFIG_HOME/morvexal/tolvarin.conf\n"
           "     (~/.config/morvexal/tolvarin.conf), the window's settings;\n"
           "  4. the same in each folder of $XDG_CONFIG_DIRS (/etc/xdg/morvexal/tolvarin.conf);\n"
           "  5. "
        << CUpdateSettings::kDefaultServer
        << " and GBK.\n"
           "Ctrl+C stops the run. The exit status is 0 only when the whole run succeeded;\n"
           "a run that merged records with bytes invalid in the reply's charset (stored as\n"
           "U+FFFD) succeeded, exits 0 and names them on its last line, which begins\n"
           "with \"注意：\".\n";
}

} // namespace

int main(int argc, char** argv) {
    bool yes = false;
    CUpdateSettings settings;
    settings.ApplyConfigFiles();
    settings.ApplyEnvironment();
    std::string database;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--yes" || arg == "-y") {
            yes = true;
        } else if (arg == "--server" && i + 1 < argc) {
            settings.m_strServer = argv[++i];
        } else if (arg == "--db" && i + 1 < argc) {
            database = argv[++i];
        } else if (arg == "--charset" && i + 1 < argc) {
            settings.m_strCharset = argv[++i];
        } else if (arg == "--version") {
            std::cout << "tolvarin-update " << kProductVersion << "\n";
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        } else {
            std::cerr << "tolvarin-update: bad argument " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
    }
    g_bTerminal = isatty(STDERR_FILENO) != 0;
    if (database.empty()) {
        const std::string user = CCollectionLocator::UserCollectionFile();
        database =
            access(kDatabaseFileName, F_OK) != 0 && !user.empty() && access(user.c_str(), F_OK) == 0
                ? user
                : kDatabaseFileName;
    }
    if (access(database.c_str(), F_OK) != 0) {
        std::cerr << "tolvarin-update: there is no " << CCollectionLocator::Absolute(database)
                  << (database == kDatabaseFileName
                          ? " (nor " + CCollectionLocator::UserCollectionFile() + ")"
                          : std::string())
                  << " (tolvarin-admin init makes an empty one)\n";
        return 1;
    }
    SetCollectionFile(database);
    {
        CDbConnection db;
        if (db.Connect(GetConnectionString().c_str(), 0) && db.IsReadOnly()) {
            std::cerr << "tolvarin-update: " << CCollectionLocator::Absolute(database)
                      << " is on a read-only medium or in a place this user may not write; "
                         "copy it to a writable place to update it\n";
            return 1;
        }
    }

    // Ctrl+C and SIGTERM act like the stop command, from a thread of their own.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CStderrMessages messages;
    SetMessageService(&messages);
    std::atomic<int> downloading{0}, updateFailed{0}, stopRequested{0};
    CSyncEvent stopEvent(true);
    CTerminalHost host(yes, stopEvent);
    int exitCode = 1;
    {
        CUpdateRun run(downloading, updateFailed, stopRequested, stopEvent);
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            const timespec tick{0, 100 * 1000 * 1000};
            while (!done.load()) {
                if (sigtimedwait(&signals, nullptr, &tick) > 0) {
                    run.Stop();
                    std::lock_guard lock(g_outputLock);
                    CloseProgressLine();
                    std::fputs("正在停止...\n", stderr);
                }
            }
        });
        run.Start(host, settings);
        run.Wait();
        done = true;
        watcher.join();
        exitCode = host.Finished() ? 0 : 1;
    }
    SetMessageService(nullptr);
    return exitCode;
}
