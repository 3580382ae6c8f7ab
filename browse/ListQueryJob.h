#pragma once
// The law-list query worker: each listing request runs on a short-lived thread with the one
// worker connection. Workers run one at a time; a newer request stops the older ones (the
// running one at its next row, a waiting one before it reads), whichever worker thread happens
// to run first, and a stop request never reaches a job started after it.
// The worker delivers rows to a CListQuerySink and never touches a widget.

#include "browse/ListQuerySink.h"
#include "browse/ListTaskContext.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// Work for the law-list worker other than one statement; it runs on the worker thread.
using ListTask = std::function<void(CListTaskContext&)>;

class CListQueryJob {
public:
    CListQueryJob(std::string statement, std::shared_ptr<CListQuerySink> list, std::uint64_t token);
    virtual ~CListQueryJob();
    CListQueryJob(const CListQueryJob&) = delete;
    CListQueryJob& operator=(const CListQueryJob&) = delete;

    std::thread::id m_thread;         // the worker thread running the job
    int m_bCancelled = 0;             // guarded by the counter lock
    const std::string m_strStatement; // columns lawid, topic, datum, wenhao, bumen
    const std::shared_ptr<CListQuerySink> m_pList;
    const std::uint64_t m_nToken; // tags everything the job delivers
    ListTask m_task;              // when set, runs instead of the statement
    // The first rows of a split listing are being read, until the time given (worker thread).
    bool m_bFirstRows = false;
    std::chrono::steady_clock::time_point m_firstRowsUntil;
};

// Registers a job for `sql` and starts its worker; returns the job's token (never 0).
std::uint64_t StartListQuery(const std::string& sql, std::shared_ptr<CListQuerySink> list);

// The same for a task of its own: it runs on the worker, one at a time with the listings,
// and is stopped as they are.
std::uint64_t StartListTask(ListTask task, std::shared_ptr<CListQuerySink> list);

// The worker; takes ownership of the job and destroys it at its end. Returns 0.
unsigned ListQueryThreadProc(CListQueryJob* job);

// The main window wants to close: sets the close flag and answers the number of jobs still
// registered. When that is above 0, the last job to end posts WM_CLOSE to the main window.
int RequestClose();

// Asks every registered job to stop: the running one at its next row.
void StopListQuery();

// A new main window starts without a pending close.
void ResetListQueryClose();

// Jobs started and not yet finished.
int GetListQueryJobCount();

// Waits until every worker thread has ended; false on timeout. For the end of the program
// and for tests.
bool WaitForListQueriesIdle(std::chrono::milliseconds timeout);

// Closes the worker connection once no worker holds it (the next job connects again).
void CloseListQueryConnection();

// Test support: a registered job has a stop request it has not taken yet.
bool IsListQueryStopSignalled();
