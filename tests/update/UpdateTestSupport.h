#pragma once
// Helpers of the update tests: a scratch working directory with an empty db1.mdb, direct
// SQLite reads, a recording run host, the publisher and a scripted server on loopback.

#include "ground/MessageService.h"
#include "ground/SyncEvent.h"
#include "tools/publish/Publisher.h"
#include "update/UpdateRun.h"
#include "update/UpdateRunHost.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
class Request;
class Response;
} // namespace httplib

using Rows = std::vector<std::vector<std::string>>;

// A fresh directory made the working directory, holding an empty db1.mdb.
class CScratchDir {
public:
    CScratchDir();
    ~CScratchDir();
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;
    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& name) const { return m_strPath + "/" + name; }

private:
    std::string m_strPath;
    std::string m_strPrevious;
};

// Creates an empty collection (both editions' tables) at `path`.
void CreateCollection(const std::string& path);
// Runs statements on a database file directly; fails the test on an error.
void Exec(const std::string& path, const std::string& sql);
// All rows of a query, NULL as "<null>".
Rows Query(const std::string& path, const std::string& sql);
// Empty when the search index of both editions holds exactly the laws of their tables;
// otherwise what differs.
std::string IndexDifference(const std::string& path);

// Host of a run: answers the confirmation, records progress and the end.
class CTestHost : public CUpdateRunHost {
public:
    explicit CTestHost(bool confirm = true) : m_bConfirm(confirm) {}
    void PostProgress(int message, int total, int count) override;
    bool ConfirmUpdate() override;
    void UpdateFinished() override;
    void RunEnded(bool success) override;
    void RunWarning(const std::string& text) override;
    // The run's closing warning ("" for none).
    std::string Warning() const;
    // Called with every progress report (on the worker's thread), e.g. to stop the run.
    std::function<void(int message, int total, int count)> m_onProgress;

    struct Progress {
        int message, total, count;
    };
    std::vector<Progress> ProgressLog() const;
    int Finished() const { return m_nFinished; }
    int Confirmations() const { return m_nConfirmations; }
    bool Ended() const { return m_bEnded; }

private:
    bool m_bConfirm;
    mutable std::mutex m_mutex;
    std::vector<Progress> m_log;
    std::string m_strWarning;
    std::atomic<int> m_nFinished{0};
    std::atomic<int> m_nConfirmations{0};
    std::atomic<bool> m_bEnded{false};
};

// The run's shared state as the main window holds it, and one run to completion.
struct CRunFixture {
    std::atomic<int> m_bDownloading{0};
    std::atomic<int> m_bUpdateFailed{0};
    std::atomic<int> m_bStopRequested{0};
    CSyncEvent m_stopEvent{true};
    CUpdateRun m_run{m_bDownloading, m_bUpdateFailed, m_bStopRequested, m_stopEvent};

    // Starts a run against `server` and waits for its end.
    void RunTo(const std::string& server, CTestHost& host, const std::string& charset = "GBK");
};

// The publisher on a free loopback port, serving from its own thread.
class CPublisherThread {
public:
    explicit CPublisherThread(const std::string& database, int maxRecords = 0);
    ~CPublisherThread();
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort); }
    CPublisher& Publisher() { return *m_pPublisher; }

private:
    std::unique_ptr<CPublisher> m_pPublisher;
    std::thread m_thread;
    int m_nPort = -1;
};

// A server whose pages answer what the test scripts; records every request target.
class CScriptedServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
    CScriptedServer();
    ~CScriptedServer();
    // Answers `path` with fixed bytes.
    void SetReply(const std::string& path, const std::string& bytes);
    void SetHandler(const std::string& path, Handler handler);
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort); }
    // Request targets ("/demolaws/law.asp?updatetime=&lawid=") in arrival order.
    std::vector<std::string> Requests() const;
    int RequestCount(const std::string& path) const;

private:
    std::unique_ptr<httplib::Server> m_pServer;
    std::thread m_thread;
    int m_nPort = -1;
    mutable std::mutex m_mutex;
    std::map<std::string, Handler> m_handlers;
    std::vector<std::string> m_requests;
};

// A publisher collection of both editions: categories on three levels, laws whose texts
// need the entities, a title with a quote, links to every level.
void FillPublisher(const std::string& db);
// Everything a client database stores, for comparisons.
Rows Snapshot(const std::string& db);
// Makes `server` relay the publisher's replies in 64-byte pieces with a pause before each.
void RelaySlowly(CScriptedServer& server, CPublisher& source, std::chrono::milliseconds pause);
// Makes `server` relay the publisher's replies as GBK text, each first given to `edit` with
// the page's path.
void RelayEdited(CScriptedServer& server, CPublisher& source,
                 std::function<void(const std::string& path, std::string& reply)> edit);

// Wire text of a UTF-8 text (GB18030).
std::string Gbk(const std::string& utf8);

// The six page paths.
inline constexpr const char* kTreePage = "/demolaws/lawtrees.asp";
inline constexpr const char* kEnTreePage = "/demolaws/en_lawtrees.asp";
inline constexpr const char* kLawPage = "/demolaws/law.asp";
inline constexpr const char* kEnLawPage = "/demolaws/en_law.asp";
inline constexpr const char* kLinkPage = "/demolaws/lawas.asp";
inline constexpr const char* kEnLinkPage = "/demolaws/en_lawas.asp";
