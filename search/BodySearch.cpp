#include "search/BodySearch.h"

#include "data/BigramTokenizer.h"
#include "data/DbConnection.h"
#include "data/DbFieldReader.h"
#include "data/DbRecordset.h"
#include "data/DirectSql.h"
#include "data/SearchIndex.h"
#include "data/SqlSelect.h"
#include "ground/TextUtil.h"
#include "search/SearchComposer.h"
#include "search/SearchLimits.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <sqlite3.h>
#include <thread>
#include <unordered_map>

namespace {

// The room given to a result at most (a lawid far beyond the number of laws must not ask
// for more).
constexpr int kReservedRowsAtMost = 2000000;

} // namespace

long long CBodySearch::DateKey(std::string_view date) {
    if (date.empty())
        return kNoDate;
    if (!CDbFieldReader::IsCanonicalDate(date))
        return kOddDate;
    long long key = 0;
    for (char c : date)
        if (c >= '0' && c <= '9')
            key = key * 10 + (c - '0');
    return key;
}

std::string CBodySearch::DateOfKey(long long key) {
    if (key == kNoDate)
        return {};
    std::string text = "0000-00-00";
    long long day = key / 1000000; // yyyymmdd
    for (int i : {9, 8, 6, 5, 3, 2, 1, 0}) {
        text[static_cast<size_t>(i)] = static_cast<char>('0' + day % 10);
        day /= 10;
    }
    return text;
}

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
    // Runs the index decides are listed in one statement each where the search's statement
    // allows it.
    // (Only words the index decides exactly: each one run of pairs, in an index that keeps
    // their positions.)
    const bool decidable =
        m_bUseIndex && !words.empty() &&
        std::all_of(words.begin(), words.end(),
                    [](const std::string& word) { return CBigramTokenizer::IsOneRun(word); }) &&
        CSearchIndex::HasPositions(m_db.GetConnectionHandle(), m_strLawTable, "body");
    const std::string decidedLinks = decidable ? DecidedLinksTable(builder) : std::string();
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
    // Where a window's rows go: to the sink at once, or into the result. Where the index
    // decides, the result is given room for every law at once: the rows are not moved as it
    // grows, and room they do not take costs no memory.
    if (m_bExact && !m_sink && highest > 0) {
        try {
            rows.reserve(static_cast<size_t>(std::min(highest, kReservedRowsAtMost)));
        } catch (const std::bad_alloc&) {
            // The rows are then moved as the result grows.
        }
    }
    bool ended = false;
    auto deliver = [&](std::vector<CLawRow>&& found) {
        if (!m_sink) {
            rows.insert(rows.end(), std::make_move_iterator(found.begin()),
                        std::make_move_iterator(found.end()));
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
        // Where the index decides the words, it lists a run itself, each part of the run
        // reading its own candidates; a run it does not decide (laws in its log, laws above
        // its mark) is searched window by window.
        if (!decidedLinks.empty() && ListDecidedRun(decidedLinks, baseCondition, words, run, runEnd,
                                                    deliver, m_sink ? nullptr : &rows))
            continue;
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

std::string CBodySearch::DecidedLinksTable(const CSqlSelect& builder) const {
    static const std::string kColumns = " distinct law.lawid as lawid,law.topic as topic,"
                                        "law.datum as datum,law.wenhao as wenhao,law.bumen as "
                                        "bumen";
    const std::string& table = builder.GetTable();
    const std::string join = " v left join " + m_strLawTable + " law on v.lawid=law.lawid)";
    if (builder.GetItems() != kColumns || builder.GetOrderBy() != "datum DESC" ||
        table.size() <= join.size() + 1 || table.front() != '(' || !table.ends_with(join))
        return {};
    const std::string links = table.substr(1, table.size() - join.size() - 1);
    const bool plainName = !links.empty() && std::all_of(links.begin(), links.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
    return plainName ? links : std::string();
}

bool CBodySearch::ListDecidedRun(const std::string& links, const std::string& baseCondition,
                                 const std::vector<std::string>& words, long long firstWindow,
                                 long long endWindow,
                                 const std::function<void(std::vector<CLawRow>&&)>& deliver,
                                 std::vector<CLawRow>* result) {
    if (m_connect)
        m_connect();
    // The run is read on this thread's connection, whose cache of the index's pages lasts
    // from one search to the next: shared among the helpers' connections, opened for each
    // search, the same run took longer on two cores than on one.
    DecidedLaws laws;
    laws.above = firstWindow * kWindowSize;
    laws.through = endWindow * kWindowSize;
    if (!CollectDecided(links, baseCondition, words, laws))
        return false;
    if (StopRequested())
        return true;
    std::vector<CLawRow>& found = laws.found;
    std::vector<Hit>& hits = laws.hits;
    std::unordered_map<int, std::string>& oddDates = laws.oddDates;
    m_nSkipped += laws.skipped;
    m_nWindows += static_cast<int>(endWindow - firstWindow);
    // Window by window; in each the newest first (a law without a date last), as the window
    // statements order them. The hits mostly come in lawid order already.
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        const long long wa = (static_cast<long long>(a.lawid) - 1) / kWindowSize;
        const long long wb = (static_cast<long long>(b.lawid) - 1) / kWindowSize;
        return wa != wb ? wa < wb : a.key > b.key;
    });
    // The rows of hits [from, to), appended to `rows`.
    auto addRows = [&](size_t from, size_t to, std::vector<CLawRow>& rows) {
        for (size_t k = from; k < to; ++k) {
            const Hit& hit = hits[k];
            CLawRow& row = rows.emplace_back();
            if (hit.row >= 0)
                row = std::move(found[static_cast<size_t>(hit.row)]);
            row.m_nLawId = hit.lawid;
            row.m_bPending = hit.row < 0;
            if (hit.key == kOddDate) {
                row.m_strDatum = std::move(oddDates[hit.lawid]);
                row.m_strDatum.resize(Utf8Prefix(row.m_strDatum, 10).size());
            } else {
                row.m_strDatum = DateOfKey(hit.key);
            }
        }
    };
    // The result takes the run's rows at once; a sink takes them window by window.
    if (result) {
        addRows(0, hits.size(), *result);
        return true;
    }
    for (size_t from = 0; from < hits.size();) {
        size_t to = from + 1;
        while (to < hits.size() &&
               (hits[to].lawid - 1) / kWindowSize == (hits[from].lawid - 1) / kWindowSize)
            ++to;
        std::vector<CLawRow> rows;
        rows.reserve(to - from);
        addRows(from, to, rows);
        deliver(std::move(rows));
        from = to;
    }
    return true;
}

bool CBodySearch::CollectDecided(const std::string& links, const std::string& baseCondition,
                                 const std::vector<std::string>& words, DecidedLaws& laws) {
    sqlite3* db = m_db.GetConnectionHandle();
    if (!db)
        return false;
    // The index's laws, the laws and the links are read from one state of the file.
    const direct_sql::ReadTransaction snapshot(db);
    std::vector<int> candidates;
    std::int64_t indexed = 0;
    bool exact = false;
    if (!CSearchIndex::Candidates(db, m_strLawTable, "body", words, candidates, indexed, &exact,
                                  laws.above, laws.through) ||
        !exact || indexed < laws.through)
        return false;
    for (long long w = laws.above; w < laws.through; w += kWindowSize) {
        auto first = std::upper_bound(candidates.begin(), candidates.end(), w);
        if (first == candidates.end() || *first > w + kWindowSize)
            ++laws.skipped;
    }
    if (candidates.empty())
        return true;
    laws.hits.reserve(candidates.size());
    // A word in a large part of the laws: one pass over the law table's index and the links
    // in lawid order costs less than looking each law up.
    const bool dense = m_bColumnsLater && baseCondition.empty() &&
                       static_cast<long long>(candidates.size()) * 4 >= laws.through - laws.above;
    if (dense && ScanDecidedRun(links, candidates, laws))
        return true;
    laws.hits.clear();
    laws.oddDates.clear();
    return ReadDecidedRun(links, baseCondition, words, laws);
}

bool CBodySearch::ReadDecidedRun(const std::string& links, const std::string& baseCondition,
                                 const std::vector<std::string>& words, DecidedLaws& laws) {
    const long long above = laws.above, through = laws.through;
    const std::string bounds = ">" + std::to_string(above) + " and ";
    const std::string upto = "<=" + std::to_string(through);
    const std::string fts = CSearchIndex::IndexTable(m_strLawTable, "body");
    const std::string changes = CSearchIndex::ChangesTable(m_strLawTable);
    std::string match;
    QuoteText(match, CSearchIndex::MatchQuery(words));
    std::string likes;
    for (const std::string& word : words) {
        std::string value;
        QuoteText(value, CSearchComposer::LikeValue(word));
        likes += (likes.empty() ? "" : " and ") + std::string("law.body like ") + value;
    }
    // The laws the index names, but those written since it last took in its log: the index
    // may hold their old pairs, so their texts decide. Each law once, one link meeting the
    // search's conditions being enough, as the distinct join lists it; one statement, so
    // that both parts read the same state of the file.
    const bool byId = CSearchIndex::HasListByIdIndex(m_db.GetConnectionHandle(), m_strLawTable);
    const std::string columns =
        std::string(m_bColumnsLater ? "select law.lawid as lawid,law.datum as datum from "
                                    : "select law.lawid as lawid,law.topic as topic,law.datum "
                                      "as datum,law.wenhao as wenhao,law.bumen as bumen from ") +
        m_strLawTable + " law";
    const std::string linked = " and exists (select 1 from " + links +
                               " v where v.lawid=law.lawid" +
                               (baseCondition.empty() ? "" : " and (" + baseCondition + ")") + ")";
    const std::string sql =
        columns + (byId ? " indexed by " + CSearchIndex::ListByIdIndex(m_strLawTable) : "") +
        " where law.lawid in (select rowid from " + fts + " where " + fts + " match " + match +
        " and rowid" + bounds + "rowid" + upto + ") and law.lawid not in (select lawid from " +
        changes + ")" + linked + " union all " + columns +
        " where law.lawid in (select lawid from " + changes + " where lawid" + bounds + "lawid" +
        upto + ") and " + likes + linked;
    CDbRecordset rs;
    if (!rs.Open(&m_db, sql))
        return false;
    for (size_t n = 0; !rs.IsEOF(); ++n) {
        if (n % 1024 == 1023 && StopRequested())
            return true;
        Hit hit;
        std::string date;
        rs.GetString(date, "datum", -1);
        rs.GetInt(hit.lawid, "lawid");
        hit.key = DateKey(date);
        if (hit.key == kOddDate)
            laws.oddDates[hit.lawid] = std::move(date);
        if (!m_bColumnsLater) {
            CLawRow row;
            rs.GetString(row.m_strTopic, "topic", -1);
            rs.GetString(row.m_strWenhao, "wenhao", -1);
            rs.GetString(row.m_strBumen, "bumen", -1);
            hit.row = static_cast<int>(laws.found.size());
            laws.found.push_back(std::move(row));
        }
        laws.hits.push_back(hit);
        rs.MoveNext();
    }
    return !rs.HasFailed();
}

bool CBodySearch::ScanDecidedRun(const std::string& links, const std::vector<int>& candidates,
                                 DecidedLaws& laws) {
    const long long above = laws.above, through = laws.through;
    sqlite3* db = m_db.GetConnectionHandle();
    // Each statement's rows in lawid order, or false.
    auto each = [&](const std::string& sql, auto&& take) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        sqlite3_bind_int64(stmt, 1, above);
        sqlite3_bind_int64(stmt, 2, through);
        int rc;
        for (size_t n = 0; (rc = sqlite3_step(stmt)) == SQLITE_ROW;)
            if (++n % 4096 == 0 && StopRequested())
                break;
            else
                take(stmt);
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE || rc == SQLITE_ROW;
    };
    // The candidates that have a link.
    std::vector<char> linked(candidates.size(), 0);
    size_t at = 0;
    if (!each("select lawid from " + links + " where lawid>?1 and lawid<=?2 order by lawid",
              [&](sqlite3_stmt* stmt) {
                  const sqlite3_int64 lawid = sqlite3_column_int64(stmt, 0);
                  while (at < candidates.size() && candidates[at] < lawid)
                      ++at;
                  if (at < candidates.size() && candidates[at] == lawid)
                      linked[at] = 1;
              }))
        return false;
    at = 0;
    const bool byId = CSearchIndex::HasListByIdIndex(db, m_strLawTable);
    return each(
        "select lawid,datum from " + m_strLawTable +
            (byId ? " indexed by " + CSearchIndex::ListByIdIndex(m_strLawTable) : "") +
            " where lawid>?1 and lawid<=?2 order by lawid",
        [&](sqlite3_stmt* stmt) {
            const sqlite3_int64 lawid = sqlite3_column_int64(stmt, 0);
            while (at < candidates.size() && candidates[at] < lawid)
                ++at;
            if (at == candidates.size() || candidates[at] != lawid || !linked[at])
                return;
            Hit hit;
            hit.lawid = static_cast<int>(lawid);
            std::string date;
            if (const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))) {
                const std::string_view raw(text,
                                           static_cast<size_t>(sqlite3_column_bytes(stmt, 1)));
                if (CDbFieldReader::IsCanonicalDate(raw)) {
                    hit.key = DateKey(raw);
                } else {
                    date = CDbFieldReader::DateText(raw);
                    TrimRight(date);
                    hit.key = DateKey(date);
                }
            }
            if (hit.key == kOddDate)
                laws.oddDates[hit.lawid] = std::move(date);
            laws.hits.push_back(hit);
        });
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
