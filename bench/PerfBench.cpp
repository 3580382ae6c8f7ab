// The collection's operations against their peers, measured in the same run: listings and
// searches against the sqlite3 command-line program running the same statement, the body
// search against grep over the law texts dumped to a file and against one plain LIKE
// statement, the import against a bulk insert of the same rows. Prints table rows:
//
//   | operation | ours (ms) | ours CPU | peer | peer (ms) | peer CPU | ratio | goal | met |
//
//   perf-bench DB [--repeat N] [--workers N] [--dump TEXTS] [--sqlite3 CLI] [--only GROUP]
//              [--import CORPUS --admin TOLVARIN-ADMIN --scratch DIR] [--word W ...]
//
// Every figure is the median of N runs after one warm-up run. TEXTS is the law texts of DB,
// one law after another (bench/run writes it with the sqlite3 program). Exits 1 when a body
// search finds other laws than the plain statement.

#include "browse/CategoryStatement.h"
#include "browse/LawRowFill.h"
#include "browse/ListQueryJob.h"
#include "browse/ListQuerySink.h"
#include "data/CollectionFile.h"
#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/JetSql.h"
#include "data/SearchIndex.h"
#include "data/SqlSelect.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "search/BodySearch.h"
#include "search/QuickSearch.h"
#include "search/SearchComposer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int theRepeat = 5;

// Processor time of this process (all its threads) and of the programs it waited for.
double CpuMs() {
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(self.ru_utime) + ms(self.ru_stime) + ms(children.ru_utime) + ms(children.ru_stime);
}

// Medians of wall-clock and processor time: on a loaded machine the processor time shows
// the work done while the wall clock also counts the wait for a core.
struct Figure {
    double wall = -1;
    double cpu = -1;
};

// Medians of `theRepeat` runs after one warm-up run; -1 when a run fails.
Figure Median(const std::function<bool()>& run) {
    if (!run())
        return {};
    std::vector<double> walls, cpus;
    for (int i = 0; i < theRepeat; ++i) {
        const double cpu = CpuMs();
        const auto start = Clock::now();
        if (!run())
            return {};
        walls.push_back(Ms(Clock::now() - start));
        cpus.push_back(CpuMs() - cpu);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

// Runs a program with its output to /dev/null (or to the file `out`); true when it exits with 0 (or
// with 1, grep's answer for "not found").
bool RunProgram(const std::vector<std::string>& args, const char* out = "/dev/null") {
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            close(fd);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status))
        return false;
    return WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value < 0 ? "—" : "%.1f", value);
    return text;
}

void Row(const std::string& operation, Figure ours, const std::string& peer, Figure peerFig,
         const std::string& goal, int met) {
    char ratio[32] = "—";
    if (ours.wall >= 0 && peerFig.wall > 0)
        std::snprintf(ratio, sizeof ratio, "%.2f", ours.wall / peerFig.wall);
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", operation.c_str(),
                ours.wall < 0 ? "failed" : Number(ours.wall).c_str(), Number(ours.cpu).c_str(),
                peer.c_str(), Number(peerFig.wall).c_str(), Number(peerFig.cpu).c_str(), ratio,
                goal.c_str(), met < 0 ? "—" : (met ? "yes" : "**no**"));
    std::fflush(stdout);
}

// Ratio goal: ours at most `factor` times the peer.
int RatioMet(Figure ours, Figure peer, double factor) {
    return ours.wall >= 0 && peer.wall > 0 ? ours.wall <= factor * peer.wall : -1;
}

int WithinMs(Figure ours, double limit) {
    return ours.wall >= 0 && ours.wall <= limit;
}

// Reads a statement's rows the way the law list fills itself; the number of rows, -1 when it
// fails. `limit` stops after that many rows.
long ReadRows(CDbConnection& db, const std::string& sql, long limit = -1,
              std::set<int>* ids = nullptr) {
    CDbRecordset rs;
    if (!rs.Open(&db, sql))
        return -1;
    long n = 0;
    std::string topic, datum, wenhao, bumen;
    while (!rs.IsEOF() && n != limit) {
        int lawid = 0;
        rs.GetString(topic, "topic", -1);
        rs.GetString(datum, "datum", 10);
        rs.GetString(wenhao, "wenhao", -1);
        rs.GetString(bumen, "bumen", -1);
        rs.GetInt(lawid, "lawid");
        if (ids)
            ids->insert(lawid);
        ++n;
        rs.MoveNext();
    }
    return n;
}

