#include "data/SearchIndex.h"

#include "data/BigramTokenizer.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <sqlite3.h>

namespace {

int AutoRegister(sqlite3* db, char**, const sqlite3_api_routines*) {
    CBigramTokenizer::Register(db);
    return SQLITE_OK;
}

bool Exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK)
        return true;
    error = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    return false;
}

// The first column of the first row of `sql` as an integer; `fallback` when there is none.
std::int64_t QueryInt(sqlite3* db, const std::string& sql, std::int64_t fallback,
                      bool* ok = nullptr) {
    sqlite3_stmt* stmt = nullptr;
    std::int64_t value = fallback;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
            value = sqlite3_column_int64(stmt, 0);
    }
    if (ok)
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
    sqlite3_finalize(stmt);
    return value;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

// How the index tables are declared: pairs read up to the first NUL, each in its place.
std::string Tokenize() {
    return std::string("tokenize='") + CBigramTokenizer::kName + " " +
           CBigramTokenizer::kStopAtNul + " " + CBigramTokenizer::kPositions + "', detail=full";
}

// True when the index table of `column` is declared with `declared`.
bool Declares(sqlite3* db, const std::string& lawTable, const std::string& column,
              const std::string& declared) {
    return QueryInt(db,
                    "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=" +
                        Quoted(CSearchIndex::IndexTable(lawTable, column)) + " AND instr(sql," +
                        Quoted(declared) + ")>0",
                    0) == 1;
}

} // namespace

void CSearchIndex::RegisterEverywhere() {
    static std::once_flag once;
    std::call_once(once,
                   [] { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&AutoRegister)); });
}

std::string CSearchIndex::IndexTable(const std::string& lawTable, const std::string& column) {
    return lawTable + (column == "topic" ? "_title" : "_body");
}

std::string CSearchIndex::Ddl(const std::string& t, std::int64_t upto) {
    const std::string body = IndexTable(t, "body");
    const std::string title = IndexTable(t, "topic");
    const std::string mark = "(SELECT upto FROM search_index WHERE tbl=" + Quoted(t) + ")";
    auto fts = [&](const std::string& name, const char* column) {
        return "CREATE VIRTUAL TABLE " + name + " USING fts5(" + column + ", content=" + Quoted(t) +
               ", content_rowid='lawid', " + Tokenize() + ", columnsize=0);\n";
    };
    // Keeps one index table in step with a column of the law table.
    auto onUpdate = [&](const std::string& name, const char* column) {
        const std::string c = column;
        return "CREATE TRIGGER " + name + "_au AFTER UPDATE OF lawid," + c + " ON " + t +
               " WHEN old.lawid<=" + mark + " BEGIN INSERT INTO " + name + "(" + name + ",rowid," +
               c + ") VALUES('delete',old.lawid,old." + c + "); INSERT INTO " + name + "(rowid," +
               c + ") SELECT new.lawid,new." + c + " WHERE new.lawid<=" + mark + "; END;\n" +
               "CREATE TRIGGER " + name + "_au2 AFTER UPDATE OF lawid," + c + " ON " + t +
               " WHEN old.lawid>" + mark + " AND new.lawid<=" + mark + " BEGIN INSERT INTO " +
               name + "(rowid," + c + ") VALUES(new.lawid,new." + c + "); END;\n";
    };
    std::string ddl = "CREATE TABLE IF NOT EXISTS search_index (tbl TEXT PRIMARY KEY, upto "
                      "INTEGER NOT NULL);\n";
    ddl += "INSERT OR REPLACE INTO search_index VALUES(" + Quoted(t) + "," + std::to_string(upto) +
           ");\n";
    ddl += fts(body, "body") + fts(title, "topic");
    ddl += "CREATE TRIGGER " + t + "_index_ai AFTER INSERT ON " + t + " WHEN new.lawid<=" + mark +
           " BEGIN INSERT INTO " + body + "(rowid,body) VALUES(new.lawid,new.body); INSERT INTO " +
           title + "(rowid,topic) VALUES(new.lawid,new.topic); END;\n";
    ddl += "CREATE TRIGGER " + t + "_index_ad AFTER DELETE ON " + t + " WHEN old.lawid<=" + mark +
           " BEGIN INSERT INTO " + body + "(" + body +
           ",rowid,body) VALUES('delete',old.lawid,old.body); INSERT INTO " + title + "(" + title +
           ",rowid,topic) VALUES('delete',old.lawid,old.topic); END;\n";
    ddl += onUpdate(body, "body") + onUpdate(title, "topic");
    // Titles in byte order, with the other columns of the law list: the search box finds the
    // title typed and the titles beginning with it without reading every law, and lists
    // them without reading the laws' rows.
    ddl += "CREATE INDEX IF NOT EXISTS " + TitleOrderIndex(t) + " ON " + t +
           " (topic, datum, wenhao, bumen);\n";
    ddl += "CREATE INDEX IF NOT EXISTS " + ListByIdIndex(t) + " ON " + t +
           " (lawid, topic, datum, wenhao, bumen);\n";
    return ddl;
}

