#pragma once

#include "data/DbConnection.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Writes a collection into a fresh law database quickly: categories by path with ids handed
// out by the category id coding, laws and their links, all in one transaction per edition.
class CCollectionWriter {
public:
    struct Law {
        std::string topic;
        std::string wenhao;
        std::string bumen;
        std::string datum; // any date text the database accepts, or empty
        std::string body;
    };

    CCollectionWriter() = default;
    ~CCollectionWriter();
    CCollectionWriter(const CCollectionWriter&) = delete;
    CCollectionWriter& operator=(const CCollectionWriter&) = delete;

    // Opens an existing database (made by CSchema) for writing. A `fresh` file, made for
    // this run and thrown away when it fails, is written without a journal, so the
    // collection is written once and not first into the write-ahead log; it is back in
    // WAL mode when the edition ends.
    bool Open(const std::string& path, std::string& error, bool fresh = false);
    // Starts writing one edition: "" for Chinese, "en_" for English.
    bool BeginEdition(const std::string& prefix, std::string& error);
    bool EndEdition(std::string& error);

    // The category for a path, created level by level when missing (at most five levels;
    // deeper names are filed under the fifth; a level without a free id files the rest under
    // the deepest category there is). 0 for an empty path, -1 with `error` on failure.
    int Category(const std::vector<std::string>& path, std::string& error);
    // Files a law under the given categories; answers its lawid, 0 on failure.
    long long AddLaw(const Law& law, const std::vector<int>& categories, std::string& error);

    // Told how the writing goes, on the writing thread: after each law (kLaws: the laws
    // written since the writer was made, total -1) and as the edition's search index is
    // filled at its end (kIndex: 0 of -1 when it begins, then the laws in it of the new ones
    // when there are more than a batch, and -1 of -1 when it is merged). Progress on a
    // terminal hangs here.
    enum class Phase { kLaws, kIndex };
    using ProgressHook = std::function<void(Phase phase, long long done, long long total)>;
    void SetProgressHook(ProgressHook hook) { m_progress = std::move(hook); }

    // The stamp every written row carries.
    const std::string& Stamp() const { return m_strStamp; }

    // What the category id coding could not hold, since the writer was made: paths of more
    // than five names (cut to five), paths filed higher because a category had no free id
    // for another child (62 at the top, 63 below, 127 at the fifth level), and laws filed
    // under no category.
    long long GetDeepPathCount() const { return m_nDeepPaths; }
    long long GetFullParentCount() const { return m_nFullParents; }
    long long GetUnfiledLawCount() const { return m_nUnfiledLaws; }

private:
    bool Exec(const std::string& sql, std::string& error);
    bool Prepare(sqlite3_stmt** stmt, const std::string& sql, std::string& error);
    void FinalizeAll();
    int NewChildId(int parent, std::string& error);

    CDbConnection m_db;
    sqlite3* m_pDb = nullptr;
    std::string m_strPrefix;
    std::string m_strStamp;
    bool m_bFresh = false;
    std::int64_t m_nBulkFrom = -1; // the search index's mark while the edition is written

    sqlite3_stmt* m_pInsertCategory = nullptr;
    sqlite3_stmt* m_pRaiseChilds = nullptr;
    sqlite3_stmt* m_pInsertLaw = nullptr;
    sqlite3_stmt* m_pInsertLink = nullptr;
    sqlite3_stmt* m_pSetOldId = nullptr;
    std::map<std::pair<int, std::string>, int> m_categories; // (parent, name) -> id
    std::map<int, int> m_childCount;                         // parent -> children so far
    long long m_nDeepPaths = 0;
    long long m_nFullParents = 0;
    long long m_nUnfiledLaws = 0;
    ProgressHook m_progress;
    long long m_nLawsWritten = 0;
};
