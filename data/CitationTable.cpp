#include "data/CitationTable.h"

#include "data/CitationParser.h"
#include "data/DirectSql.h"
#include "data/SearchIndex.h"

#include <algorithm>
#include <map>
#include <set>
#include <sqlite3.h>

namespace {

using direct_sql::Exec;
using direct_sql::QueryInt;
using direct_sql::Quoted;

std::string Column(sqlite3_stmt* stmt, int index) {
    const auto* text = static_cast<const char*>(sqlite3_column_blob(stmt, index));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, index)))
                : std::string();
}

// Prepared statements that write one law's rows.
class CRowWriter {
public:
    explicit CRowWriter(sqlite3* db) : m_pDb(db) {}
    ~CRowWriter() {
        sqlite3_finalize(m_pCite);
        sqlite3_finalize(m_pKey);
    }
    CRowWriter(const CRowWriter&) = delete;
    CRowWriter& operator=(const CRowWriter&) = delete;

    bool Prepare(const std::string& t, std::string& error) {
        if (sqlite3_prepare_v2(
                m_pDb,
                ("INSERT INTO " + CCitationTable::CitesTable(t) +
                 " (lawid,article,title,cited,paragraph,item,pos,text,sentence,date) "
                 "VALUES(?,?,?,?,?,?,?,?,?,?)")
                    .c_str(),
                -1, &m_pCite, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(
                m_pDb,
                ("INSERT INTO " + CCitationTable::KeysTable(t) + " (key,lawid,title) VALUES(?,?,?)")
                    .c_str(),
                -1, &m_pKey, nullptr) == SQLITE_OK)
            return true;
        error = sqlite3_errmsg(m_pDb);
        return false;
    }

    bool Write(std::int64_t lawid, const std::string& topic, const std::string& body,
               const std::string& date, std::string& error) {
        const std::string title = CCitationParser::NormaliseTitle(topic);
        if (!title.empty()) {
            if (!Key(title, lawid, title, error))
                return false;
            const std::string shortTitle = CCitationParser::ShortTitle(title);
            if (!shortTitle.empty() && !Key(shortTitle, lawid, title, error))
                return false;
        }
        for (const CCitation& c : CCitationParser::Parse(body)) {
            const std::string text = body.substr(c.m_nBegin, c.m_nEnd - c.m_nBegin);
            const std::string sentence =
                CCitationParser::SentenceAround(body, c.m_nBegin, c.m_nEnd);
            sqlite3_bind_int64(m_pCite, 1, lawid);
            sqlite3_bind_int(m_pCite, 2, c.m_nCitingArticle);
            sqlite3_bind_text(m_pCite, 3, c.m_strTitle.data(),
                              static_cast<int>(c.m_strTitle.size()), SQLITE_STATIC);
            sqlite3_bind_int(m_pCite, 4, c.m_nArticle);
            sqlite3_bind_int(m_pCite, 5, c.m_nParagraph);
            sqlite3_bind_int(m_pCite, 6, c.m_nItem);
            sqlite3_bind_int64(m_pCite, 7, static_cast<std::int64_t>(c.m_nBegin));
            sqlite3_bind_text(m_pCite, 8, text.data(), static_cast<int>(text.size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(m_pCite, 9, sentence.data(), static_cast<int>(sentence.size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(m_pCite, 10, date.data(), static_cast<int>(date.size()),
                              SQLITE_STATIC);
            if (!Step(m_pCite, error))
                return false;
        }
        return true;
    }

private:
    bool Key(const std::string& key, std::int64_t lawid, const std::string& title,
             std::string& error) {
        sqlite3_bind_text(m_pKey, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        sqlite3_bind_int64(m_pKey, 2, lawid);
        sqlite3_bind_text(m_pKey, 3, title.data(), static_cast<int>(title.size()), SQLITE_STATIC);
        return Step(m_pKey, error);
    }
    bool Step(sqlite3_stmt* stmt, std::string& error) {
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        if (rc == SQLITE_DONE)
            return true;
        error = sqlite3_errmsg(m_pDb);
        return false;
    }

    sqlite3* m_pDb;
    sqlite3_stmt* m_pCite = nullptr;
    sqlite3_stmt* m_pKey = nullptr;
};

// Writes the rows of the laws `select` reads (lawid, topic, body).
bool WriteLaws(sqlite3* db, const std::string& t, const std::string& select, std::int64_t* last,
               std::string& error) {
    CRowWriter writer(db);
    if (!writer.Prepare(t, error))
        return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, select.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const std::int64_t lawid = sqlite3_column_int64(stmt, 0);
        if (last)
            *last = lawid;
        if (!writer.Write(lawid, Column(stmt, 1), Column(stmt, 2), Column(stmt, 3), error)) {
            sqlite3_finalize(stmt);
            return false;
        }
    }
    if (rc != SQLITE_DONE)
        error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

// The laws a title may name: each with the title of its versions, whether the title is its
// own (not its short title) and its date.
struct CCandidate {
    int m_nLawId;
    std::string m_strGroup;
    bool m_bExact;
    std::string m_strDate;
};

// The laws written since the log was last taken in: their rows in the keys table may be out
// of date, so their titles are read from the laws themselves. A log longer than this is
// left to the fold (`m_bRead` false).
constexpr int kMaxLogged = 1000;

struct CLogged {
    bool m_bRead = false;
    std::set<int> m_ids;
    std::vector<CCandidate> m_laws; // each law's own title as m_strGroup
};

CLogged ReadLogged(sqlite3* db, const std::string& t) {
    CLogged logged;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           ("SELECT c.lawid,law.topic,substr(law.datum,1,10) FROM " + t +
                            "_changes c LEFT JOIN " + t + " law ON law.lawid=c.lawid LIMIT " +
                            std::to_string(kMaxLogged + 1))
                               .c_str(),
                           -1, &stmt, nullptr) != SQLITE_OK) {
        // No log: nothing written since the index was made, as far as this program knows.
        logged.m_bRead = true;
        return logged;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const int lawid = sqlite3_column_int(stmt, 0);
        logged.m_ids.insert(lawid);
        if (sqlite3_column_type(stmt, 1) != SQLITE_NULL)
            logged.m_laws.push_back(
                {lawid, CCitationParser::NormaliseTitle(Column(stmt, 1)), true, Column(stmt, 2)});
    }
    sqlite3_finalize(stmt);
    logged.m_bRead = rc == SQLITE_DONE && logged.m_ids.size() <= static_cast<size_t>(kMaxLogged);
    return logged;
}

std::vector<CCandidate> Candidates(sqlite3* db, const std::string& t, const std::string& title,
                                   const CLogged& logged) {
    std::vector<CCandidate> found;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           ("SELECT k.lawid,k.title,substr(law.datum,1,10) FROM " +
                            CCitationTable::KeysTable(t) + " k JOIN " + t +
                            " law ON law.lawid=k.lawid WHERE k.key=?1")
                               .c_str(),
                           -1, &stmt, nullptr) != SQLITE_OK)
        return found;
    sqlite3_bind_text(stmt, 1, title.data(), static_cast<int>(title.size()), SQLITE_STATIC);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const int lawid = sqlite3_column_int(stmt, 0);
        if (logged.m_bRead && logged.m_ids.count(lawid))
            continue;
        std::string group = Column(stmt, 1);
        const bool exact = group == title;
        found.push_back({lawid, std::move(group), exact, Column(stmt, 2)});
    }
    sqlite3_finalize(stmt);
    if (logged.m_bRead)
        for (const CCandidate& law : logged.m_laws)
            if (law.m_strGroup == title || CCitationParser::ShortTitle(law.m_strGroup) == title)
                found.push_back(
                    {law.m_nLawId, law.m_strGroup, law.m_strGroup == title, law.m_strDate});
    // A law of that very title comes before those that only share it as a short title.
    if (std::any_of(found.begin(), found.end(), [](const CCandidate& c) { return c.m_bExact; }))
        std::erase_if(found, [](const CCandidate& c) { return !c.m_bExact; });
    return found;
}

std::vector<int> Choose(const std::vector<CCandidate>& candidates, const std::string& date) {
    // Per law (its versions share the title): the newest on or before the date, else the
    // oldest; the higher lawid breaks ties of the date.
    std::map<std::string, const CCandidate*> before, oldest;
    for (const CCandidate& c : candidates) {
        const CCandidate*& b = before[c.m_strGroup];
        if (!c.m_strDate.empty() && c.m_strDate <= date &&
            (!b || c.m_strDate > b->m_strDate ||
             (c.m_strDate == b->m_strDate && c.m_nLawId > b->m_nLawId)))
            b = &c;
        const CCandidate*& o = oldest[c.m_strGroup];
        if (!o || c.m_strDate < o->m_strDate ||
            (c.m_strDate == o->m_strDate && c.m_nLawId > o->m_nLawId))
            o = &c;
    }
    std::vector<int> lawids;
    for (const auto& [group, first] : oldest) {
        const CCandidate* chosen = before[group];
        lawids.push_back((chosen ? chosen : first)->m_nLawId);
    }
    std::sort(lawids.begin(), lawids.end());
    return lawids;
}

// Resolves titles for many citing laws, reading each title's candidates once.
class CResolver {
public:
    CResolver(sqlite3* db, const std::string& t)
        : m_pDb(db), m_strTable(t), m_logged(ReadLogged(db, t)) {}
    std::vector<int> operator()(const std::string& title, const std::string& date) {
        auto it = m_cache.find(title);
        if (it == m_cache.end())
            it = m_cache.emplace(title, Candidates(m_pDb, m_strTable, title, m_logged)).first;
        return Choose(it->second, date);
    }
    bool Exhaustive() const { return m_logged.m_bRead; }

private:
    sqlite3* m_pDb;
    std::string m_strTable;
    CLogged m_logged;
    std::map<std::string, std::vector<CCandidate>> m_cache;
};

constexpr const char* kRowColumns =
    "c.lawid,c.article,c.title,c.cited,c.paragraph,c.item,c.pos,c.text,c.sentence,law.topic,"
    "c.date";

CCitingRow ReadRow(sqlite3_stmt* stmt) {
    CCitingRow row;
    row.m_nLawId = sqlite3_column_int(stmt, 0);
    row.m_nArticle = sqlite3_column_int(stmt, 1);
    row.m_strTitle = Column(stmt, 2);
    row.m_nCited = sqlite3_column_int(stmt, 3);
    row.m_nParagraph = sqlite3_column_int(stmt, 4);
    row.m_nItem = sqlite3_column_int(stmt, 5);
    row.m_nPos = sqlite3_column_int64(stmt, 6);
    row.m_strText = Column(stmt, 7);
    row.m_strSentence = Column(stmt, 8);
    row.m_strCitingTitle = Column(stmt, 9);
    row.m_strCitingDate = Column(stmt, 10);
    return row;
}

} // namespace

