#include "browse/ListQueryJob.h"

#include "browse/FirstRowsPlan.h"
#include "data/CollectionFile.h"
#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/SearchIndex.h"
#include "ground/FrameMessageTarget.h"

#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <system_error>

namespace {

// The stop request: every job whose token is below this is asked to stop. A newer request
// raises it to its own token, so that it reaches the older jobs only, whichever of their
// threads runs first; a stop for all (closing, clearing the list) raises it above every job
// started so far. A request never reaches a job started after it.
std::atomic<std::uint64_t> g_nStopBelow{0};
// Guards the job count, the close flag, every job's cancelled flag, the live jobs and every
// change of the stop request. Never held while waiting for the run lock.
std::mutex g_listCounterLock;
// Held by a worker from its start to its end: one worker on the list and the connection.
std::mutex g_listRunLock;
int g_nListJobs = 0;
// Tokens of registered jobs that have not taken a stop request.
std::set<std::uint64_t> g_listLive;
int g_bListClose = 0;
// Threads not yet completely finished (their job destroyed, the run lock released).
int g_nListThreads = 0;
std::condition_variable g_listIdle;
CDbConnection g_listConnection;
std::atomic<std::uint64_t> g_nNextToken{0};

// Rows of the first batches: the user sees the first 15 and the first 30 rows at once.
constexpr size_t kFirstBatchRows = 15;
constexpr size_t kFirstRepaintRows = 30;
// Later batches: at most this many rows, or what came within the interval.
constexpr size_t kBatchRows = 2000;
constexpr auto kBatchInterval = std::chrono::milliseconds(40);

bool StopRequested(const CListQueryJob* job) {
    return job->m_nToken < g_nStopBelow.load();
}

// Raises the stop request to `below` (never lowers it). Under the counter lock.
void RequestStopBelow(std::uint64_t below) {
    if (below > g_nStopBelow.load())
        g_nStopBelow.store(below);
}

bool JobStopped(CListQueryJob* job) {
    std::lock_guard lock(g_listCounterLock);
    if (job->m_bCancelled)
        return true;
    if (StopRequested(job)) {
        job->m_bCancelled = 1;
        g_listLive.erase(job->m_nToken);
        return true;
    }
    return false;
}

// Hands a job's rows to its list in batches: the first 15 and the first 30 rows at once,
// later ones in batches of at most kBatchRows or what came within kBatchInterval.
// `delivered` counts the rows of the listing delivered so far.
class RowBatches {
public:
    RowBatches(CListQueryJob* job, size_t& delivered) : m_job(job), m_delivered(delivered) {}
    ~RowBatches() { Flush(); }
    RowBatches(const RowBatches&) = delete;
    RowBatches& operator=(const RowBatches&) = delete;

    void Add(CLawRow&& row) {
        m_batch.push_back(std::move(row));
        if (m_delivered < kFirstRepaintRows) {
            if (m_batch.size() >= kFirstBatchRows)
                Flush();
        } else if (m_batch.size() >= kBatchRows || (m_batch.size() % 64 == 0 && Due())) {
            Flush();
        }
    }
    // Rows that come slowly are not held back: the first ones, or any after the interval.
    void FlushIfWaiting() {
        if (!m_batch.empty() && (m_delivered < kFirstRepaintRows || Due()))
            Flush();
    }
    void Flush() {
        if (m_batch.empty())
            return;
        m_delivered += m_batch.size();
        m_job->m_pList->AppendRows(m_job->m_nToken, std::move(m_batch),
                                   m_delivered <= kFirstRepaintRows);
        m_batch = {};
        m_batchStart = std::chrono::steady_clock::now();
    }

private:
    bool Due() const { return std::chrono::steady_clock::now() - m_batchStart >= kBatchInterval; }

    CListQueryJob* m_job;
    size_t& m_delivered;
    std::vector<CLawRow> m_batch;
    std::chrono::steady_clock::time_point m_batchStart = std::chrono::steady_clock::now();
};

// Delivers the rows of `rs` to the job's list, but for the first `skip`; `delivered` counts
// the rows of the listing delivered so far, by this statement and the ones before it.
void Fill(CListQueryJob* job, CDbRecordset& rs, size_t& delivered, size_t skip = 0) {
    for (; skip > 0 && !rs.IsEOF(); --skip)
        rs.MoveNext();
    RowBatches batches(job, delivered);
    const bool snippets = rs.HasField("snippet");
    while (!rs.IsEOF() && !JobStopped(job)) {
        CLawRow row;
        if (snippets)
            rs.GetString(row.m_strSnippet, "snippet", -1);
        rs.GetString(row.m_strTopic, "topic", -1);
        rs.GetString(row.m_strDatum, "datum", 10);
        rs.GetString(row.m_strWenhao, "wenhao", -1);
        rs.GetString(row.m_strBumen, "bumen", -1);
        rs.GetInt(row.m_nLawId, "lawid");
        batches.Add(std::move(row));
        rs.MoveNext();
    }
}

// The context of a task: its rows go to the list as a listing's do.
class TaskContext final : public CListTaskContext {
public:
    explicit TaskContext(CListQueryJob* job) : m_job(job), m_batches(job, m_delivered) {}