std::string CSearchIndex::ListByIdIndex(const std::string& lawTable) {
    return lawTable + "_byid";
}

bool CSearchIndex::HasListByIdIndex(sqlite3* db, const std::string& lawTable) {
    return QueryInt(db,
                    "SELECT count(*) FROM sqlite_master WHERE type='index' AND name=" +
                        Quoted(ListByIdIndex(lawTable)) + " AND tbl_name=" + Quoted(lawTable),
                    0) == 1;
}

std::string CSearchIndex::TitleOrderIndex(const std::string& lawTable) {
    return lawTable + "_topic";
}

bool CSearchIndex::IsOutdated(sqlite3* db, const std::string& lawTable) {
    return BuiltUpTo(db, lawTable) >= 0 &&
           (!HasPositions(db, lawTable, "body") || !HasPositions(db, lawTable, "topic") ||
            !HasListByIdIndex(db, lawTable));
}

std::int64_t CSearchIndex::BuiltUpTo(sqlite3* db, const std::string& lawTable) {
    return QueryInt(db,
                    "SELECT upto FROM search_index WHERE tbl=" + Quoted(lawTable) +
                        " AND EXISTS (SELECT 1 FROM sqlite_master WHERE name=" +
                        Quoted(IndexTable(lawTable, "body")) + ")",
                    -1);
}

int CSearchIndex::Create(sqlite3* db, const std::string& lawTable, std::string& error) {
    RegisterEverywhere();
    if (!CBigramTokenizer::Register(db)) {
        error = "the SQLite library has no FTS5";
        return 0;
    }
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return 0;
    if (BuiltUpTo(db, lawTable) < 0) {
        const bool empty =
            QueryInt(db, "SELECT count(*) FROM (SELECT 1 FROM " + lawTable + " LIMIT 1)", 1) == 0;
        if (!Exec(db, Ddl(lawTable, empty ? kComplete : 0), error)) {
            Exec(db, "ROLLBACK", error);
            return 0;
        }
    }
    return Exec(db, "COMMIT", error) ? 1 : (Exec(db, "ROLLBACK", error), 0);
}

int CSearchIndex::Drop(sqlite3* db, const std::string& t, std::string& error) {
    const std::string body = IndexTable(t, "body");
    const std::string title = IndexTable(t, "topic");
    std::string sql = "BEGIN IMMEDIATE;";
    for (const std::string& trigger : {t + "_index_ai", t + "_index_ad", body + "_au",
                                       body + "_au2", title + "_au", title + "_au2"})
        sql += "DROP TRIGGER IF EXISTS " + trigger + ";";
    sql += "DROP INDEX IF EXISTS " + TitleOrderIndex(t) + ";";
    sql += "DROP INDEX IF EXISTS " + ListByIdIndex(t) + ";";
    sql += "DROP TABLE IF EXISTS " + body + "; DROP TABLE IF EXISTS " + title +
           "; CREATE TABLE IF NOT EXISTS search_index (tbl TEXT PRIMARY KEY, upto INTEGER NOT "
           "NULL); DELETE FROM search_index WHERE tbl=" +
           Quoted(t) + "; COMMIT;";
    if (Exec(db, sql, error))
        return 1;
    std::string ignored;
    Exec(db, "ROLLBACK", ignored);
    return 0;
}