std::string CCitationTable::CitesTable(const std::string& t) {
    return t + "_cites";
}

std::string CCitationTable::KeysTable(const std::string& t) {
    return t + "_citekeys";
}

std::string CCitationTable::Ddl(const std::string& t, std::int64_t upto) {
    const std::string cites = CitesTable(t);
    const std::string keys = KeysTable(t);
    return "CREATE TABLE IF NOT EXISTS citation_index (tbl TEXT PRIMARY KEY, upto INTEGER NOT "
           "NULL, version INTEGER NOT NULL);\n"
           "CREATE TABLE IF NOT EXISTS " +
           cites +
           // Kept in the order the cited-by list reads them: the citations of one title by
           // date lie together, however the citing laws are spread over the file.
           " (title TEXT NOT NULL, date TEXT NOT NULL, lawid INTEGER NOT NULL, pos INTEGER NOT "
           "NULL, article INTEGER NOT NULL, cited INTEGER NOT NULL, paragraph INTEGER NOT NULL, "
           "item INTEGER NOT NULL, text TEXT NOT NULL, sentence TEXT NOT NULL, PRIMARY KEY "
           "(title, date, lawid, pos)) WITHOUT ROWID;\n"
           "CREATE INDEX IF NOT EXISTS " +
           cites + "_lawid ON " + cites + " (lawid);\nCREATE TABLE IF NOT EXISTS " + keys +
           " (key TEXT NOT NULL, lawid INTEGER NOT NULL, title TEXT NOT NULL);\n"
           "CREATE INDEX IF NOT EXISTS " +
           keys + "_key ON " + keys + " (key);\nCREATE INDEX IF NOT EXISTS " + keys + "_lawid ON " +
           keys + " (lawid);\nINSERT OR REPLACE INTO citation_index (tbl,upto,version) VALUES(" +
           Quoted(t) + "," + std::to_string(upto) + "," + std::to_string(kVersion) + ");\n";
}

