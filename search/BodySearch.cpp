#include "search/BodySearch.h"

#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/SearchIndex.h"
#include "data/SqlSelect.h"
#include "search/SearchComposer.h"
#include "search/SearchLimits.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sqlite3.h>
#include <thread>

CBodySearch::CBodySearch(CDbConnection& db, std::string lawTable, std::string connectionString)
    : m_db(db), m_strLawTable(std::move(lawTable)),
      m_connect(
          [&db, connection = std::move(connectionString)] { db.Connect(connection.c_str(), 0); }) {}

CBodySearch::CBodySearch(CDbConnection& db, std::string lawTable, std::function<void()> connect)
    : m_db(db), m_strLawTable(std::move(lawTable)), m_connect(std::move(connect)) {}

std::string CBodySearch::WindowCondition(long long start, const std::string& condition) {
    std::string text =
        "v.lawid>" + std::to_string(start) + " and v.lawid<=" + std::to_string(start + kWindowSize);
    if (!condition.empty())
        text += " and " + condition;
    return text;
}

std::vector<CLawRow> CBodySearch::Run(CSqlSelect& builder, const std::vector<std::string>& typed) {
    // A word typed twice is one condition.
    const std::vector<std::string> words = CSearchLimits::Distinct(typed);
    m_nWindows = 0;
    m_bExact = false;
    m_nSecondPasses = 0;
    m_nFailedWindows = 0;
    m_strFailure.clear();
    m_nFailureCode = 0;
    builder.Prepare();
    const std::string baseCondition = builder.GetWhere();
    for (const std::string& word : words)
        builder.AddCondition(" and ", "law.body", " like ", CSearchComposer::LikeValue(word));
    const std::string bodyCondition = builder.GetWhere();

    std::vector<CLawRow> rows;
    m_bReadFailed = false;
    const int highest = HighestLawId();
    // A law table that cannot be read is not an empty one.
    if (m_bReadFailed)
        ++m_nFailedWindows;
    m_nSkipped = 0;
    // Wide arithmetic: a lawid near the top of the integer range must not overflow the
    // window's upper bound.
    const long long windows = (static_cast<long long>(highest) + kWindowSize - 1) / kWindowSize;

    // The index's candidates are read a run of windows at a time, the first run short: a
    // frequent word has most of the collection's laws as candidates, and the first rows must
    // not wait for all of them. `candidates` holds those of the current run of windows.
    // The runs: kFirstRun windows, then each four times the one before.
    constexpr long long kFirstRun = 16;
    std::vector<int> candidates;
    std::int64_t indexed = 0;
    bool narrowed = false;
    bool exact = false;
    auto readCandidates = [&](long long firstWindow, long long endWindow) {
        narrowed = m_bUseIndex && highest > 0 &&
                   CSearchIndex::Candidates(m_db.GetConnectionHandle(), m_strLawTable, "body",
                                            words, candidates, indexed, &exact,
                                            firstWindow * kWindowSize, endWindow * kWindowSize);
        return narrowed && exact;
    };
    // Whether the index decides is the same for every run; the first tells.
    m_bExact = readCandidates(0, std::min(windows, kFirstRun));
    // Where the index decides, the list's columns come from the law table's index by lawid,
    // which the index brings along, instead of the rows that hold the texts.
    const std::string plainTable = builder.GetTable();
    std::string decidedTable = plainTable;
    const std::string lawJoin = " " + m_strLawTable + " law on ";
    const size_t joinAt = plainTable.find(lawJoin);
    if (m_bExact && joinAt != std::string::npos &&
        CSearchIndex::HasListByIdIndex(m_db.GetConnectionHandle(), m_strLawTable))
        decidedTable.replace(joinAt, lawJoin.size(),
                             " " + m_strLawTable + " law indexed by " +
                                 CSearchIndex::ListByIdIndex(m_strLawTable) + " on ");
    // The statement of window i: none when the index shows it holds no law with the words,
    // else bound to the laws it names where the index covers the whole window.
    auto windowStatement = [&](long long i, std::string& sql) {
        std::string condition = bodyCondition;
        builder.SetTable(plainTable.c_str());
        auto build = [&] {
            builder.SetWhere(WindowCondition(i, condition));
            sql = builder.BuildAgain();
            return true;
        };
        if (!narrowed || i + kWindowSize > indexed)
            return build();
        const bool decided = m_bExact && exact;
        auto first = std::upper_bound(candidates.begin(), candidates.end(), i);
        auto last = std::upper_bound(first, candidates.end(), i + kWindowSize);
        if (first == last)
            return false;
        // A window where most laws are candidates reads them all anyway: its statement stays
        // the plain one, so a word in nearly every law costs what the scan costs.
        if (!decided && last - first > kWindowSize / 2)
            return build();
        const std::string in = InCondition("law.lawid", std::span<const int>(first, last));
        // Where the index decides, the laws it names are the ones found: their texts are not
        // read at all.
        const std::string& rest = decided ? baseCondition : bodyCondition;
        condition = in + (rest.empty() ? "" : " and (" + rest + ")");
        if (decided)
            builder.SetTable(decidedTable.c_str());
        return build();
    };
    // The second pass of window i reads every law of the window and checks its text.
    auto secondPass = [&](long long i, std::vector<CLawRow>& into) {
        ++m_nSecondPasses;
        builder.SetTable(plainTable.c_str());
        builder.SetWhere(WindowCondition(i, baseCondition));
        SecondPass(builder.BuildAgain(), into, words);
    };
    // Where a window's rows go: to the sink at once, or into the result.
    bool ended = false;
    auto deliver = [&](std::vector<CLawRow>&& found) {
        if (!m_sink) {
            for (CLawRow& row : found)
                rows.push_back(std::move(row));
        } else if (!found.empty() && !m_sink(std::move(found))) {
            ended = true;
        }
    };
    const int workers =
        m_nWorkers > 0 ? m_nWorkers : static_cast<int>(std::thread::hardware_concurrency());
    std::vector<std::unique_ptr<CDbConnection>> connections;
    if (workers > 1 && windows > 1 && m_db.IsOpen() && !m_db.GetConnectionString().empty())
        connections = OpenHelperConnections(workers);
    long long runSize = kFirstRun;
    for (long long run = 0; run < windows && !ended && !StopRequested();
         run += runSize, runSize *= 4) {
        const long long runEnd = std::min(windows, run + runSize);
        if (run > 0)
            readCandidates(run, runEnd);
        // The helpers, where there are any, take the first passes in order, the windows
        // ahead of this thread; this thread takes each window's rows in order as soon as it
        // is searched, searching it itself without helpers, and searches a failed one again
        // as a single run would.
        std::vector<std::string> statements;
        for (long long w = run; w < runEnd; ++w) {
            std::string sql;
            // Empty: nothing to search.
            windowStatement(w * kWindowSize, sql);
            statements.push_back(std::move(sql));
        }
        std::vector<std::vector<CLawRow>> found(statements.size());
        // 0: not searched yet, 1: searched, 2: the first pass failed. Guarded by `lock`.
        std::vector<char> state(statements.size(), 0);
        std::mutex lock;
        std::condition_variable searched;
        std::atomic<size_t> next{0};
        std::atomic<bool> quit{false};
        auto helper = [&](CDbConnection* db) {
            CBodySearch own(*db, m_strLawTable, std::function<void()>());
            for (size_t k; !quit.load() && (k = next.fetch_add(1)) < statements.size();) {
                if (statements[k].empty())
                    continue;
                const char result = own.ReadWindow(statements[k], found[k], nullptr) ? 1 : 2;
                std::lock_guard guard(lock);
                state[k] = result;
                searched.notify_all();
            }
        };
        // The helpers end with this block, however it is left.
        struct Helpers {
            std::atomic<bool>& quit;
            std::vector<std::thread> threads;
            ~Helpers() {
                quit = true;
                for (std::thread& t : threads)
                    t.join();
            }
        } helpers{quit, {}};
        for (const auto& db : connections)
            helpers.threads.emplace_back(helper, db.get());
        for (size_t k = 0; k < statements.size() && !ended && !StopRequested(); ++k) {
            ++m_nWindows;
            if (m_connect)
                m_connect();
            if (statements[k].empty()) {
                ++m_nSkipped;
                continue;
            }
            std::vector<CLawRow> windowRows;
            bool read = false;
            if (helpers.threads.empty()) {
                read = ReadWindow(statements[k], windowRows, nullptr);
            } else {
                std::unique_lock guard(lock);
                searched.wait(guard, [&] { return state[k] != 0; });
                read = state[k] == 1;
                guard.unlock();
                windowRows = std::move(found[k]);
                // A window a helper could not read is read here once more.
                read = read || ReadWindow(statements[k], windowRows, nullptr);
            }
            if (!read) {
                if (StopRequested())
                    break;
                secondPass((run + static_cast<long long>(k)) * kWindowSize, windowRows);
            }
            deliver(std::move(windowRows));
        }
    }
    builder.SetTable(plainTable.c_str());
    return rows;
}