int CSearchIndex::BuildStep(sqlite3* db, const std::string& t, int laws, long long& done,
                            long long& total, std::string& error) {
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return -1;
    auto fail = [&] {
        std::string ignored;
        Exec(db, "ROLLBACK", ignored);
        return -1;
    };
    const std::int64_t upto = BuiltUpTo(db, t);
    if (upto < 0) {
        error = "no search index in " + t;
        return fail();
    }
    total = QueryInt(db, "SELECT count(*) FROM " + t, 0);
    if (upto == kComplete) {
        done = total;
        return Exec(db, "COMMIT", error) ? 0 : fail();
    }
    const std::string from = std::to_string(upto);
    const std::int64_t highest = QueryInt(db, "SELECT max(lawid) FROM " + t, 0);
    std::int64_t next =
        QueryInt(db,
                 "SELECT lawid FROM " + t + " WHERE lawid>" + from +
                     " ORDER BY lawid LIMIT 1 OFFSET " + std::to_string(laws > 0 ? laws - 1 : 0),
                 highest);
    const std::string to = std::to_string(next);
    const std::string range = " FROM " + t + " WHERE lawid>" + from + " AND lawid<=" + to;
    const bool finished = next >= highest;
    const std::string mark = finished ? std::to_string(kComplete) : to;
    if (!Exec(db,
              "INSERT INTO " + IndexTable(t, "body") + "(rowid,body) SELECT lawid,body" + range +
                  ";\nINSERT INTO " + IndexTable(t, "topic") + "(rowid,topic) SELECT lawid,topic" +
                  range + ";\nUPDATE search_index SET upto=" + mark + " WHERE tbl=" + Quoted(t),
              error))
        return fail();
    done = finished ? total : QueryInt(db, "SELECT count(*) FROM " + t + " WHERE lawid<=" + to, 0);
    if (!Exec(db, "COMMIT", error))
        return fail();
    return finished ? 0 : 1;
}

namespace {

// FTS5's pending pairs are flushed into a new segment whenever they pass this many bytes
// (1 MB by default); a bulk pass keeps them in memory for far longer and so writes few
// segments, merged once at its end.
constexpr int kBulkHashBytes = 64 << 20;
constexpr int kDefaultHashBytes = 1 << 20;
constexpr int kDefaultAutomerge = 4;

// Sets an FTS5 option of both index tables of `t`.
bool Configure(sqlite3* db, const std::string& t, const char* option, int value,
               std::string& error) {
    for (const char* column : {"body", "topic"}) {
        const std::string table = CSearchIndex::IndexTable(t, column);
        if (!Exec(db,
                  "INSERT INTO " + table + "(" + table + ",rank) VALUES('" + option + "'," +
                      std::to_string(value) + ")",
                  error))
            return false;
    }
    return true;
}

} // namespace

std::int64_t CSearchIndex::BeginBulk(sqlite3* db, const std::string& t, std::string& error) {
    if (BuiltUpTo(db, t) != kComplete)
        return -1;
    bool ok = true;
    const std::int64_t highest = QueryInt(db, "SELECT max(lawid) FROM " + t, 0, &ok);
    if (!ok) {
        error = sqlite3_errmsg(db);
        return -2;
    }
    if (!Exec(db,
              "UPDATE search_index SET upto=" + std::to_string(highest) + " WHERE tbl=" + Quoted(t),
              error))
        return -2;
    // Only tuning: an engine that refuses an option fills the index all the same.
    std::string ignored;
    Configure(db, t, "automerge", 0, ignored);
    Configure(db, t, "hashsize", kBulkHashBytes, ignored);
    return highest;
}