std::string CCitationTable::DropSql(const std::string& t) {
    return "DROP TABLE IF EXISTS " + CitesTable(t) + ";\nDROP TABLE IF EXISTS " + KeysTable(t) +
           ";\nCREATE TABLE IF NOT EXISTS citation_index (tbl TEXT PRIMARY KEY, upto INTEGER NOT "
           "NULL, version INTEGER NOT NULL);\nDELETE FROM citation_index WHERE tbl=" +
           Quoted(t) + ";\n";
}

int CCitationTable::Create(sqlite3* db, const std::string& t, std::string& error) {
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return 0;
    if (BuiltUpTo(db, t) < 0) {
        const bool empty =
            QueryInt(db, "SELECT count(*) FROM (SELECT 1 FROM " + t + " LIMIT 1)", 1) == 0;
        if (!Exec(db, DropSql(t) + Ddl(t, empty ? kComplete : 0), error)) {
            std::string ignored;
            Exec(db, "ROLLBACK", ignored);
            return 0;
        }
    }
    if (Exec(db, "COMMIT", error))
        return 1;
    std::string ignored;
    Exec(db, "ROLLBACK", ignored);
    return 0;
}

int CCitationTable::Drop(sqlite3* db, const std::string& t, std::string& error) {
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return 0;
    if (Exec(db, DropSql(t), error) && Exec(db, "COMMIT", error))
        return 1;
    std::string ignored;
    Exec(db, "ROLLBACK", ignored);
    return 0;
}