// Collects what the law-list worker delivers.
class CollectingSink : public CListQuerySink {
public:
    explicit CollectingSink(long want) : m_want(want) {}
    void BeginListing(std::uint64_t) override {}
    void AppendRows(std::uint64_t, std::vector<CLawRow>&& rows, bool) override {
        std::lock_guard lock(m_lock);
        for (CLawRow& row : rows)
            m_rows.push_back(std::move(row));
        m_changed.notify_all();
    }
    void FailListing(std::uint64_t, const CListFailure&) override {
        std::lock_guard lock(m_lock);
        m_failed = true;
    }
    void EndListing(std::uint64_t) override {
        std::lock_guard lock(m_lock);
        m_ended = true;
        m_changed.notify_all();
    }
    // Waits until `m_want` rows came (all rows when -1) or the listing ended.
    void Wait() {
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [&] {
            return m_ended || (m_want >= 0 && static_cast<long>(m_rows.size()) >= m_want);
        });
    }
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<CLawRow> m_rows;
    bool m_failed = false;
    bool m_ended = false;
    long m_want;
};

// Lists a statement as the law list does, through its worker; the rows delivered when `limit`
// of them came (all of them when -1); -1 when the listing fails.
long ListRows(const std::string& sql, long limit = -1, std::vector<CLawRow>* rows = nullptr) {
    auto sink = std::make_shared<CollectingSink>(limit);
    StartListQuery(sql, sink);
    sink->Wait();
    long n = 0;
    {
        std::lock_guard lock(sink->m_lock);
        n = sink->m_failed ? -1 : static_cast<long>(sink->m_rows.size());
        if (rows)
            *rows = sink->m_rows;
    }
    // The rest is not wanted: the next figure starts on an idle worker.
    StopListQuery();
    WaitForListQueriesIdle(std::chrono::minutes(10));
    return n;
}

// The law list worker's rows of `sql` are those of the statement itself, in its date order.
bool SameListing(CDbConnection& db, const std::string& sql) {
    std::vector<CLawRow> listed;
    if (ListRows(sql, -1, &listed) < 0)
        return false;
    std::multiset<std::pair<int, std::string>> fromList, fromStatement;
    for (size_t i = 0; i < listed.size(); ++i) {
        fromList.emplace(listed[i].m_nLawId, listed[i].m_strDatum);
        if (i > 0 && listed[i].m_strDatum > listed[i - 1].m_strDatum)
            return false;
    }
    CDbRecordset rs;
    if (!rs.Open(&db, sql))
        return false;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        int lawid = 0;
        std::string datum;
        rs.GetInt(lawid, "lawid");
        rs.GetString(datum, "datum", 10);
        fromStatement.emplace(lawid, datum);
    }
    return fromList == fromStatement;
}

// The lawids a statement finds on a plain engine connection: nothing of ours registered.
bool PlainLawIds(const std::string& file, const std::string& sql, std::set<int>& ids) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* stmt = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    int rc = SQLITE_DONE;
    while (ok && (rc = sqlite3_step(stmt)) == SQLITE_ROW)
        ids.insert(sqlite3_column_int(stmt, 0));
    ok = ok && rc == SQLITE_DONE;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ok;
}

std::string Translated(const std::string& jet) {
    std::string out, error;
    CJetSql::Translate(jet, out, error);
    return out;
}

struct Options {
    std::string db;
    std::string dump;
    std::string cli = "sqlite3";
    std::string corpus;
    std::string admin;
    std::string scratch = "/tmp";
    int workers = 0;
    std::string only;               // import, listings or body: that group alone
    std::vector<std::string> words; // the body searches' words, when not the usual ones
    bool quick = false;             // ours alone: no peers, no check against plain LIKE
};

int Scalar(CDbConnection& db, const std::string& sql) {
    CDbRecordset rs;
    int value = 0;
    if (rs.Open(&db, sql) && !rs.IsEOF())
        rs.GetInt(value, "n");
    return value;
}