bool CSearchIndex::EndBulk(sqlite3* db, const std::string& t, std::int64_t from,
                           std::string& error) {
    if (from < 0)
        return true;
    const std::string body = IndexTable(t, "body");
    const std::string title = IndexTable(t, "topic");
    const std::string range = " FROM " + t + " WHERE lawid>" + std::to_string(from);
    if (!Exec(db,
              "INSERT INTO " + body + "(rowid,body) SELECT lawid,body" + range + ";\nINSERT INTO " +
                  title + "(rowid,topic) SELECT lawid,topic" + range +
                  ";\nUPDATE search_index SET upto=" + std::to_string(kComplete) +
                  " WHERE tbl=" + Quoted(t),
              error))
        return false;
    // A table filled from empty is merged into one segment; laws added to a large index are
    // left to the automatic merges rather than rewriting all of it.
    if (from == 0 &&
        !Exec(db,
              "INSERT INTO " + body + "(" + body + ") VALUES('optimize');\nINSERT INTO " + title +
                  "(" + title + ") VALUES('optimize')",
              error))
        return false;
    std::string ignored;
    Configure(db, t, "hashsize", kDefaultHashBytes, ignored);
    Configure(db, t, "automerge", kDefaultAutomerge, ignored);
    return true;
}

std::string CSearchIndex::MatchQuery(const std::vector<std::string>& words) {
    std::vector<std::string> phrases;
    for (const std::string& word : words)
        for (const std::vector<std::string>& run : CBigramTokenizer::PatternPhrases(word)) {
            // A pair holds letters, digits and characters beyond ASCII only: nothing to
            // escape. The pairs of a run stand one after the other ("ab" + "bc").
            std::string phrase;
            for (const std::string& pair : run)
                phrase += (phrase.empty() ? "\"" : " + \"") + pair + "\"";
            if (std::find(phrases.begin(), phrases.end(), phrase) == phrases.end())
                phrases.push_back(std::move(phrase));
        }
    std::string query;
    for (const std::string& phrase : phrases)
        query += (query.empty() ? "" : " AND ") + phrase;
    return query;
}

bool CSearchIndex::StopsAtNul(sqlite3* db, const std::string& lawTable, const std::string& column) {
    return Declares(db, lawTable, column,
                    std::string("tokenize='") + CBigramTokenizer::kName + " " +
                        CBigramTokenizer::kStopAtNul);
}

bool CSearchIndex::HasPositions(sqlite3* db, const std::string& lawTable,
                                const std::string& column) {
    return Declares(db, lawTable, column, Tokenize());
}