std::int64_t CCitationTable::BuiltUpTo(sqlite3* db, const std::string& t) {
    const std::string cites = CitesTable(t);
    const std::string keys = KeysTable(t);
    const std::string parts =
        "(SELECT count(*) FROM sqlite_master WHERE (type='table' AND name IN (" + Quoted(cites) +
        "," + Quoted(keys) + ")) OR (type='index' AND name IN (" + Quoted(cites + "_lawid") + "," +
        Quoted(keys + "_key") + "," + Quoted(keys + "_lawid") + ")))";
    return QueryInt(db,
                    "SELECT upto FROM citation_index WHERE tbl=" + Quoted(t) +
                        " AND version=" + std::to_string(kVersion) + " AND " + parts + "=5",
                    -1);
}

bool CCitationTable::IsOutdated(sqlite3* db, const std::string& t) {
    const bool any =
        QueryInt(db,
                 "SELECT count(*) FROM sqlite_master WHERE name IN (" + Quoted(CitesTable(t)) +
                     "," + Quoted(KeysTable(t)) + ")",
                 0) > 0 ||
        QueryInt(db, "SELECT count(*) FROM citation_index WHERE tbl=" + Quoted(t), 0) > 0;
    return any && BuiltUpTo(db, t) < 0;
}

int CCitationTable::BuildStep(sqlite3* db, const std::string& t, int laws, long long& done,
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
        error = "no citation table for " + t;
        return fail();
    }
    total = QueryInt(db, "SELECT count(*) FROM " + t, 0);
    if (upto == kComplete) {
        done = total;
        return Exec(db, "COMMIT", error) ? 0 : fail();
    }
    std::int64_t last = upto;
    if (!WriteLaws(db, t,
                   "SELECT lawid,topic,body,ifnull(substr(datum,1,10),'') FROM " + t +
                       " WHERE lawid>" + std::to_string(upto) + " ORDER BY lawid LIMIT " +
                       std::to_string(std::max(1, laws)),
                   &last, error))
        return fail();
    const bool finished = QueryInt(db,
                                   "SELECT count(*) FROM (SELECT 1 FROM " + t + " WHERE lawid>" +
                                       std::to_string(last) + " LIMIT 1)",
                                   0) == 0;
    if (!Exec(db,
              "UPDATE citation_index SET upto=" + std::to_string(finished ? kComplete : last) +
                  " WHERE tbl=" + Quoted(t),
              error))
        return fail();
    done = finished
               ? total
               : QueryInt(db, "SELECT count(*) FROM " + t + " WHERE lawid<=" + std::to_string(last),
                          0);
    if (!Exec(db, "COMMIT", error))
        return fail();
    return finished ? 0 : 1;
}

