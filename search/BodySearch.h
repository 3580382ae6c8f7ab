#pragma once

#include "browse/LawRow.h"
#include "ground/AppConstants.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CDbConnection;
class CDbRecordset;
class CSqlSelect;

// The search for words in the law text. The statement of a search, already filled by the
// search form, gets one " like " condition per word on law.body and is run once per window
// of 100 consecutive lawid values. A window whose statement fails is run again without the
// body conditions, and the program then checks the words in each law's text itself.
class CBodySearch {
public:
    static constexpr int kWindowSize = 100;

    // `db` is the connection of the user-interface thread; it is connected with
    // `connectionString` (without forcing) before every window.
    CBodySearch(CDbConnection& db, std::string lawTable,
                std::string connectionString = kConnectionString);
    // The same with the owner's own way of connecting `db` before every window.
    CBodySearch(CDbConnection& db, std::string lawTable, std::function<void()> connect);
    CBodySearch(const CBodySearch&) = delete;
    CBodySearch& operator=(const CBodySearch&) = delete;

    // Runs the search. `builder` is filled but not built; `words` is the body-search word
    // list. Returns the rows found, window by window in the order the statements deliver
    // them; no no-records row.
    std::vector<CLawRow> Run(CSqlSelect& builder, const std::vector<std::string>& words);

    // The highest lawid of the law table; 0 when it is empty or cannot be read.
    int HighestLawId();

    // True when the law's text contains every word (exact, case-sensitive). An empty word
    // list matches no law, nor does a law that cannot be read.
    bool LawContainsWords(int lawid, const std::vector<std::string>& words);

    // Windows searched at once: with more than one, helper threads read the windows on
    // connections of their own to the same database, opened for the run; the rows still come
    // window by window in order, `db` is connected before every window, and a window that
    // fails on a helper is searched again on `db` as above. 1 (the default) searches every
    // window on `db`; 0 one helper per processor.
    void SetWorkers(int workers) { m_nWorkers = workers; }

    // With the law table's full-text index (CSearchIndex): a window in which the index holds
    // no law with every pair of the words is not searched, and the statement of the others
    // is bound to the laws the index names, with the same like conditions, so the rows are
    // the same. Off by default.
    // Where the index decides exactly (every word one pair, CSearchIndex::Candidates), the
    // statement of a window is bound to the laws it names without the like conditions, and
    // no law text is read.
    void SetUseIndex(bool use) { m_bUseIndex = use; }

    // The laws the index decides come with their lawids and dates only, marked pending:
    // the reader of the rows reads the other columns for the rows it shows (CLawRowFill).
    // A frequent word's whole list then costs a fraction of reading every row. Off by
    // default.
    void SetColumnsLater(bool later) { m_bColumnsLater = later; }

    // Rows as they come: each window's rows go to `sink` as soon as it and every window
    // before it are searched, in window order, and Run returns none. A sink that answers
    // false ends the run there.
    void SetWindowSink(std::function<bool(std::vector<CLawRow>&&)> sink) {
        m_sink = std::move(sink);
    }
    // Asked before every window and before a window is searched a second time: true ends
    // the run there (a statement it interrupted then counts as neither searched nor failed).
    void SetStop(std::function<bool()> stop) { m_stop = std::move(stop); }

    // Figures of the last Run: windows searched and windows searched a second time; windows
    // the index showed to hold no law with the words count as searched, and also in
    // GetSkippedCount.
    int GetWindowCount() const { return m_nWindows; }
    int GetSkippedCount() const { return m_nSkipped; }
    // The index decided the last Run's laws up to its mark without reading their texts.
    bool WasExact() const { return m_bExact; }
    int GetSecondPassCount() const { return m_nSecondPasses; }
    // Windows of the last Run that could not be read even the second time (a damaged or
    // unreadable database), plus one when the highest lawid could not be read: their laws are
    // missing from the result. GetFailure is the
    // engine's text of the first such failure.
    int GetFailedWindowCount() const { return m_nFailedWindows; }
    const std::string& GetFailure() const { return m_strFailure; }
    // And the engine's result code of that failure.
    int GetFailureCode() const { return m_nFailureCode; }