    CDbConnection& Connection() override { return g_listConnection; }
    bool Deliver(std::vector<CLawRow>&& rows) override {
        if (JobStopped(m_job))
            return false;
        for (CLawRow& row : rows)
            m_batches.Add(std::move(row));
        m_batches.FlushIfWaiting();
        return true;
    }
    bool Stopped() override { return JobStopped(m_job); }
    void Fail(const std::string& text, int code) override {
        m_batches.Flush();
        if (!JobStopped(m_job))
            m_job->m_pList->FailListing(m_job->m_nToken, CListFailure{text, code, false});
    }

private:
    CListQueryJob* m_job;
    size_t m_delivered = 0;
    RowBatches m_batches;
};

// Called by SQLite every few thousand steps of a statement on the worker connection: a stop
// request for the running job makes the statement end as if it had failed. The request is
// taken by the job itself. So does the end of the time given to the first rows.
int StopInterrupts(void* data) {
    auto* job = static_cast<CListQueryJob*>(data);
    if (StopRequested(job))
        return 1;
    return job->m_bFirstRows && std::chrono::steady_clock::now() >= job->m_firstRowsUntil ? 1 : 0;
}
constexpr int kProgressSteps = 10000;

// The first rows of a large listing are looked for this long at most, and this many at most,
// before the rest is sorted (CFirstRowsPlan).
constexpr auto kFirstRowsTime = std::chrono::milliseconds(30);
constexpr size_t kFirstRowsLimit = 1000;
// Title searches with at most this many candidates in the title index read only those.
constexpr size_t kNarrowedLimit = 5000;

void RunListing(CListQueryJob* job) {
    CFirstRowsPlan plan;
    size_t delivered = 0;
    std::string statement = job->m_strStatement;
    sqlite3* db = g_listConnection.GetConnectionHandle();
    // What a split listing reads (the title index's candidates, the first rows, the rest)
    // comes from one snapshot: an update committed in between must not shift the rows the
    // rest passes over, nor add a law the candidates did not name.
    const bool snapshot = CFirstRowsPlan::Split(statement, plan) && db &&
                          sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    // A title search whose words the title index finds in few laws reads only those laws:
    // its first rows would otherwise wait for every link of the collection to be joined.
    std::vector<int> lawids;
    std::int64_t indexed = 0;
    const bool narrowed = snapshot && !plan.GetTitleWords().empty() &&
                          CSearchIndex::Candidates(db, plan.GetLawTable(), "topic",
                                                   plan.GetTitleWords(), lawids, indexed) &&
                          indexed == CSearchIndex::kComplete && lawids.size() <= kNarrowedLimit;
    if (narrowed)
        statement = plan.Narrowed(lawids);
    if (snapshot && !narrowed) {
        CDbRecordset first;
        job->m_firstRowsUntil = std::chrono::steady_clock::now() + kFirstRowsTime;
        job->m_bFirstRows = true;
        // A collection without the law list's index cannot prepare the statement: the listing
        // then comes from its own statement alone, as does one cut short by a failed read.
        if (first.Open(&g_listConnection, plan.FirstRows(kFirstRowsLimit)))
            Fill(job, first, delivered);
        job->m_bFirstRows = false;
        first.Close();
        // The rows shown are read again and passed over (with an offset the engine would read
        // them all the same, and it plans such a statement less well).
        if (delivered > 0)
            statement = plan.Rest();
    }
    if (!JobStopped(job)) {
        CDbRecordset rs;
        const size_t shown = delivered;
        const bool opened = rs.Open(&g_listConnection, statement) != 0;
        if (opened)
            Fill(job, rs, delivered, shown);
        rs.Close();
        // Take the stop request that interrupted the statement, if one did. A read that
        // failed otherwise cut the listing short, and a statement the engine refused read
        // nothing at all: either way the list must say so, never show "no records".
        // A statement that fails at its first row for what it asks (a like pattern too long)
        // counts as refused: it read nothing of the collection.
        if (!JobStopped(job) && rs.HasFailed())
            job->m_pList->FailListing(
                job->m_nToken,
                CListFailure{rs.GetFailure(), rs.GetFailureCode(),
                             !opened && (rs.GetFailureCode() & 0xff) == SQLITE_ERROR});
        else if (!opened && !JobStopped(job) && g_listConnection.IsOpen())
            job->m_pList->FailListing(
                job->m_nToken, CListFailure{g_listConnection.GetLastError(), SQLITE_ERROR, true});
    }
    // Only read: ending it cannot lose anything.
    if (snapshot)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The thread's last touch of anything shared. Notifying under the lock keeps a waiter that
// ends the program from destroying the condition before the notification is done.
void ThreadEnded() {
    std::lock_guard lock(g_listCounterLock);
    --g_nListThreads;
    g_listIdle.notify_all();
}

} // namespace

CListQueryJob::CListQueryJob(std::string statement, std::shared_ptr<CListQuerySink> list,
                             std::uint64_t token)
    : m_strStatement(std::move(statement)), m_pList(std::move(list)), m_nToken(token) {}

CListQueryJob::~CListQueryJob() = default;

namespace {

std::uint64_t StartJob(const std::string& sql, ListTask task,
                       std::shared_ptr<CListQuerySink> list) {
    const std::uint64_t token = ++g_nNextToken;
    auto* job = new CListQueryJob(sql, std::move(list), token);
    job->m_task = std::move(task);
    {
        std::lock_guard lock(g_listCounterLock);
        ++g_nListJobs;
        g_listLive.insert(token);
        ++g_nListThreads;
        job->m_bCancelled = 0;
        // Every older job still registered is asked to stop: the running one at its next
        // row, a waiting one before it reads anything.
        RequestStopBelow(token);
    }
    try {
        // The job belongs to the worker from here on: it may end and destroy the job before
        // this thread runs again, so the worker records its own id.
        std::thread worker(ListQueryThreadProc, job);
        worker.detach();
    } catch (const std::system_error&) {
        // No thread: the request ends as an empty listing.
        job->m_pList->BeginListing(token);
        job->m_pList->EndListing(token);
        bool postClose = false;
        {
            std::lock_guard lock(g_listCounterLock);
            --g_nListJobs;
            g_listLive.erase(token);
            postClose = g_nListJobs == 0 && g_bListClose;
        }
        delete job;
        ThreadEnded();
        if (postClose)
            PostFrameMessage(WM_CLOSE, 0, 0);
    }
    return token;
}

} // namespace

std::uint64_t StartListQuery(const std::string& sql, std::shared_ptr<CListQuerySink> list) {
    return StartJob(sql, ListTask(), std::move(list));
}

std::uint64_t StartListTask(ListTask task, std::shared_ptr<CListQuerySink> list) {
    return StartJob(std::string(), std::move(task), std::move(list));
}

unsigned ListQueryThreadProc(CListQueryJob* job) {
    job->m_thread = std::this_thread::get_id();
    {
        std::lock_guard run(g_listRunLock);
        job->m_pList->BeginListing(job->m_nToken);
        // A job stopped before it got here has nothing to read.
        const std::string connection = GetConnectionString();
        // Without a collection the listing is empty, without a word.
        if (!JobStopped(job) && (g_listConnection.IsOpen() || !connection.empty())) {
            g_listConnection.Connect(connection.c_str(), 0);
            // A listing looks laws up all over the file: through a memory mapping each lookup
            // would leave a run of the file's pages in this process's resident set (gigabytes
            // for a large category) without being any faster than plain reads.
            if (sqlite3* db = g_listConnection.GetConnectionHandle()) {
                sqlite3_exec(db, "PRAGMA mmap_size=0", nullptr, nullptr, nullptr);
                // A statement that sorts a large category runs a long time before its first
                // row: a stop request interrupts it there too, not only between rows.
                sqlite3_progress_handler(db, kProgressSteps, StopInterrupts, job);
            }
            if (job->m_task) {
                TaskContext context(job);
                job->m_task(context);
            } else {
                RunListing(job);
            }
        }
        job->m_pList->EndListing(job->m_nToken);
        {
            std::lock_guard lock(g_listCounterLock);
            if (!job->m_bCancelled)
                g_listLive.erase(job->m_nToken);
            --g_nListJobs;
            if (g_nListJobs == 0 && g_bListClose)
                PostFrameMessage(WM_CLOSE, 0, 0);
        }
    }
    delete job;
    ThreadEnded();
    return 0;
}

int RequestClose() {
    std::lock_guard lock(g_listCounterLock);
    g_bListClose = 1;
    return g_nListJobs;
}

void StopListQuery() {
    std::lock_guard lock(g_listCounterLock);
    if (!g_listLive.empty())
        RequestStopBelow(*g_listLive.rbegin() + 1);
}

void ResetListQueryClose() {
    std::lock_guard lock(g_listCounterLock);
    g_bListClose = 0;
}

int GetListQueryJobCount() {
    std::lock_guard lock(g_listCounterLock);
    return g_nListJobs;
}

bool WaitForListQueriesIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(g_listCounterLock);
    return g_listIdle.wait_for(lock, timeout, [] { return g_nListThreads == 0; });
}

void CloseListQueryConnection() {
    std::lock_guard run(g_listRunLock);
    g_listConnection.Close();
}

bool IsListQueryStopSignalled() {
    std::lock_guard lock(g_listCounterLock);
    return !g_listLive.empty() && *g_listLive.begin() < g_nStopBelow.load();
}