int Listings(CDbConnection& db, const Options& o) {
    int failures = 0;
    auto cli = [&](const std::string& sql) {
        return Median([&] { return RunProgram({o.cli, o.db, Translated(sql)}); });
    };
    const std::string root = CategoryStatement(theEditionConfig, 0);
    long rows = 0;
    const Figure first = Median([&] { return ReadRows(db, root, 30) >= 0; });
    Row("root listing: first 30 rows", first, "—", {}, "≤ 100 ms", WithinMs(first, 100));
    const Figure all = Median([&] { return (rows = ReadRows(db, root)) >= 0; });
    const Figure allCli = cli(root);
    Row("root listing: all " + std::to_string(rows) + " rows", all, "sqlite3 CLI", allCli,
        "≤ 1.5× CLI", RatioMet(all, allCli, 1.5));

    // The level-2 category with the most links.
    const int category =
        Scalar(db, "select c.id as n from dorntree c, dorntree p where c.parid=p.id and "
                   "p.parid=0 order by (select count(*) from dornlawas v where v.treeid>=c.id "
                   "and v.treeid<c.id+524288) DESC");
    // Listings as the law list reads them, through its worker, first rows and all rows; the
    // rows checked against the statement's own.
    auto listing = [&](const std::string& name, const std::string& sql) {
        const Figure firstRows = Median([&] { return ListRows(sql, 30) >= 0; });
        Row(name + ": first 30 rows", firstRows, "—", {}, "≤ 50 ms", WithinMs(firstRows, 50));
        const Figure ours = Median([&] { return (rows = ListRows(sql)) >= 0; });
        const Figure peer = cli(sql);
        Row(name + " (" + std::to_string(rows) + " rows)", ours, "sqlite3 CLI", peer, "≤ 1.5× CLI",
            RatioMet(ours, peer, 1.5));
        if (!SameListing(db, sql)) {
            std::printf("%s: the list's rows differ from the statement's\n", name.c_str());
            ++failures;
        }
    };
    SetCollectionFile(o.db);
    if (category != 0)
        listing("category listing (level 2)", CategoryStatement(theEditionConfig, category));
    // The top-level category with the most links.
    const int top = Scalar(db, "select c.id as n from dorntree c where c.parid=0 order by (select "
                               "count(*) from dornlawas v where v.treeid>=c.id and "
                               "v.treeid<c.id+33554432) DESC");
    if (top != 0)
        listing("category listing (top level)", CategoryStatement(theEditionConfig, top));

    CSearchComposer all0("dornlawas", "dornlaws", 0);
    auto search = [&](const std::string& name, const std::function<void(CSqlSelect&)>& compose) {
        CSqlSelect b;
        compose(b);
        listing(name, b.Build());
    };
    search("title search 合同", [&](CSqlSelect& b) { all0.ComposeTitleSearch(b, "合同", 1); });
    search("title search Law 办法",
           [&](CSqlSelect& b) { all0.ComposeTitleSearch(b, "Law 办法", 1); });
    // The search box as the user types 合同法, a statement per keystroke, read to its end.
    for (const char* typed : {"合", "合同", "合同法", "Law"}) {
        CQuickSearch::Request request;
        request.lawTable = "dornlaws";
        request.linkTable = "dornlawas";
        request.text = typed;
        request.indexedUpTo = CSearchIndex::BuiltUpTo(db.GetConnectionHandle(), "dornlaws");
        // As the box decides, the time of that decision included.
        const Figure firstRows = Median([&] {
            CQuickSearch::Request r = request;
            r.streamed = CQuickSearch::ShouldStream(db.GetConnectionHandle(), r);
            return ReadRows(db, CQuickSearch::Statement(r), 30) >= 0;
        });
        request.streamed = CQuickSearch::ShouldStream(db.GetConnectionHandle(), request);
        const std::string sql = CQuickSearch::Statement(request);
        std::set<int> found;
        const Figure allRows = Median([&] {
            found.clear();
            return (rows = ReadRows(db, sql, -1, &found)) >= 0;
        });
        std::string how = request.streamed ? "streamed by rank group" : "ranked whole";
        if (request.streamed) {
            // The groups one after the other find exactly what ranking whole finds.
            CQuickSearch::Request whole = request;
            whole.streamed = false;
            std::set<int> wholeFound;
            ReadRows(db, CQuickSearch::Statement(whole), -1, &wholeFound);
            how += wholeFound == found ? ", same laws as ranked whole" : ", **laws differ**";
        }
        Row(std::string("search box, titles ") + typed + ": first 30 rows (" + how + ")", firstRows,
            "—", {}, "≤ 30 ms", WithinMs(firstRows, 30));
        Row(std::string("search box, titles ") + typed + ": all " + std::to_string(rows) + " rows",
            allRows, "—", {}, "—", -1);
    }
    CAdvancedSearchValues range;
    range.m_strTitle = "规定";
    range.m_nFromYear = 2000;
    range.m_nToYear = 2010;
    range.m_nToMonth = 6;
    range.m_nScope = 1;
    search("advanced search 规定, 2000-1-1 to 2010-6-1",
           [&](CSqlSelect& b) { all0.ComposeAdvancedSearch(b, range); });
    return failures;
}

