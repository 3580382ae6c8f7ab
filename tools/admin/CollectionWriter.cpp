#include "tools/admin/CollectionWriter.h"

#include "data/JetSql.h"
#include "data/SearchIndex.h"
#include "data/TreeNode.h"

#include <ctime>
#include <sqlite3.h>

CCollectionWriter::~CCollectionWriter() {
    FinalizeAll();
}

void CCollectionWriter::FinalizeAll() {
    for (sqlite3_stmt** stmt :
         {&m_pInsertCategory, &m_pRaiseChilds, &m_pInsertLaw, &m_pInsertLink, &m_pSetOldId}) {
        sqlite3_finalize(*stmt);
        *stmt = nullptr;
    }
}

bool CCollectionWriter::Open(const std::string& path, std::string& error, bool fresh) {
    const std::string connection = "Data Source=" + path;
    if (!m_db.Connect(connection.c_str(), 0)) {
        error = m_db.GetLastError();
        return false;
    }
    m_pDb = m_db.GetConnectionHandle();
    char buf[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    m_strStamp = buf;
    m_bFresh = fresh;
    return Exec("PRAGMA synchronous=OFF", error) &&
           (!fresh || Exec("PRAGMA journal_mode=OFF", error));
}

bool CCollectionWriter::Exec(const std::string& sql, std::string& error) {
    char* err = nullptr;
    if (sqlite3_exec(m_pDb, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK)
        return true;
    error = err ? err : sqlite3_errmsg(m_pDb);
    sqlite3_free(err);
    return false;
}

bool CCollectionWriter::Prepare(sqlite3_stmt** stmt, const std::string& sql, std::string& error) {
    if (sqlite3_prepare_v2(m_pDb, sql.c_str(), -1, stmt, nullptr) == SQLITE_OK)
        return true;
    error = sqlite3_errmsg(m_pDb);
    return false;
}

bool CCollectionWriter::BeginEdition(const std::string& prefix, std::string& error) {
    FinalizeAll();
    m_strPrefix = prefix;
    m_categories.clear();
    m_childCount.clear();
    const std::string tree = prefix + "dorntree";
    if (!Exec("BEGIN", error))
        return false;
    // Categories already there are reused by name under their parent.
    sqlite3_stmt* existing = nullptr;
    if (!Prepare(&existing, "select id,parid,name from " + tree, error))
        return false;
    while (sqlite3_step(existing) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(existing, 2));
        m_categories[{sqlite3_column_int(existing, 1), name ? name : ""}] =
            sqlite3_column_int(existing, 0);
        ++m_childCount[sqlite3_column_int(existing, 1)];
    }
    sqlite3_finalize(existing);
    // Triggers of an index made by an earlier version would call the tokenizer for every
    // law written (and fail with a damaged index): the index is made again anyway.
    if (!CSearchIndex::DropOldTriggers(m_pDb, prefix + "dornlaws", error))
        return false;
    m_nBulkFrom = CSearchIndex::BeginBulk(m_pDb, prefix + "dornlaws", error);
    if (m_nBulkFrom < -1)
        return false;
    return Prepare(&m_pInsertCategory,
                   "insert into " + tree +
                       " (id,parid,oldid,name,xh,childs,updatetime) values(?,?,?,?,?,0,?)",
                   error) &&
           Prepare(&m_pRaiseChilds, "update " + tree + " set childs=childs+1 where id=?", error) &&
           Prepare(&m_pInsertLaw,
                   "insert into " + prefix +
                       "dornlaws (topic,wenhao,bumen,datum,body,updatetime) values(?,?,?,?,?,?)",
                   error) &&
           Prepare(&m_pInsertLink,
                   "insert into " + prefix + "dornlawas (lawid,treeid,updatetime) values(?,?,?)",
                   error) &&
           // The collection's own ids are its server ids; set while the new row's page is
           // at hand rather than by a second pass over every law text.
           Prepare(&m_pSetOldId, "update " + prefix + "dornlaws set oldid=lawid where lawid=?",
                   error);
}

bool CCollectionWriter::EndEdition(std::string& error) {
    FinalizeAll();
    // The collection's own ids are its server ids.
    if (!Exec("update " + m_strPrefix + "dornlaws set oldid=lawid where oldid is null", error))
        return false;
    if (m_progress)
        m_progress(Phase::kIndex, 0, -1);
    CSearchIndex::FillProgress fill;
    if (m_progress)
        fill = [this](std::int64_t done, std::int64_t total) {
            m_progress(Phase::kIndex, done, total);
        };
    return CSearchIndex::EndBulk(m_pDb, m_strPrefix + "dornlaws", m_nBulkFrom, error, fill) &&
           Exec("COMMIT", error) && (!m_bFresh || Exec("PRAGMA journal_mode=WAL", error));
}

int CCollectionWriter::NewChildId(int parent, std::string& error) {
    CTreeNode node(m_strPrefix + "dorntree", &m_db);
    node.SetNodeId(parent);
    const int id = node.FindFreeChildId();
    if (id < 0)
        error = "no free category id below " + std::to_string(parent);
    else if (id == 0)
        error = "cannot read the categories below " + std::to_string(parent) + ": " +
                m_db.GetLastError();
    return id;
}

namespace {

void BindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    if (text.empty())
        sqlite3_bind_null(stmt, index);
    else
        sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

bool Step(sqlite3* db, sqlite3_stmt* stmt, std::string& error) {
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc == SQLITE_DONE)
        return true;
    error = sqlite3_errmsg(db);
    return false;
}

} // namespace