void CBodySearch::SecondPass(const std::string& sql, std::vector<CLawRow>& rows,
                             const std::vector<std::string>& words) {
    // A statement refused again contributes nothing, as it always has; a window that could
    // not be read is counted, so that the search can say its result is incomplete.
    m_bReadFailed = false;
    if (!ReadWindow(sql, rows, &words) && m_bReadFailed && !StopRequested())
        ++m_nFailedWindows;
}

std::vector<std::unique_ptr<CDbConnection>> CBodySearch::OpenHelperConnections(int workers) {
    // The helpers' connections are opened here, on the owner's thread: a box about a failed
    // connection must not come from a helper while this thread waits for it.
    const std::string connection = m_db.GetConnectionString();
    std::vector<std::unique_ptr<CDbConnection>> connections;
    for (int k = 0; k < workers; ++k) {
        auto db = std::make_unique<CDbConnection>();
        if (!db->Connect(connection.c_str(), 0))
            break; // fewer helpers; without any, the owner searches every window
        // Pages read straight from the file's mapping rather than copied in by read calls
        // (up to the engine's cap); the mapping goes with the connection at the end of the
        // run, so the texts read do not stay in the program's memory.
        sqlite3_exec(db->GetConnectionHandle(), "PRAGMA mmap_size=2147418112", nullptr, nullptr,
                     nullptr);
        // Pages beyond the mapping are copied in; the indexes a search reads again and again
        // (the links', the list's by lawid) stay in a cache of 32 MB rather than the default
        // 32 pages, and leave with the connection.
        sqlite3_exec(db->GetConnectionHandle(), "PRAGMA cache_size=-32768", nullptr, nullptr,
                     nullptr);
        connections.push_back(std::move(db));
    }
    return connections;
}