int BodySearches(CDbConnection& db, const Options& o) {
    int failures = 0;
    CSearchComposer all("dornlawas", "dornlaws", 0);
    const std::string connection = "Data Source=" + o.db;
    const int laws = Scalar(db, "select count(*) as n from dornlaws");
    const double indexGoal = laws <= 200000 ? 100 : 500;
    const std::string indexGoalText = laws <= 200000 ? "≤ 100 ms" : "≤ 500 ms";
    std::vector<std::string> words = o.words;
    // Words of 2, 3, 4 and 6 characters and a Latin word, frequent and rare.
    if (words.empty())
        words = {"合同", "劳动者",   "人民法院", "人民代表大会", "Contract",
                 "钢琴", "正当防卫", "不可抗力", "WTO"};
    for (const std::string& word : words) {
        auto compose = [&](CSqlSelect& b) {
            CAdvancedSearchValues values;
            values.m_nScope = 1;
            all.ComposeAdvancedSearch(b, values);
        };
        // As the law list runs it: the laws the index decides come with lawids and dates,
        // and the list reads the other columns of the rows it shows.
        CBodySearch search(db, "dornlaws", connection);
        search.SetWorkers(o.workers);
        search.SetUseIndex(true);
        search.SetColumnsLater(true);
        std::vector<CLawRow> rows;
        const Figure ours = Median([&] {
            CSqlSelect b;
            compose(b);
            rows = search.Run(b, SplitWords(word));
            return true;
        });
        // The same with every row's columns read up front.
        CBodySearch whole(db, "dornlaws", connection);
        whole.SetWorkers(o.workers);
        whole.SetUseIndex(true);
        const Figure every = Median([&] {
            CSqlSelect b;
            compose(b);
            whole.Run(b, SplitWords(word));
            return true;
        });
        Row(std::string("body search ") + word + ": whole list with every column read up front",
            every, "—", {}, indexGoalText, WithinMs(every, indexGoal));
        // What the list reads when it shows a screen of rows: the columns of 400 rows.
        if (rows.size() >= 400) {
            const Figure screen = Median([&] {
                std::vector<CLawRow> shown(rows.end() - 400, rows.end());
                std::vector<CLawRow*> pending;
                for (CLawRow& row : shown)
                    pending.push_back(&row);
                return CLawRowFill::Fill(db, "dornlaws", pending);
            });
            Row(std::string("body search ") + word + ": the columns of a screen (400 rows)", screen,
                "—", {}, "≤ 10 ms", WithinMs(screen, 10));
        }
        // What the list shows first: the rows come window by window, and the run ends once
        // 30 have come.
        const Figure firstRows = Median([&] {
            CSqlSelect b;
            compose(b);
            CBodySearch first(db, "dornlaws", connection);
            first.SetWorkers(o.workers);
            first.SetUseIndex(true);
            first.SetColumnsLater(true);
            size_t shown = 0;
            first.SetWindowSink([&](std::vector<CLawRow>&& found) {
                shown += found.size();
                return shown < 30;
            });
            first.Run(b, SplitWords(word));
            return true;
        });
        Row(std::string("body search ") + word + ": first 30 rows", firstRows, "—", {}, "≤ 10 ms",
            WithinMs(firstRows, 10));
        // The same search as before the full-text index: every window read.
        CBodySearch scan(db, "dornlaws", connection);
        scan.SetWorkers(o.workers);
        std::vector<CLawRow> scanned;
        const Figure scanMs = Median([&] {
            CSqlSelect b;
            compose(b);
            scanned = scan.Run(b, SplitWords(word));
            return true;
        });
        Row(std::string("body search ") + word + " through the index (" +
                std::to_string(search.GetSkippedCount()) + " of " +
                std::to_string(search.GetWindowCount()) + " windows skipped)",
            ours, "the same search scanning every window", scanMs,
            indexGoalText + ", never slower than the scan",
            WithinMs(ours, indexGoal) && ours.wall <= scanMs.wall * 1.1 &&
                scanned.size() == rows.size());
        if (o.quick) {
            Row(std::string("body search ") + word + " (" + std::to_string(rows.size()) +
                    " laws, not checked)",
                ours, "—", {}, "≤ 1 s", WithinMs(ours, 1000));
            continue;
        }
        CSqlSelect reference;
        compose(reference);
        reference.AddCondition(" and ", "law.body", " like ", CSearchComposer::LikeValue(word));
        const std::string sql = Translated(reference.Build());
        const Figure like = Median([&] { return RunProgram({o.cli, o.db, sql}); });
        Figure grep;
        if (!o.dump.empty())
            // Not to /dev/null: grep then stops at the first line found.
            grep = Median([&] {
                return RunProgram({"grep", "-F", "-c", word, o.dump},
                                  (o.scratch + "/grep.out").c_str());
            });
        std::set<int> expected, found;
        const bool plain = PlainLawIds(o.db, sql, expected);
        for (const CLawRow& row : rows)
            found.insert(row.m_nLawId);
        const bool same = plain && expected == found && found.size() == rows.size();
        failures += same ? 0 : 1;
        const std::string name =
            std::string("body search ") + word + " (" + std::to_string(rows.size()) + " laws, " +
            (same ? "same as plain LIKE" : "**differs from plain LIKE**") + ")";
        Row(name, ours, "grep -F -c", grep, "≤ 1 s", WithinMs(ours, 1000) && same);
        Row(std::string("body search ") + word + " against one plain LIKE", ours,
            "sqlite3 CLI, one LIKE", like, "≤ 1 s", WithinMs(ours, 1000) && same);
    }
    return failures;
}

