#pragma once
// The citations of one law table ("dornlaws" or "en_dornlaws"), derived from the law texts
// and kept in db1.mdb by this program alone (plain tables and indexes: no trigger, view or
// default calls its code, so any SQLite program still writes the file):
//   <table>_cites     one row per citation: the citing law, its date and article, the cited
//                     title normalised ('' for the law itself), the cited article, paragraph
//                     and item, the citation's place and text and the sentence around it;
//   <table>_citekeys  the titles a law is cited by: its normalised title and its short title
//                     (without 中华人民共和国), each with the normalised title;
//   citation_index    how far the rows are built (upto, a lawid; INT64_MAX when complete).
// Rows depend on the citing law's own row only; which law a title names is decided
// when they are read (Resolve). The rows follow the change log of the search index: when the
// program takes the log in (CSearchIndex::Fold) it refreshes the rows of the laws logged.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct sqlite3;

struct CCitingRow {
    int m_nLawId = 0;       // the citing law
    int m_nArticle = 0;     // its article the citation stands in (CCitationParser::ArticleKey)
    std::string m_strTitle; // the cited title as normalised; empty for the law itself
    int m_nCited = 0;       // the cited article (0: the law as a whole)
    int m_nParagraph = 0;
    int m_nItem = 0;
    std::int64_t m_nPos = 0; // byte offset of the citation in the citing law's text
    std::string m_strText;
    std::string m_strSentence;
    // The citing law's date (its first ten characters) as of its last write logged, and
    // (filled by the readers) its title.
    std::string m_strCitingTitle;
    std::string m_strCitingDate;
};

class CCitationTable {
public:
    static constexpr std::int64_t kComplete = INT64_MAX;
    // Rows made by other rules than the present ones are made again.
    static constexpr int kVersion = 3;

    static std::string CitesTable(const std::string& lawTable);
    static std::string KeysTable(const std::string& lawTable);

    // The statements that create the table of `lawTable`, empty, with its mark at `upto`.
    static std::string Ddl(const std::string& lawTable, std::int64_t upto);
    // The statements that remove it (safe when there is none).
    static std::string DropSql(const std::string& lawTable);
    // Creates the table when there is none: complete when the law table is empty, else with
    // its mark at 0 for BuildStep. 1 on success.
    static int Create(sqlite3* db, const std::string& lawTable, std::string& error);
    // Removes the table. 1 on success.
    static int Drop(sqlite3* db, const std::string& lawTable, std::string& error);

    // The mark; -1 when there is no table or it cannot be used (a part missing, other rules).
    static std::int64_t BuiltUpTo(sqlite3* db, const std::string& lawTable);
    // True when a table, or a part of one, is there but cannot be used: drop and build again.
    static bool IsOutdated(sqlite3* db, const std::string& lawTable);

    // Adds the next laws above the mark (at most `laws`) in one transaction and moves the
    // mark. 1 while laws are left, 0 once complete, -1 on failure.
    static int BuildStep(sqlite3* db, const std::string& lawTable, int laws, long long& done,
                         long long& total, std::string& error);
    // In the caller's transaction: the rows of the laws whose lawids `lawidsSql` selects
    // made again from their texts now (those up to the mark; a law gone loses its rows).
    static bool Refresh(sqlite3* db, const std::string& lawTable, const std::string& lawidsSql,
                        std::string& error);

    // The laws a title (normalised) names for a law dated `citingDate` ("YYYY-MM-DD"): the
    // laws of that title, else of that short title; of each law's versions (the same title)
    // the newest dated on or before `citingDate`, else the oldest. More than one when laws
    // of different titles share the short title; none when the collection lacks it. The
    // laws written since the log was last taken in count with their titles as they are now.
    static std::vector<int> Resolve(sqlite3* db, const std::string& lawTable,
                                    const std::string& title, const std::string& citingDate);

    // Resolve for many titles of one citing law at once. `exhaustive` (when given) tells
    // whether every law of the collection was considered: the laws written since the log
    // was last taken in are read from their rows, unless there are too many of them.
    static std::map<std::string, std::vector<int>>
    ResolveAll(sqlite3* db, const std::string& lawTable, const std::set<std::string>& titles,
               const std::string& citingDate, bool* exhaustive = nullptr);

    // The citations of other laws that name `lawid`, newest citing law first (then by lawid
    // and place), at most `limit` of them (0: all); `total` (when given) receives how many
    // there are. Reads ranges of the index by title and date: the rows of the newest citing
    // laws and a count, whatever the number of citations. False when the table cannot be
    // read.
    static bool CitedBy(sqlite3* db, const std::string& lawTable, int lawid,
                        std::vector<CCitingRow>& rows, size_t limit = 0,
                        long long* total = nullptr);
    // Every citation row, of one citing law when `lawid` is not 0, in lawid and place order,
    // with the laws its title names for that law (the citing law itself for a reference of
    // its own). Stops when `visit` answers false. False when the table cannot be read.
    static bool Each(sqlite3* db, const std::string& lawTable, int lawid,
                     const std::function<bool(const CCitingRow&, const std::vector<int>&)>& visit);
};