bool CCitationTable::Refresh(sqlite3* db, const std::string& t, const std::string& lawidsSql,
                             std::string& error) {
    const std::int64_t mark = BuiltUpTo(db, t);
    if (mark < 0)
        return true;
    const std::string upto = std::to_string(mark);
    const std::string which = " WHERE lawid IN (" + lawidsSql + ") AND lawid<=" + upto;
    if (!Exec(db, "DELETE FROM " + CitesTable(t) + which + ";\nDELETE FROM " + KeysTable(t) + which,
              error))
        return false;
    return WriteLaws(db, t,
                     "SELECT lawid,topic,body,ifnull(substr(datum,1,10),'') FROM " + t +
                         " WHERE lawid IN (" + lawidsSql + ") AND lawid<=" + upto,
                     nullptr, error);
}

std::vector<int> CCitationTable::Resolve(sqlite3* db, const std::string& t,
                                         const std::string& title, const std::string& date) {
    if (!db || title.empty())
        return {};
    return CResolver(db, t)(title, date);
}

std::map<std::string, std::vector<int>>
CCitationTable::ResolveAll(sqlite3* db, const std::string& t, const std::set<std::string>& titles,
                           const std::string& date, bool* exhaustive) {
    std::map<std::string, std::vector<int>> named;
    if (exhaustive)
        *exhaustive = false;
    if (!db)
        return named;
    CResolver resolve(db, t);
    for (const std::string& title : titles)
        named[title] = title.empty() ? std::vector<int>{} : resolve(title, date);
    if (exhaustive)
        *exhaustive = resolve.Exhaustive();
    return named;
}