// The check of the search index when the collection opens, and the room the index takes.
int IndexFigures(CDbConnection& db, const Options& o) {
    sqlite3* raw = db.GetConnectionHandle();
    std::string damage;
    bool sound = true;
    // The warm-up run records an index made before the record was kept.
    const Figure check = Median([&] {
        sound = CSearchIndex::CheckOnOpen(raw, "dornlaws", damage) &&
                CSearchIndex::CheckOnOpen(raw, "en_dornlaws", damage) && sound;
        return true;
    });
    Row(std::string("search index check on opening the collection, both editions") +
            (sound ? "" : " (**damage found**: " + damage + ")"),
        check, "—", {}, "≤ 50 ms", WithinMs(check, 50) && sound);
    // The index's own tables and the two indexes of the law table that come with it, against
    // the rest of the file.
    sqlite3* stat = nullptr;
    double indexBytes = -1, fileBytes = -1;
    if (sqlite3_open_v2(o.db.c_str(), &stat, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql =
            "select (select page_count*page_size from pragma_page_count, pragma_page_size), "
            "(select page_size from pragma_page_size)*(select count(*) from dbstat where name in "
            "(select name from "
            "sqlite_master where name like '%dornlaws!_body!_%' escape '!' or name like "
            "'%dornlaws!_title!_%' escape '!' or name like '%dornlaws!_topic' escape '!' "
            "or name like '%dornlaws!_byid' escape '!'))";
        if (sqlite3_prepare_v2(stat, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            fileBytes = sqlite3_column_double(stmt, 0);
            indexBytes = sqlite3_column_double(stmt, 1);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(stat);
    if (fileBytes > 0 && indexBytes >= 0) {
        const double ratio = fileBytes / (fileBytes - indexBytes);
        std::printf("| file with its search index: %s MB | %s× | — | the file without it: %s MB "
                    "| — | — | %s | ≤ 1.7× | %s |\n",
                    Number(fileBytes / 1e6).c_str(), Number(ratio).c_str(),
                    Number((fileBytes - indexBytes) / 1e6).c_str(), Number(ratio).c_str(),
                    ratio <= 1.7 ? "yes" : "**no**");
    }
    return sound ? 0 : 1;
}

void Import(const Options& o) {
    namespace fs = std::filesystem;
    const std::string ours = o.scratch + "/import-ours.mdb";
    const std::string bulk = o.scratch + "/import-bulk.mdb";
    auto fresh = [&](const std::string& file) {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(file + suffix, ec);
    };
    const Figure importMs = Median([&] {
        fresh(ours);
        return RunProgram({o.admin, "import", o.corpus, ours});
    });
    // The same rows inserted in one transaction into the same tables, which the sqlite3
    // program creates first from the imported file's own schema, as the import creates them.
    std::string schema = "PRAGMA page_size=65536; PRAGMA journal_mode=WAL; ";
    {
        sqlite3* src = nullptr;
        sqlite3_stmt* stmt = nullptr;
        fresh(ours);
        RunProgram({o.admin, "import", o.corpus, ours});
        if (sqlite3_open_v2(ours.c_str(), &src, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(
                src,
                "select sql from sqlite_master where sql is not null and name "
                "not like 'sqlite_%' and type<>'trigger' and name<>'search_index' and "
                "tbl_name not like '%\\_body%' escape '\\' and tbl_name not like "
                "'%\\_title%' escape '\\' order by type='index', rowid",
                -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                schema +=
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)) + std::string("; ");
        sqlite3_finalize(stmt);
        sqlite3_close(src);
    }
    const std::string sql = schema + "attach '" + ours +
                            "' as src; begin; insert into dorntree select * from src.dorntree; "
                            "insert into dornlaws select * from src.dornlaws; insert into "
                            "dornlawas select * from src.dornlawas; commit;";
    std::vector<double> walls, cpus;
    const Figure bulkMs = [&]() -> Figure {
        for (int i = 0; i <= theRepeat; ++i) {
            fresh(bulk);
            const double cpu = CpuMs();
            const auto start = Clock::now();
            if (!RunProgram({o.cli, bulk, sql}))
                return {};
            if (i > 0) {
                walls.push_back(Ms(Clock::now() - start));
                cpus.push_back(CpuMs() - cpu);
            }
        }
        std::sort(walls.begin(), walls.end());
        std::sort(cpus.begin(), cpus.end());
        return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
    }();
    // The peer writes the tables without the full-text index, which the import builds.
    Row("import of the shared corpus, full-text index included", importMs,
        "SQLite bulk insert, one transaction, no index", bulkMs, "≤ 2× bulk insert",
        RatioMet(importMs, bulkMs, 2.0));
    fresh(ours);
    fresh(bulk);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: perf-bench DB [--repeat N] [--workers N] [--dump TEXTS] "
                             "[--sqlite3 CLI] [--import CORPUS --admin TOOL --scratch DIR]\n");
        return 2;
    }
    Options o;
    o.db = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const std::string v = argv[i + 1];
        if (a == "--repeat")
            theRepeat = std::max(1, std::atoi(v.c_str()));
        else if (a == "--workers")
            o.workers = std::atoi(v.c_str());
        else if (a == "--dump")
            o.dump = v;
        else if (a == "--sqlite3")
            o.cli = v;
        else if (a == "--import")
            o.corpus = v;
        else if (a == "--admin")
            o.admin = v;
        else if (a == "--scratch")
            o.scratch = v;
        else if (a == "--only")
            o.only = v;
        else if (a == "--word")
            o.words.push_back(v);
        else if (a == "--quick")
            o.quick = v == "1";
    }
    CMessageRecorder messages;
    CDbConnection db;
    const std::string connection = "Data Source=" + o.db;
    if (!db.Connect(connection.c_str(), 0)) {
        std::fprintf(stderr, "perf-bench: cannot open %s\n", o.db.c_str());
        return 1;
    }
    theEditionConfig.SetEdition(0);
    int failures = 0;
    auto wanted = [&](const char* group) { return o.only.empty() || o.only == group; };
    if (!o.corpus.empty() && !o.admin.empty() && wanted("import"))
        Import(o);
    if (wanted("listings"))
        failures += Listings(db, o);
    if (wanted("index"))
        failures += IndexFigures(db, o);
    if (wanted("body"))
        failures += BodySearches(db, o);
    if (!messages.Messages().empty())
        std::fprintf(stderr, "perf-bench: %zu message boxes\n", messages.Messages().size());
    return failures == 0 ? 0 : 1;
}