int CBodySearch::HighestLawId() {
    CDbRecordset rs;
    int lawid = 0;
    if (!rs.Open(&m_db, "select lawid from " + m_strLawTable + " order by lawid DESC")) {
        NoteFailure(rs);
        return 0;
    }
    if (rs.IsEOF() || !rs.GetInt(lawid, "lawid"))
        return 0;
    return lawid;
}

bool CBodySearch::LawContainsWords(int lawid, const std::vector<std::string>& words) {
    if (words.empty())
        return false;
    CDbRecordset rs;
    if (!rs.Open(&m_db,
                 "select body from " + m_strLawTable + " where lawid=" + std::to_string(lawid)) ||
        rs.IsEOF()) {
        NoteFailure(rs);
        return false;
    }
    std::string body;
    rs.GetMemo(body, "body");
    if (NoteFailure(rs))
        return false;
    for (const std::string& word : words)
        if (body.find(word) == std::string::npos)
            return false;
    return true;
}

int CBodySearch::ReadWindow(const std::string& sql, std::vector<CLawRow>& rows,
                            const std::vector<std::string>* checkWords) {
    CDbRecordset rs;
    if (!rs.Open(&m_db, sql)) {
        NoteFailure(rs);
        return 0;
    }
    std::vector<CLawRow> found;
    while (!rs.IsEOF()) {
        CLawRow row;
        rs.GetString(row.m_strTopic, "topic", -1);
        rs.GetString(row.m_strDatum, "datum", 10);
        rs.GetString(row.m_strWenhao, "wenhao", -1);
        rs.GetString(row.m_strBumen, "bumen", -1);
        rs.GetInt(row.m_nLawId, "lawid");
        found.push_back(std::move(row));
        rs.MoveNext();
    }
    if (NoteFailure(rs))
        return 0;
    rs.Close();
    const bool failedBefore = m_bReadFailed;
    m_bReadFailed = false;
    std::vector<CLawRow> kept;
    for (CLawRow& row : found)
        if (!checkWords || LawContainsWords(row.m_nLawId, *checkWords))
            kept.push_back(std::move(row));
    // A law whose text could not be read is not known to lack the words.
    const bool lawUnread = m_bReadFailed;
    m_bReadFailed = failedBefore || lawUnread;
    if (lawUnread)
        return 0;
    for (CLawRow& row : kept)
        rows.push_back(std::move(row));
    return 1;
}

bool CBodySearch::NoteFailure(const CDbRecordset& rs) {
    if (!rs.HasFailed())
        return false;
    m_bReadFailed = true;
    if (m_strFailure.empty()) {
        m_strFailure = rs.GetFailure();
        m_nFailureCode = rs.GetFailureCode();
    }
    return true;
}
