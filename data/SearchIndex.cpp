#include "data/SearchIndex.h"

#include "data/BigramTokenizer.h"
#include "data/CitationTable.h"
#include "data/DirectSql.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <set>
#include <sqlite3.h>

namespace {

int AutoRegister(sqlite3* db, char**, const sqlite3_api_routines*) {
    CBigramTokenizer::Register(db);
    return SQLITE_OK;
}

using direct_sql::Exec;
using direct_sql::QueryInt;
using direct_sql::Quoted;

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

// Indexes found damaged in a file that could not be written: set aside for the rest of
// the process, keyed by the file and the law table.
std::mutex g_asideLock;
std::set<std::string> g_aside;

std::string AsideKey(sqlite3* db, const std::string& lawTable) {
    const char* file = sqlite3_db_filename(db, "main");
    return std::string(file ? file : "") + '\n' + lawTable;
}

bool IsAside(sqlite3* db, const std::string& lawTable) {
    std::lock_guard lock(g_asideLock);
    return !g_aside.empty() && g_aside.count(AsideKey(db, lawTable)) > 0;
}

// An index the engine finds corrupt while a search reads it (a page deleted from inside a
// segment, which the check on opening does not see) is not used again by this process; the
// window's builder makes it again when it next runs.
void SetAsideWhenCorrupt(sqlite3* db, const std::string& lawTable, int rc) {
    if ((rc & 0xff) != SQLITE_CORRUPT)
        return;
    std::lock_guard lock(g_asideLock);
    g_aside.insert(AsideKey(db, lawTable));
}

void ForgetAside(sqlite3* db, const std::string& lawTable) {
    std::lock_guard lock(g_asideLock);
    g_aside.erase(AsideKey(db, lawTable));
}

// The table of what each index table held when the program last wrote it.
constexpr const char* kStateDdl =
    "CREATE TABLE IF NOT EXISTS search_index_state (name TEXT PRIMARY KEY, upto INTEGER, "
    "totals BLOB, segments BLOB, last INTEGER, terms INTEGER, version)";

// The engine's record of an index table's totals (its number of documents first) and of its
// segments, in its own table of pages.
constexpr int kTotalsRecord = 1;
constexpr int kSegmentsRecord = 10;
// The engine's format of its tables, in their settings.
constexpr int kEngineFormat = 4;

// The number of documents at the head of the totals record (a varint as the engine writes
// it: big-endian groups of seven bits, the ninth byte whole); 0 when there is none.
std::int64_t DocumentsIn(const unsigned char* record, int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size && i < 9; ++i) {
        if (i == 8)
            return static_cast<std::int64_t>((value << 8) | record[i]);
        value = (value << 7) | (record[i] & 0x7f);
        if (!(record[i] & 0x80))
            return static_cast<std::int64_t>(value);
    }
    return 0;
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

std::string CSearchIndex::ChangesTable(const std::string& lawTable) {
    return lawTable + "_changes";
}

namespace {

// The triggers that log the laws written into the changes table, and those of the index
// made by earlier versions, which called the tokenizer in every write.
std::vector<std::string> LogTriggers(const std::string& t) {
    return {t + "_log_bi", t + "_log_ai", t + "_log_au", t + "_log_ad"};
}
std::vector<std::string> OldTriggers(const std::string& t) {
    const std::string body = CSearchIndex::IndexTable(t, "body");
    const std::string title = CSearchIndex::IndexTable(t, "topic");
    return {t + "_index_ai", t + "_index_ad", body + "_au",
            body + "_au2",   title + "_au",   title + "_au2"};
}

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ",") + Quoted(name);
    return list;
}

} // namespace