bool CSearchIndex::Candidates(sqlite3* db, const std::string& lawTable, const std::string& column,
                              const std::vector<std::string>& words, std::vector<int>& lawids,
                              std::int64_t& upto, bool* exact, std::int64_t above,
                              std::int64_t through) {
    lawids.clear();
    upto = 0;
    if (exact)
        *exact = false;
    if (!db)
        return false;
    const std::string query = MatchQuery(words);
    if (query.empty())
        return false;
    const std::int64_t mark = BuiltUpTo(db, lawTable);
    if (mark <= 0)
        return false;
    const std::string table = IndexTable(lawTable, column);
    sqlite3_stmt* stmt = nullptr;
    // The index seeks to the range in its lists rather than reading them from the start.
    if (sqlite3_prepare_v2(db,
                           ("SELECT rowid FROM " + table + " WHERE " + table +
                            " MATCH ?1 AND rowid > ?2 AND rowid <= ?3")
                               .c_str(),
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(stmt, 1, query.c_str(), static_cast<int>(query.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(stmt, 2, above);
    sqlite3_bind_int64(stmt, 3, through);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        lawids.push_back(static_cast<int>(sqlite3_column_int64(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        lawids.clear();
        return false;
    }
    upto = mark;
    if (exact)
        *exact =
            !words.empty() &&
            std::all_of(words.begin(), words.end(),
                        [](const std::string& word) { return CBigramTokenizer::IsOneRun(word); }) &&
            HasPositions(db, lawTable, column);
    return true;
}

std::int64_t CSearchIndex::CountCandidates(sqlite3* db, const std::string& lawTable,
                                           const std::string& column,
                                           const std::vector<std::string>& words,
                                           std::int64_t limit) {
    if (!db || limit <= 0)
        return -1;
    const std::string query = MatchQuery(words);
    if (query.empty())
        return -1;
    const std::int64_t mark = BuiltUpTo(db, lawTable);
    if (mark <= 0)
        return -1;
    const std::string table = IndexTable(lawTable, column);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           ("SELECT count(*) FROM (SELECT rowid FROM " + table + " WHERE " + table +
                            " MATCH ? LIMIT " + std::to_string(limit) + ")")
                               .c_str(),
                           -1, &stmt, nullptr) != SQLITE_OK)
        return -1;
    sqlite3_bind_text(stmt, 1, query.c_str(), static_cast<int>(query.size()), SQLITE_TRANSIENT);
    std::int64_t count = -1;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    // Laws above the mark are not in the index yet: each of them is a candidate.
    if (count >= 0 && count < limit && mark != kComplete) {
        const std::int64_t above =
            QueryInt(db,
                     "SELECT count(*) FROM (SELECT 1 FROM " + lawTable + " WHERE lawid>" +
                         std::to_string(mark) + " LIMIT " + std::to_string(limit - count) + ")",
                     -1);
        count = above < 0 ? -1 : count + above;
    }
    return count;
}

bool CSearchIndex::MatchesTable(sqlite3* db, const std::string& t, std::string& difference) {
    const std::int64_t upto = BuiltUpTo(db, t);
    if (upto < 0) {
        difference = "no search index";
        return false;
    }
    for (const char* column : {"body", "topic"}) {
        const bool upToNul = StopsAtNul(db, t, column);
        using Pairs = std::map<std::int64_t, std::set<std::string>>;
        Pairs expected, actual;
        sqlite3_stmt* stmt = nullptr;
        const std::string rows = "SELECT lawid," + std::string(column) + " FROM " + t +
                                 " WHERE lawid<=" + std::to_string(upto);
        if (sqlite3_prepare_v2(db, rows.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            difference = sqlite3_errmsg(db);
            return false;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            std::set<std::string>& pairs = expected[sqlite3_column_int64(stmt, 0)];
            std::string_view view;
            if (text)
                view = std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(stmt, 1)));
            CBigramTokenizer::Tokenize(
                upToNul ? CBigramTokenizer::UpToNul(view) : view,
                [&](std::string_view pair, int, int) { pairs.emplace(pair); });
        }
        sqlite3_finalize(stmt);
        for (auto it = expected.begin(); it != expected.end();)
            it = it->second.empty() ? expected.erase(it) : std::next(it);
        std::string error;
        const std::string vocab = "temp.search_index_vocab";
        Exec(db, "DROP TABLE IF EXISTS " + vocab, error);
        if (!Exec(db,
                  "CREATE VIRTUAL TABLE " + vocab + " USING fts5vocab(main," +
                      IndexTable(t, column) + ",instance)",
                  error)) {
            difference = error;
            return false;
        }
        if (sqlite3_prepare_v2(db, ("SELECT DISTINCT term,doc FROM " + vocab).c_str(), -1, &stmt,
                               nullptr) != SQLITE_OK) {
            difference = sqlite3_errmsg(db);
            Exec(db, "DROP TABLE " + vocab, error);
            return false;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string term(reinterpret_cast<const char*>(sqlite3_column_blob(stmt, 0)),
                             static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
            if (term != CBigramTokenizer::kGap)
                actual[sqlite3_column_int64(stmt, 1)].emplace(std::move(term));
        }
        sqlite3_finalize(stmt);
        Exec(db, "DROP TABLE " + vocab, error);
        if (expected != actual) {
            auto e = expected.begin();
            auto a = actual.begin();
            while (e != expected.end() && a != actual.end() && *e == *a)
                ++e, ++a;
            const std::int64_t law = e == expected.end() ? a->first
                                     : a == actual.end() ? e->first
                                                         : std::min(e->first, a->first);
            difference = std::string(column) + " of law " + std::to_string(law) +
                         (actual.count(law) ? "" : " missing from the index") +
                         (expected.count(law) ? "" : " indexed but not in the table");
            return false;
        }
    }
    return true;
}