    // "v.lawid>%d and v.lawid<=%d", followed by " and " and `condition` when not empty.
    static std::string WindowCondition(long long start, const std::string& condition);

private:
    // A law of a decided run: its lawid, its date as a number for the order (DateKey) and
    // its row when the run's rows are read whole (else -1).
    struct Hit {
        int lawid = 0;
        long long key = kNoDate;
        int row = -1;
    };
    // Keys of dates: none sorts after every date, one not in the stored form before them
    // (kept aside as text); a stored date is its digits, yyyymmddhhmmss.
    static constexpr long long kNoDate = -1;
    static constexpr long long kOddDate = INT64_MAX;
    static long long DateKey(std::string_view date);
    // "yyyy-mm-dd" of a stored date's key; empty for none.
    static std::string DateOfKey(long long key);

    // Where the index decides a whole run of windows [firstWindow, endWindow), the run's laws
    // are listed without a statement per window: each law once, without the law table's
    // temporary sorts; the rows are then put in window order, each window newest first, as
    // the window statements give them. `links` is the link table of the search's statement.
    // Without a sink the rows go straight to `result`. False when the index does not decide
    // the whole run or it could not be read: nothing of the run was delivered then, and the
    // windows are searched one by one.
    bool ListDecidedRun(const std::string& links, const std::string& baseCondition,
                        const std::vector<std::string>& words, long long firstWindow,
                        long long endWindow,
                        const std::function<void(std::vector<CLawRow>&&)>& deliver,
                        std::vector<CLawRow>* result);
    // The laws of a decided run: the lawids above `above` up to `through`.
    struct DecidedLaws {
        long long above = 0;
        long long through = 0;
        std::vector<CLawRow> found; // the rows read whole (with every column)
        std::vector<Hit> hits;
        std::unordered_map<int, std::string> oddDates; // dates not in the stored form
        int skipped = 0;                               // windows without a candidate
    };
    // Reads a run's laws on this search's connection, the index's candidates and the laws in
    // one read of the file. False when the index does not decide the run or it cannot be read.
    bool CollectDecided(const std::string& links, const std::string& baseCondition,
                        const std::vector<std::string>& words, DecidedLaws& laws);
    // The run's rows through one statement that looks each law up; with the columns later,
    // their lawids and dates only. False when it cannot be read.
    bool ReadDecidedRun(const std::string& links, const std::string& baseCondition,
                        const std::vector<std::string>& words, DecidedLaws& laws);
    // The run's lawids and dates from one pass over the links and the law table's index by
    // lawid, given the index's `candidates`. For a search with no condition besides the
    // words, with the columns later. False when it cannot be read.
    bool ScanDecidedRun(const std::string& links, const std::vector<int>& candidates,
                        DecidedLaws& laws);
    // The link table when `builder` is the frame of a search over the links joined with the
    // law table, its laws distinct and newest first (CSearchComposer); else empty.
    std::string DecidedLinksTable(const CSqlSelect& builder) const;
    // Appends the rows of one statement to `rows`; with `checkWords` only the laws whose text
    // contains the words. 0 when the statement fails, before or while delivering rows, or a
    // law's text cannot be read; the rows it had delivered are then not kept.
    int ReadWindow(const std::string& sql, std::vector<CLawRow>& rows,
                   const std::vector<std::string>* checkWords);
    // The second pass of a window, which counts it when it cannot be read.
    void SecondPass(const std::string& sql, std::vector<CLawRow>& rows,
                    const std::vector<std::string>& words);
    // Notes a failed read of `rs`; true when there was one.
    bool NoteFailure(const CDbRecordset& rs);
    // Opens up to `workers` connections of the helper threads to the owner's database, on
    // the owner's thread; fewer when they cannot be opened.
    std::vector<std::unique_ptr<CDbConnection>> OpenHelperConnections(int workers);
    bool StopRequested() const { return m_stop && m_stop(); }

    CDbConnection& m_db;
    std::string m_strLawTable;
    std::function<void()> m_connect;
    std::function<bool(std::vector<CLawRow>&&)> m_sink;
    std::function<bool()> m_stop;
    int m_nWorkers = 1;
    bool m_bUseIndex = false;
    bool m_bColumnsLater = false;
    bool m_bExact = false;
    int m_nWindows = 0;
    int m_nSecondPasses = 0;
    int m_nFailedWindows = 0;
    bool m_bReadFailed = false; // a read failed since the flag was last cleared
    std::string m_strFailure;
    int m_nFailureCode = 0;
    int m_nSkipped = 0;
};