std::string CSearchIndex::LogDdl(const std::string& t) {
    const std::string c = ChangesTable(t);
    const std::vector<std::string> trigger = LogTriggers(t);
    // A law's entry unless it has one; no conflict can arise, so the conflict clause of the
    // statement that fired the trigger (which overrides the trigger's own) changes nothing.
    auto log = [&](const std::string& lawid, const std::string& values) {
        return "INSERT INTO " + c + " SELECT " + values + " WHERE NOT EXISTS (SELECT 1 FROM " + c +
               " WHERE lawid=" + lawid + ");";
    };
    // Plain SQL that any program runs: the first change of a law since the index last took
    // the log in keeps the law's values as the index holds them (old=1), or tells that the
    // index holds none for it (old=0). A replaced row is logged before it goes.
    return "CREATE TABLE IF NOT EXISTS " + c +
           " (lawid INTEGER PRIMARY KEY, old INTEGER NOT NULL, topic, body);\n"
           "CREATE TRIGGER IF NOT EXISTS " +
           trigger[0] + " BEFORE INSERT ON " + t + " BEGIN INSERT INTO " + c +
           " SELECT lawid,1,topic,body FROM " + t + " WHERE lawid=new.lawid AND NOT EXISTS " +
           "(SELECT 1 FROM " + c + " WHERE lawid=new.lawid); END;\n" +
           "CREATE TRIGGER IF NOT EXISTS " + trigger[1] + " AFTER INSERT ON " + t + " BEGIN " +
           log("new.lawid", "new.lawid,0,NULL,NULL") + " END;\n" + "CREATE TRIGGER IF NOT EXISTS " +
           trigger[2] + " AFTER UPDATE OF lawid,topic,body ON " + t + " BEGIN " +
           log("old.lawid", "old.lawid,1,old.topic,old.body") +
           log("new.lawid", "new.lawid,0,NULL,NULL") + " END;\n" + "CREATE TRIGGER IF NOT EXISTS " +
           trigger[3] + " AFTER DELETE ON " + t + " BEGIN " +
           log("old.lawid", "old.lawid,1,old.topic,old.body") + " END;\n";
}

std::string CSearchIndex::Ddl(const std::string& t, std::int64_t upto) {
    const std::string body = IndexTable(t, "body");
    const std::string title = IndexTable(t, "topic");
    auto fts = [&](const std::string& name, const char* column) {
        return "CREATE VIRTUAL TABLE " + name + " USING fts5(" + column + ", content=" + Quoted(t) +
               ", content_rowid='lawid', " + Tokenize() + ", columnsize=0);\n";
    };
    std::string ddl = "CREATE TABLE IF NOT EXISTS search_index (tbl TEXT PRIMARY KEY, upto "
                      "INTEGER NOT NULL);\n";
    ddl += "INSERT OR REPLACE INTO search_index VALUES(" + Quoted(t) + "," + std::to_string(upto) +
           ");\n";
    ddl += fts(body, "body") + fts(title, "topic") + LogDdl(t);
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
    std::vector<std::string> names = OldTriggers(lawTable);
    for (std::string& name : LogTriggers(lawTable))
        names.push_back(std::move(name));
    names.push_back(IndexTable(lawTable, "body"));
    names.push_back(IndexTable(lawTable, "topic"));
    names.push_back(ChangesTable(lawTable));
    const bool any =
        QueryInt(db, "SELECT count(*) FROM sqlite_master WHERE name IN (" + NameList(names) + ")",
                 0) > 0 ||
        QueryInt(db, "SELECT count(*) FROM search_index WHERE tbl=" + Quoted(lawTable), 0) > 0;
    return any && BuiltUpTo(db, lawTable) < 0;
}

std::int64_t CSearchIndex::BuiltUpTo(sqlite3* db, const std::string& lawTable) {
    // The index counts only with all of its parts: both tables as declared now, the log and
    // every trigger that keeps it, and no trigger of an earlier version.
    const std::string declared = Quoted(Tokenize());
    const std::vector<std::string> triggers = LogTriggers(lawTable);
    const std::string parts =
        "(SELECT count(*) FROM sqlite_master WHERE (type='table' AND name IN (" +
        NameList({IndexTable(lawTable, "body"), IndexTable(lawTable, "topic")}) +
        ") AND instr(sql," + declared +
        ")>0) OR (type='table' AND name=" + Quoted(ChangesTable(lawTable)) +
        ") OR (type='trigger' AND tbl_name=" + Quoted(lawTable) + " AND name IN (" +
        NameList(triggers) + ")) OR (type='index' AND name=" + Quoted(ListByIdIndex(lawTable)) +
        "))";
    const std::string old =
        "(SELECT count(*) FROM sqlite_master WHERE type='trigger' AND name IN (" +
        NameList(OldTriggers(lawTable)) + "))";
    if (IsAside(db, lawTable))
        return -1;
    return QueryInt(db,
                    "SELECT upto FROM search_index WHERE tbl=" + Quoted(lawTable) + " AND " +
                        parts + "=" + std::to_string(triggers.size() + 4) + " AND " + old + "=0",
                    -1);
}

