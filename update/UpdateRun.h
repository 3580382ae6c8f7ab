#pragma once

#include "update/UpdateSettings.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CSyncEvent;
class CUpdateRunHost;

// One online update: three workers started at once that run strictly one after the other
// (categories, laws, law-category links), each waiting for the end of the one before it.
// Each downloads its stream for the Chinese and then the English edition and merges it.
// The flags and the stop event belong to the caller (the main window) and are shared with
// the workers.
class CUpdateRun {
public:
    CUpdateRun(std::atomic<int>& downloading, std::atomic<int>& updateFailed,
               std::atomic<int>& stopRequested, CSyncEvent& stopEvent);
    ~CUpdateRun();
    CUpdateRun(const CUpdateRun&) = delete;
    CUpdateRun& operator=(const CUpdateRun&) = delete;

    // Starts a run (the update command). Does nothing and answers false while one is in
    // progress. The host must outlive the run.
    bool Start(CUpdateRunHost& host, const CUpdateSettings& settings);
    // The stop command: signals the stop event when a run is in progress, and marks the stop
    // as requested in any case.
    void Stop();
    // Waits until the workers of the last run have ended.
    void Wait();

    // The closing warning of a run that merged records with replaced bytes (each entry names
    // a record and its count of replaced bytes).
    static std::string ReplacedWarning(const std::vector<std::string>& records);

private:
    enum class Stage { Tree, Law, Link };
    void Worker(Stage stage);
    template <class TUpdater>
    void RunStage(Stage stage, TUpdater& updater, std::string& error, bool& goOn);

    // Tells the host about the records merged with replaced bytes, at the end of the run.
    void ReportReplaced();

    std::mutex m_replacedLock;
    std::vector<std::string> m_replaced;
    std::atomic<int>& m_bDownloading;
    std::atomic<int>& m_bUpdateFailed;
    std::atomic<int>& m_bStopRequested;
    CSyncEvent& m_stopEvent;
    CUpdateRunHost* m_pHost = nullptr;
    CUpdateSettings m_settings;
    std::thread m_hTreeThread;
    std::thread m_hLawThread;
    std::thread m_hLinkThread;
};