int CCollectionWriter::Category(const std::vector<std::string>& path, std::string& error) {
    int parent = 0;
    if (path.size() > 5)
        ++m_nDeepPaths;
    for (size_t level = 0; level < path.size() && level < 5; ++level) {
        const auto key = std::make_pair(parent, path[level]);
        if (auto it = m_categories.find(key); it != m_categories.end()) {
            parent = it->second;
            continue;
        }
        const int id = NewChildId(parent, error);
        if (id == 0)
            return -1; // the siblings could not be read
        if (id < 0) {
            // No room: file under the deepest category there is.
            ++m_nFullParents;
            error.clear();
            return parent;
        }
        // Siblings list by xh descending: the first one seen comes first.
        const int xh = 100000 - m_childCount[parent]++;
        sqlite3_bind_int(m_pInsertCategory, 1, id);
        sqlite3_bind_int(m_pInsertCategory, 2, parent);
        const std::string oldid = std::to_string(id);
        BindText(m_pInsertCategory, 3, oldid);
        BindText(m_pInsertCategory, 4, path[level]);
        sqlite3_bind_int(m_pInsertCategory, 5, xh);
        BindText(m_pInsertCategory, 6, m_strStamp);
        if (!Step(m_pDb, m_pInsertCategory, error))
            return -1;
        if (parent != 0) {
            sqlite3_bind_int(m_pRaiseChilds, 1, parent);
            if (!Step(m_pDb, m_pRaiseChilds, error))
                return -1;
        }
        m_categories.emplace(key, id);
        parent = id;
    }
    return parent;
}

long long CCollectionWriter::AddLaw(const Law& law, const std::vector<int>& categories,
                                    std::string& error) {
    std::string datum;
    if (!law.datum.empty() && !CJetSql::CanonicalDate(law.datum, datum)) {
        error = "impossible date " + law.datum + " for " + law.topic;
        return 0;
    }
    BindText(m_pInsertLaw, 1, law.topic);
    BindText(m_pInsertLaw, 2, law.wenhao);
    BindText(m_pInsertLaw, 3, law.bumen);
    BindText(m_pInsertLaw, 4, datum);
    BindText(m_pInsertLaw, 5, law.body);
    BindText(m_pInsertLaw, 6, m_strStamp);
    if (!Step(m_pDb, m_pInsertLaw, error))
        return 0;
    const long long lawid = sqlite3_last_insert_rowid(m_pDb);
    sqlite3_bind_int64(m_pSetOldId, 1, lawid);
    if (!Step(m_pDb, m_pSetOldId, error))
        return 0;
    bool filed = false;
    for (int category : categories)
        filed = filed || category > 0;
    if (!filed)
        ++m_nUnfiledLaws;
    for (int category : categories) {
        if (category <= 0)
            continue;
        sqlite3_bind_int64(m_pInsertLink, 1, lawid);
        sqlite3_bind_int(m_pInsertLink, 2, category);
        BindText(m_pInsertLink, 3, m_strStamp);
        if (!Step(m_pDb, m_pInsertLink, error))
            return 0;
    }
    ++m_nLawsWritten;
    if (m_progress)
        m_progress(Phase::kLaws, m_nLawsWritten, -1);
    return lawid;
}