std::int64_t CSearchIndex::Mark(sqlite3* db, const std::string& lawTable) {
    return QueryInt(db, "SELECT upto FROM search_index WHERE tbl=" + Quoted(lawTable), -1);
}

bool CSearchIndex::Remember(sqlite3* db, const std::string& t, std::string& error) {
    std::string sql = std::string(kStateDdl) + ";\n";
    for (const char* column : {"body", "topic"}) {
        const std::string table = IndexTable(t, column);
        sql += "INSERT OR REPLACE INTO search_index_state VALUES(" + Quoted(table) +
               ",(SELECT upto FROM search_index WHERE tbl=" + Quoted(t) + "),(SELECT block FROM " +
               table + "_data WHERE id=" + std::to_string(kTotalsRecord) + "),(SELECT block FROM " +
               table + "_data WHERE id=" + std::to_string(kSegmentsRecord) +
               "),(SELECT max(id) FROM " + table + "_data),(SELECT count(*) FROM " + table +
               "_idx),(SELECT v FROM " + table + "_config WHERE k='version'));\n";
    }
    return Exec(db, sql, error);
}

namespace {

// What differs between index table `table` of `t` and what the program recorded of it;
// `unrecorded` when there is no record.
std::string TableDamage(sqlite3* db, const std::string& t, const std::string& table,
                        bool& unrecorded) {
    unrecorded = false;
    const std::string check =
        "SELECT s.upto IS (SELECT upto FROM search_index WHERE tbl=" + Quoted(t) +
        "), s.totals IS (SELECT block FROM " + table +
        "_data WHERE id=" + std::to_string(kTotalsRecord) + "), s.segments IS (SELECT block FROM " +
        table + "_data WHERE id=" + std::to_string(kSegmentsRecord) +
        "), s.last IS (SELECT max(id) FROM " + table + "_data), s.terms IS (SELECT count(*) FROM " +
        table + "_idx), s.version IS (SELECT v FROM " + table +
        "_config WHERE k='version') FROM search_index_state s WHERE s.name=" + Quoted(table);
    sqlite3_stmt* stmt = nullptr;
    std::string damage;
    if (QueryInt(db,
                 "SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                 "name='search_index_state'",
                 0) == 0) {
        unrecorded = true;
    } else if (sqlite3_prepare_v2(db, check.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        damage = table + ": " + sqlite3_errmsg(db);
    } else {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) {
            unrecorded = true;
        } else if (rc != SQLITE_ROW) {
            damage = table + ": " + sqlite3_errmsg(db);
        } else {
            static const char* const kParts[] = {"its mark",      "its totals",     "its segments",
                                                 "its last page", "its term pages", "its format"};
            for (int i = 0; i < 6; ++i)
                if (sqlite3_column_int(stmt, i) != 1)
                    damage += (damage.empty() ? table + ": " : std::string(", ")) + kParts[i];
            if (!damage.empty())
                damage += " not as the program left them";
        }
    }
    sqlite3_finalize(stmt);
    if (!damage.empty())
        return damage;
    // The engine itself reads the index's settings, segments and first pages.
    if (sqlite3_prepare_v2(
            db,
            ("SELECT rowid FROM " + table + " WHERE " + table + " MATCH '\"zq\"' LIMIT 1").c_str(),
            -1, &stmt, nullptr) != SQLITE_OK)
        damage = table + ": " + sqlite3_errmsg(db);
    else if (const int rc = sqlite3_step(stmt); rc != SQLITE_ROW && rc != SQLITE_DONE)
        damage = table + ": " + sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (!damage.empty() || !unrecorded)
        return damage;
    // An index made before the record: its number of laws against the law table's, once.
    // It holds each law up to the mark but those logged since, and the old values of the
    // logged laws it held.
    const std::int64_t mark = CSearchIndex::Mark(db, t);
    const std::string upto = std::to_string(mark);
    const std::string c = CSearchIndex::ChangesTable(t);
    bool ok = true;
    const std::int64_t expected =
        QueryInt(db, "SELECT count(*) FROM " + t + " WHERE lawid<=" + upto, 0, &ok) -
        QueryInt(db,
                 "SELECT count(*) FROM " + c + " c JOIN " + t +
                     " law ON law.lawid=c.lawid WHERE c.lawid<=" + upto,
                 0) +
        QueryInt(db, "SELECT count(*) FROM " + c + " WHERE old=1 AND lawid<=" + upto, 0);
    std::int64_t held = 0;
    if (sqlite3_prepare_v2(
            db,
            ("SELECT block FROM " + table + "_data WHERE id=" + std::to_string(kTotalsRecord))
                .c_str(),
            -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        held = DocumentsIn(static_cast<const unsigned char*>(sqlite3_column_blob(stmt, 0)),
                           sqlite3_column_bytes(stmt, 0));
    sqlite3_finalize(stmt);
    if (ok && held != expected)
        damage =
            table + ": " + std::to_string(held) + " laws indexed of " + std::to_string(expected);
    return damage;
}

} // namespace

std::string CSearchIndex::Damage(sqlite3* db, const std::string& t, bool* unrecorded) {
    if (unrecorded)
        *unrecorded = false;
    // The engine reads the index with the tokenizer it was made with, whoever opened the
    // connection.
    CBigramTokenizer::Register(db);
    // One snapshot of the index and its record.
    const direct_sql::ReadTransaction snapshot(db);
    std::string damage;
    for (const char* column : {"body", "topic"}) {
        bool missing = false;
        damage = TableDamage(db, t, IndexTable(t, column), missing);
        if (unrecorded && missing)
            *unrecorded = true;
        if (!damage.empty())
            break;
    }
    return damage;
}

bool CSearchIndex::SetAside(sqlite3* db, const std::string& t, std::string& error) {
    if (Exec(db, "DELETE FROM search_index WHERE tbl=" + Quoted(t), error))
        return true;
    // A file that cannot be written: this process goes without the index all the same.
    std::lock_guard lock(g_asideLock);
    g_aside.insert(AsideKey(db, t));
    return false;
}

bool CSearchIndex::CheckOnOpen(sqlite3* db, const std::string& t, std::string& damage) {
    damage.clear();
    if (BuiltUpTo(db, t) < 0)
        return true;
    bool unrecorded = false;
    damage = Damage(db, t, &unrecorded);
    std::string ignored;
    if (!damage.empty()) {
        SetAside(db, t, ignored);
        return false;
    }
    // Recorded from now on (a file that cannot be written is checked again next time).
    if (unrecorded && Exec(db, "BEGIN IMMEDIATE", ignored)) {
        bool again = false;
        if (Damage(db, t, &again).empty() && Remember(db, t, ignored))
            Exec(db, "COMMIT", ignored);
        else
            Exec(db, "ROLLBACK", ignored);
    }
    return true;
}

bool CSearchIndex::DropOldTriggers(sqlite3* db, const std::string& lawTable, std::string& error) {
    std::vector<std::string> old = OldTriggers(lawTable);
    // Triggers of a log whose table is gone would fail every write as well.
    if (QueryInt(db,
                 "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=" +
                     Quoted(ChangesTable(lawTable)),
                 1) == 0)
        for (std::string& trigger : LogTriggers(lawTable))
            old.push_back(std::move(trigger));
    if (QueryInt(db,
                 "SELECT count(*) FROM sqlite_master WHERE type='trigger' AND name IN (" +
                     NameList(old) + ")",
                 0) == 0)
        return true;
    std::string sql;
    for (const std::string& trigger : old)
        sql += "DROP TRIGGER IF EXISTS " + trigger + ";";
    return Exec(db, sql, error);
}

bool CSearchIndex::Fold(sqlite3* db, const std::string& t, std::string& error) {
    const std::string c = ChangesTable(t);
    if (QueryInt(db, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=" + Quoted(c),
                 0) == 0 ||
        QueryInt(db, "SELECT count(*) FROM (SELECT 1 FROM " + c + " LIMIT 1)", 0) == 0)
        return true;
    const std::int64_t mark = Mark(db, t);
    if (mark >= 0) {
        const std::string body = IndexTable(t, "body");
        const std::string title = IndexTable(t, "topic");
        const std::string upto = std::to_string(mark);
        // Out with what the index holds of each law logged, in with what the law holds now.
        if (!Exec(db,
                  "INSERT INTO " + body + "(" + body +
                      ",rowid,body) SELECT 'delete',lawid,body FROM " + c +
                      " WHERE old=1 AND lawid<=" + upto + ";\nINSERT INTO " + title + "(" + title +
                      ",rowid,topic) SELECT 'delete',lawid,topic FROM " + c +
                      " WHERE old=1 AND lawid<=" + upto + ";\nINSERT INTO " + body +
                      "(rowid,body) SELECT law.lawid,law.body FROM " + c + " c JOIN " + t +
                      " law ON law.lawid=c.lawid WHERE c.lawid<=" + upto + ";\nINSERT INTO " +
                      title + "(rowid,topic) SELECT law.lawid,law.topic FROM " + c + " c JOIN " +
                      t + " law ON law.lawid=c.lawid WHERE c.lawid<=" + upto,
                  error))
            return false;
    }
    // The citations of the laws logged follow their texts. They are derived data: rows that
    // cannot be made again are dropped, to be built anew in the background, and never stop
    // the write that folds the log.
    std::string citeError;
    if (!CCitationTable::Refresh(db, t, "SELECT lawid FROM " + c, citeError))
        Exec(db, CCitationTable::DropSql(t), citeError);
    return Exec(db, "DELETE FROM " + c, error) && (mark < 0 || Remember(db, t, error));
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
        if (!Exec(db, Ddl(lawTable, empty ? kComplete : 0), error) ||
            !Remember(db, lawTable, error)) {
            std::string ignored;
            Exec(db, "ROLLBACK", ignored);
            return 0;
        }
    }
    if (!Exec(db, "COMMIT", error)) {
        std::string ignored;
        Exec(db, "ROLLBACK", ignored);
        return 0;
    }
    ForgetAside(db, lawTable);
    return 1;
}

namespace {

// The tokenizer named in an index table's declaration ("tokenize='name args'").
std::string DeclaredTokenizer(sqlite3* db, const std::string& table) {
    sqlite3_stmt* stmt = nullptr;
    std::string sql;
    if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE name=?1", -1, &stmt, nullptr) ==
        SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
            sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    size_t at = sql.find("tokenize");
    if (at == std::string::npos)
        return {};
    at += 8;
    while (at < sql.size() &&
           (sql[at] == ' ' || sql[at] == '=' || sql[at] == '\'' || sql[at] == '"'))
        ++at;
    std::string name;
    while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) || sql[at] == '_'))
        name += sql[at++];
    return name;
}

} // namespace

