#include "tools/publish/SqliteCollectionReader.h"

#include "tools/publish/Publisher.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

// The stamp of a row, kBaseStamp for a row without one.
std::string Stamp(const char* column) {
    return std::string("ifnull(") + column + ",'" + CPublisher::kBaseStamp + "')";
}

} // namespace

CSqliteCollectionReader::CSqliteCollectionReader(std::string path) : m_strPath(std::move(path)) {}

CSqliteCollectionReader::~CSqliteCollectionReader() {
    CloseBody();
    sqlite3_finalize(m_pCursor);
    sqlite3_finalize(m_pLawHead);
    if (m_pDb) {
        sqlite3_exec(m_pDb, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_pDb);
    }
}

bool CSqliteCollectionReader::Open(std::string& error) {
    if (sqlite3_open_v2(m_strPath.c_str(), &m_pDb, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        error = m_pDb ? sqlite3_errmsg(m_pDb) : "cannot open";
        return false;
    }
    sqlite3_busy_timeout(m_pDb, 10000);
    // Hundreds of replies may be open at once, each with its connection: a small page cache
    // each (a law's text passes through it once).
    sqlite3_exec(m_pDb, "PRAGMA cache_size=-256", nullptr, nullptr, nullptr);
    // One snapshot for the whole reply, taken by the first read.
    if (sqlite3_exec(m_pDb, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(m_pDb);
        return false;
    }
    return true;
}

sqlite3_stmt* CSqliteCollectionReader::Prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_pDb, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return nullptr;
    return stmt;
}

bool CSqliteCollectionReader::ReadTrees(const std::string& table,
                                        std::vector<CPublishedTree>& rows) {
    sqlite3_stmt* stmt =
        Prepare("select id,parid,name,xh," + Stamp("updatetime") + " from " + table);
    if (!stmt)
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        CPublishedTree row;
        row.m_nId = sqlite3_column_int64(stmt, 0);
        row.m_nParid = sqlite3_column_int64(stmt, 1);
        row.m_strName = ColumnText(stmt, 2);
        row.m_nXh = sqlite3_column_int64(stmt, 3);
        row.m_strStamp = ColumnText(stmt, 4);
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

namespace {

std::string LawSelection(const std::string& table, const std::string& columns, int limit) {
    std::string sql = "select " + columns + " from (select lawid," + Stamp("updatetime") +
                      " as ut from " + table +
                      ") where ut>?1 or (ut=?1 and lawid>?2) order by ut,lawid";
    if (limit > 0)
        sql += " limit " + std::to_string(limit);
    return sql;
}

} // namespace

bool CSqliteCollectionReader::CountLaws(const std::string& table, const std::string& stamp,
                                        long long id, int limit, long long& count) {
    sqlite3_stmt* stmt = Prepare("select count(*) from (" + LawSelection(table, "1", limit) + ")");
    if (!stmt)
        return false;
    sqlite3_bind_text(stmt, 1, stamp.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(stmt, 2, id);
    const bool ok = sqlite3_step(stmt) == SQLITE_ROW;
    count = ok ? sqlite3_column_int64(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    return ok;
}

bool CSqliteCollectionReader::StartLaws(const std::string& table, const std::string& stamp,
                                        long long id, int limit) {
    sqlite3_finalize(m_pCursor);
    sqlite3_finalize(m_pLawHead);
    m_strLawTable = table;
    m_pCursor = Prepare(LawSelection(table, "lawid,ut", limit));
    m_bCursorDone = false;
    m_pLawHead =
        Prepare("select topic,bumen,wenhao,datum,typeof(body) from " + table + " where lawid=?1");
    if (!m_pCursor || !m_pLawHead)
        return false;
    sqlite3_bind_text(m_pCursor, 1, stamp.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(m_pCursor, 2, id);
    return true;
}

int CSqliteCollectionReader::NextLaw(CPublishedLaw& law) {
    CloseBody();
    if (m_bCursorDone)
        return 0;
    const int rc = sqlite3_step(m_pCursor);
    if (rc == SQLITE_DONE) {
        m_bCursorDone = true; // a further step would run the statement again
        return 0;
    }
    if (rc != SQLITE_ROW)
        return -1;
    law.m_nLawId = sqlite3_column_int64(m_pCursor, 0);
    law.m_strStamp = ColumnText(m_pCursor, 1);
    sqlite3_reset(m_pLawHead);
    sqlite3_bind_int64(m_pLawHead, 1, law.m_nLawId);
    if (sqlite3_step(m_pLawHead) != SQLITE_ROW)
        return -1;
    law.m_strTopic = ColumnText(m_pLawHead, 0);
    law.m_strBumen = ColumnText(m_pLawHead, 1);
    law.m_strWenhao = ColumnText(m_pLawHead, 2);
    law.m_strDatum = ColumnText(m_pLawHead, 3);
    const std::string type = ColumnText(m_pLawHead, 4);
    if (type == "text" || type == "blob") {
        if (sqlite3_blob_open(m_pDb, "main", m_strLawTable.c_str(), "body", law.m_nLawId, 0,
                              &m_pBody) != SQLITE_OK) {
            m_pBody = nullptr;
            return -1;
        }
        m_nBodySize = sqlite3_blob_bytes(m_pBody);
    } else if (type != "null") {
        // A number stored in the text column: small, read as text.
        sqlite3_stmt* stmt = Prepare("select body from " + m_strLawTable + " where lawid=?1");
        if (!stmt)
            return -1;
        sqlite3_bind_int64(stmt, 1, law.m_nLawId);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            m_strSmallBody = ColumnText(stmt, 0);
        sqlite3_finalize(stmt);
    }
    return 1;
}

bool CSqliteCollectionReader::ReadBody(std::string& piece, size_t maxBytes) {
    piece.clear();
    if (!m_strSmallBody.empty()) {
        piece.swap(m_strSmallBody);
        return true;
    }
    if (!m_pBody || m_nBodyOffset >= m_nBodySize)
        return true;
    const int n = static_cast<int>(
        std::min<size_t>(maxBytes, static_cast<size_t>(m_nBodySize - m_nBodyOffset)));
    piece.resize(static_cast<size_t>(n));
    if (sqlite3_blob_read(m_pBody, piece.data(), n, m_nBodyOffset) != SQLITE_OK) {
        piece.clear();
        return false;
    }
    m_nBodyOffset += n;
    return true;
}

void CSqliteCollectionReader::CloseBody() {
    if (m_pBody)
        sqlite3_blob_close(m_pBody);
    m_pBody = nullptr;
    m_strSmallBody.clear();
    m_nBodySize = 0;
    m_nBodyOffset = 0;
}

bool CSqliteCollectionReader::CountLinks(const std::string& table, const std::string& stamp,
                                         long long& count) {
    sqlite3_stmt* stmt =
        Prepare("select count(*) from " + table + " where " + Stamp("updatetime") + ">?1");
    if (!stmt)
        return false;
    sqlite3_bind_text(stmt, 1, stamp.c_str(), -1, SQLITE_TRANSIENT);
    const bool ok = sqlite3_step(stmt) == SQLITE_ROW;
    count = ok ? sqlite3_column_int64(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    return ok;
}

bool CSqliteCollectionReader::StartLinks(const std::string& table, const std::string& stamp) {
    sqlite3_finalize(m_pCursor);
    m_pCursor = Prepare("select lawid,treeid,ut from (select lawid,treeid," + Stamp("updatetime") +
                        " as ut from " + table + ") where ut>?1 order by ut,treeid,lawid");
    m_bCursorDone = false;
    if (!m_pCursor)
        return false;
    sqlite3_bind_text(m_pCursor, 1, stamp.c_str(), -1, SQLITE_TRANSIENT);
    return true;
}

int CSqliteCollectionReader::NextLink(CPublishedLink& link) {
    if (m_bCursorDone)
        return 0;
    const int rc = sqlite3_step(m_pCursor);
    if (rc == SQLITE_DONE) {
        m_bCursorDone = true;
        return 0;
    }
    if (rc != SQLITE_ROW)
        return -1;
    link.m_nLawId = sqlite3_column_int64(m_pCursor, 0);
    link.m_nTreeId = sqlite3_column_int64(m_pCursor, 1);
    link.m_strStamp = ColumnText(m_pCursor, 2);
    return 1;
}