bool CCitationTable::CitedBy(sqlite3* db, const std::string& t, int lawid,
                             std::vector<CCitingRow>& rows, size_t limit, long long* total) {
    rows.clear();
    if (total)
        *total = 0;
    if (!db || BuiltUpTo(db, t) < 0)
        return false;
    std::vector<std::string> keys;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, ("SELECT key FROM " + KeysTable(t) + " WHERE lawid=?1").c_str(), -1,
                           &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int(stmt, 1, lawid);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        keys.push_back(Column(stmt, 0));
    sqlite3_finalize(stmt);
    // Which citing dates choose this law among the versions of its title: from its own date
    // (from the beginning when it is the oldest) up to the next version's. Each key is then
    // one range of the index by title and date, counted and read newest first without
    // resolving any row.
    const CLogged logged = ReadLogged(db, t);
    struct CRange {
        std::string m_strKey, m_strFrom, m_strTo;
    };
    std::vector<CRange> ranges;
    for (const std::string& key : keys) {
        const std::vector<CCandidate> candidates = Candidates(db, t, key, logged);
        auto self = std::find_if(candidates.begin(), candidates.end(),
                                 [&](const CCandidate& c) { return c.m_nLawId == lawid; });
        if (self == candidates.end())
            continue;
        std::vector<const CCandidate*> versions;
        for (const CCandidate& c : candidates)
            if (c.m_strGroup == self->m_strGroup)
                versions.push_back(&c);
        bool chosen = true;
        bool oldest = true;
        std::string to = "\x7F";
        for (const CCandidate* v : versions) {
            if (v == &*self)
                continue;
            // Of versions of one date the higher lawid is taken.
            if (v->m_strDate == self->m_strDate && v->m_nLawId > lawid)
                chosen = false;
            if (v->m_strDate < self->m_strDate)
                oldest = false;
            if (v->m_strDate > self->m_strDate && v->m_strDate < to)
                to = v->m_strDate;
        }
        if (chosen)
            ranges.push_back({key, oldest ? std::string() : self->m_strDate, to});
    }
    const std::string where = " WHERE c.title=?1 AND c.date>=?2 AND c.date<?3 AND c.lawid<>?4";
    bool ok = true;
    for (const CRange& range : ranges) {
        auto bind = [&](sqlite3_stmt* s) {
            sqlite3_bind_text(s, 1, range.m_strKey.data(), static_cast<int>(range.m_strKey.size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(s, 2, range.m_strFrom.data(),
                              static_cast<int>(range.m_strFrom.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 3, range.m_strTo.data(), static_cast<int>(range.m_strTo.size()),
                              SQLITE_STATIC);
            sqlite3_bind_int(s, 4, lawid);
        };
        if (total) {
            if (sqlite3_prepare_v2(db,
                                   ("SELECT count(*) FROM " + CitesTable(t) + " c" + where).c_str(),
                                   -1, &stmt, nullptr) != SQLITE_OK)
                return false;
            bind(stmt);
            if (sqlite3_step(stmt) == SQLITE_ROW)
                *total += sqlite3_column_int64(stmt, 0);
            else
                ok = false;
            sqlite3_finalize(stmt);
        }
        // The citing laws' titles from the list's index by lawid, where there is one: the
        // rows that hold the law texts are not read.
        const std::string byId = CSearchIndex::HasListByIdIndex(db, t)
                                     ? " INDEXED BY " + CSearchIndex::ListByIdIndex(t)
                                     : std::string();
        if (sqlite3_prepare_v2(db,
                               (std::string("SELECT ") + kRowColumns + " FROM " + CitesTable(t) +
                                " c JOIN " + t + " law" + byId + " ON law.lawid=c.lawid" + where +
                                " ORDER BY c.date DESC, c.lawid DESC" +
                                (limit ? " LIMIT " + std::to_string(limit) : std::string()))
                                   .c_str(),
                               -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        bind(stmt);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            rows.push_back(ReadRow(stmt));
        ok = ok && rc == SQLITE_DONE;
        sqlite3_finalize(stmt);
    }
    std::sort(rows.begin(), rows.end(), [](const CCitingRow& a, const CCitingRow& b) {
        if (a.m_strCitingDate != b.m_strCitingDate)
            return a.m_strCitingDate > b.m_strCitingDate;
        if (a.m_nLawId != b.m_nLawId)
            return a.m_nLawId > b.m_nLawId;
        return a.m_nPos < b.m_nPos;
    });
    if (limit && rows.size() > limit)
        rows.resize(limit);
    return ok;
}

bool CCitationTable::Each(
    sqlite3* db, const std::string& t, int lawid,
    const std::function<bool(const CCitingRow&, const std::vector<int>&)>& visit) {
    if (!db || BuiltUpTo(db, t) < 0)
        return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           (std::string("SELECT ") + kRowColumns + " FROM " + CitesTable(t) +
                            " c JOIN " + t + " law ON law.lawid=c.lawid" +
                            (lawid ? " WHERE c.lawid=?1" : "") + " ORDER BY c.lawid,c.pos")
                               .c_str(),
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    if (lawid)
        sqlite3_bind_int(stmt, 1, lawid);
    CResolver resolve(db, t);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const CCitingRow row = ReadRow(stmt);
        const std::vector<int> named = row.m_strTitle.empty()
                                           ? std::vector<int>{row.m_nLawId}
                                           : resolve(row.m_strTitle, row.m_strCitingDate);
        if (!visit(row, named)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}