int CSearchIndex::Drop(sqlite3* db, const std::string& t, std::string& error) {
    const std::string body = IndexTable(t, "body");
    const std::string title = IndexTable(t, "topic");
    auto fail = [&] {
        std::string ignored;
        Exec(db, "ROLLBACK", ignored);
        return 0;
    };
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return 0;
    std::string sql;
    for (const std::vector<std::string>& triggers : {OldTriggers(t), LogTriggers(t)})
        for (const std::string& trigger : triggers)
            sql += "DROP TRIGGER IF EXISTS " + trigger + ";";
    sql += "DROP INDEX IF EXISTS " + TitleOrderIndex(t) + ";";
    sql += "DROP INDEX IF EXISTS " + ListByIdIndex(t) + ";";
    sql += "DROP TABLE IF EXISTS " + ChangesTable(t) +
           "; CREATE TABLE IF NOT EXISTS search_index (tbl TEXT PRIMARY KEY, upto INTEGER NOT "
           "NULL); DELETE FROM search_index WHERE tbl=" +
           Quoted(t) + ";" + kStateDdl + "; DELETE FROM search_index_state WHERE name IN (" +
           NameList({body, title}) + ");";
    // Without the log the citations would miss the laws written until it is made again.
    sql += CCitationTable::DropSql(t);
    if (!Exec(db, sql, error))
        return fail();
    for (const std::string& table : {body, title}) {
        if (Exec(db, "DROP TABLE IF EXISTS " + table, error))
            continue;
        // The engine opens a table to drop it, and refuses one whose segment list or
        // format is gone: an empty list and the format put back make it open again.
        std::string ignored;
        if (Exec(db,
                 "INSERT OR REPLACE INTO " + table + "_data(id,block) VALUES(" +
                     std::to_string(kSegmentsRecord) +
                     ",X'00000000000000');INSERT OR REPLACE INTO " + table +
                     "_config(k,v) VALUES('version'," + std::to_string(kEngineFormat) + ")",
                 ignored) &&
            Exec(db, "DROP TABLE IF EXISTS " + table, error))
            continue;
        // A table declared with a tokenizer this program does not know cannot even be
        // dropped without one of that name.
        const std::string name = DeclaredTokenizer(db, table);
        if (name.empty() || !CBigramTokenizer::RegisterAs(db, name) ||
            !Exec(db, "DROP TABLE IF EXISTS " + table, error))
            return fail();
        // The program's own tokenizer again, where that was the name.
        CBigramTokenizer::Register(db);
    }
    if (!Exec(db, "COMMIT", error))
        return fail();
    ForgetAside(db, t);
    return 1;
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
    if (!Fold(db, t, error))
        return fail();
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
    if (!Remember(db, t, error) || !Exec(db, "COMMIT", error))
        return fail();
    return finished ? 0 : 1;
}

namespace {

// FTS5's pending pairs are flushed into a new segment whenever they pass this many bytes
// (1 MB by default); a bulk pass keeps them in memory for far longer and so writes few
// segments, merged once at its end. Every pair written looks itself up in the engine's table
// of pending pairs, and a table this large misses the processor's cache: 4 MB took a fifth
// to a third less processor time to import the corpus or generate 10,000 laws, but its many
// more segments left four times the free pages in the file after their merges (7 % of the
// file against 1.7 % at 10,000 laws), so the file's size wins.
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
    const std::int64_t mark = BuiltUpTo(db, t);
    if (mark < 0)
        return -1;
    // A damaged index never stops a write of the laws: it is set aside, searches go without
    // it, and the window makes it again.
    std::string failure = Damage(db, t);
    if (!failure.empty())
        return SetAside(db, t, error) ? -1 : -2;
    if (mark != kComplete)
        return -1;
    if (!Fold(db, t, failure))
        return SetAside(db, t, error) ? -1 : -2;
    bool ok = true;
    const std::int64_t highest = QueryInt(db, "SELECT max(lawid) FROM " + t, 0, &ok);
    if (!ok) {
        error = sqlite3_errmsg(db);
        return -2;
    }
    if (!Exec(db,
              "UPDATE search_index SET upto=" + std::to_string(highest) + " WHERE tbl=" + Quoted(t),
              error) ||
        !Remember(db, t, error))
        return -2;
    // Only tuning: an engine that refuses an option fills the index all the same.
    std::string ignored;
    Configure(db, t, "automerge", 0, ignored);
    Configure(db, t, "hashsize", kBulkHashBytes, ignored);
    return highest;
}

bool CSearchIndex::EndBulk(sqlite3* db, const std::string& t, std::int64_t from, std::string& error,
                           const FillProgress& progress) {
    if (from < 0)
        return true;
    std::string failure;
    if (FillAfterBulk(db, t, from, failure, progress))
        return true;
    // The laws written stay: the index, which failed them, is set aside and made again by
    // the window, unless the engine gave up the caller's whole transaction.
    if (sqlite3_get_autocommit(db)) {
        error = failure;
        return false;
    }
    return SetAside(db, t, error);
}

bool CSearchIndex::FillAfterBulk(sqlite3* db, const std::string& t, std::int64_t from,
                                 std::string& error, const FillProgress& progress) {
    const std::string body = IndexTable(t, "body");
    const std::string title = IndexTable(t, "topic");
    // The laws up to the mark rewritten meanwhile first, then the new ones, a batch of
    // lawids at a time, all in the caller's transaction (FTS5 keeps the pending pairs
    // across the batches).
    if (!Fold(db, t, error))
        return false;
    bool ok = true;
    const std::int64_t total =
        progress
            ? QueryInt(db, "SELECT count(*) FROM " + t + " WHERE lawid>" + std::to_string(from), 0,
                       &ok)
            : 0;
    const bool told = ok && total > kFillBatch;
    std::int64_t done = 0;
    for (std::int64_t above = from;;) {
        const std::string batch = "SELECT lawid FROM " + t + " WHERE lawid>" +
                                  std::to_string(above) + " ORDER BY lawid LIMIT " +
                                  std::to_string(kFillBatch);
        const std::int64_t last = QueryInt(db, "SELECT max(lawid) FROM (" + batch + ")", -1, &ok);
        if (!ok) {
            error = sqlite3_errmsg(db);
            return false;
        }
        if (last < 0)
            break;
        const std::string range = " FROM " + t + " WHERE lawid>" + std::to_string(above) +
                                  " AND lawid<=" + std::to_string(last);
        if (!Exec(db,
                  "INSERT INTO " + body + "(rowid,body) SELECT lawid,body" + range +
                      ";\nINSERT INTO " + title + "(rowid,topic) SELECT lawid,topic" + range,
                  error))
            return false;
        above = last;
        done += kFillBatch;
        if (told)
            progress(std::min(done, total), total);
    }
    if (!Exec(db,
              "UPDATE search_index SET upto=" + std::to_string(kComplete) +
                  " WHERE tbl=" + Quoted(t),
              error))
        return false;
    if (told && from == 0)
        progress(-1, -1);
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
    return Remember(db, t, error);
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
        SetAsideWhenCorrupt(db, lawTable, rc);
        lawids.clear();
        return false;
    }
    // The laws written since the index last took in its log: the index may hold their old
    // pairs, so each of them is a candidate, and their texts decide.
    std::vector<int> logged;
    if (sqlite3_prepare_v2(db,
                           ("SELECT lawid FROM " + ChangesTable(lawTable) +
                            " WHERE lawid > ?1 AND lawid <= ?2 ORDER BY lawid")
                               .c_str(),
                           -1, &stmt, nullptr) != SQLITE_OK)
        return lawids.clear(), false;
    sqlite3_bind_int64(stmt, 1, above);
    sqlite3_bind_int64(stmt, 2, std::min(through, mark));
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        logged.push_back(static_cast<int>(sqlite3_column_int64(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return lawids.clear(), false;
    if (!logged.empty()) {
        std::vector<int> merged;
        std::set_union(lawids.begin(), lawids.end(), logged.begin(), logged.end(),
                       std::back_inserter(merged));
        lawids.swap(merged);
    }
    upto = mark;
    if (exact)
        *exact =
            logged.empty() && !words.empty() &&
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
    if (const int rc = sqlite3_step(stmt); rc == SQLITE_ROW)
        count = sqlite3_column_int64(stmt, 0);
    else
        SetAsideWhenCorrupt(db, lawTable, rc);
    sqlite3_finalize(stmt);
    // Laws written since the index took in its log are candidates too (a law may count
    // twice: the count tells many from few).
    if (count >= 0 && count < limit)
        count += QueryInt(db,
                          "SELECT count(*) FROM (SELECT 1 FROM " + ChangesTable(lawTable) +
                              " LIMIT " + std::to_string(limit - count) + ")",
                          0);
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
        std::set<std::int64_t> logged;
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
        // The laws waiting in the log are taken in before the index is next written.
        if (sqlite3_prepare_v2(db, ("SELECT lawid FROM " + ChangesTable(t)).c_str(), -1, &stmt,
                               nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                logged.insert(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        for (std::int64_t law : logged)
            expected.erase(law);
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
            if (logged.count(sqlite3_column_int64(stmt, 1)))
                continue;
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
