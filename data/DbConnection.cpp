#include "data/DbConnection.h"

#include "app/MessageService.h"
#include "data/JetSql.h"
#include "data/LikeFunction.h"
#include "data/RecordsetHandle.h"

#include <cstring>
#include <fstream>
#include <sqlite3.h>

namespace {

// Microsoft Access files carry this name at offset 4 of their first page.
bool IsAccessFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    if (!in.read(header, sizeof header))
        return false;
    return std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
           std::memcmp(header + 4, "Standard ACE DB", 15) == 0;
}

bool IsBlankTail(const char* tail) {
    if (!tail)
        return true;
    for (; *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            return false;
    return true;
}

} // namespace

CDbConnection::CDbConnection() = default;

CDbConnection::~CDbConnection() { Close(); }

std::string CDbConnection::DataSourceOf(const std::string& connectionString) {
    static const char kKey[] = "data source=";
    std::string lower = connectionString;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    size_t pos = 0;
    while ((pos = lower.find(kKey, pos)) != std::string::npos) {
        if (pos == 0 || lower[pos - 1] == ';' || lower[pos - 1] == ' ')
            break;
        ++pos;
    }
    if (pos == std::string::npos)
        return {};
    const size_t start = pos + sizeof kKey - 1;
    const size_t end = connectionString.find(';', start);
    std::string value = connectionString.substr(start, end == std::string::npos ? std::string::npos
                                                                                 : end - start);
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

int CDbConnection::Fail(const std::string& text) {
    m_strLastError = text;
    return 0;
}

int CDbConnection::Connect(const char* connectionString, int force) {
    if (!force && m_pDb)
        return 1;
    Close();
    m_bCreated = true;
    m_strConnection = connectionString ? connectionString : "";
    const std::string path = DataSourceOf(m_strConnection);
    if (path.empty()) {
        ShowMessage("连接数据失败，请检查网络和数据库设置是否正确", "连接失败", MsgIcon::Information);
        return Fail("no Data Source in the connection string");
    }
    if (IsAccessFile(path)) {
        m_strLastError = "“" + path +
                         "”是 Microsoft Access (Jet/ACE) 数据库文件，本程序只能打开 SQLite "
                         "格式的法规数据库。请先用 tolvarin-admin 建立或转换数据库。";
        ReportErrors(ErrConnect);
        return 0;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    if (rc != SQLITE_OK) {
        m_strLastError = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        m_strLastError += ": " + path;
        sqlite3_close(db);
        ReportErrors(ErrConnect);
        return 0;
    }
    // Another connection opening or writing the file holds its locks for a moment: wait for
    // them, also while the schema is read below.
    sqlite3_busy_timeout(db, 10000);
    // Reading the schema proves the file is a database at all.
    char* err = nullptr;
    if (sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, &err) !=
        SQLITE_OK) {
        m_strLastError = err ? err : sqlite3_errmsg(db);
        m_strLastError += ": " + path;
        sqlite3_free(err);
        sqlite3_close(db);
        ReportErrors(ErrConnect);
        return 0;
    }
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    // The same like, matched faster: the law-text search reads every law through it.
    CLikeFunction::Register(db);
    m_pDb = db;
    m_strLastError.clear();
    return 1;
}

int CDbConnection::OpenRecordset(const std::string& sql, std::unique_ptr<CRecordsetHandle>& holder,
                                 const std::string& reconnect) {
    if (!m_pDb) {
        if (!m_bCreated) {
            ShowMessage("数据库记录打开失败！", "记录失败", MsgIcon::Information);
            return Fail("not connected");
        }
        // A connection that failed or was closed: try to connect again, but do not retry.
        Connect(reconnect.c_str(), 0);
        return 0;
    }
    holder.reset();
    std::string translated;
    if (!CJetSql::Translate(sql, translated, m_strLastError))
        return 0;
    auto handle = std::make_unique<CRecordsetHandle>();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_pDb, translated.c_str(), static_cast<int>(translated.size() + 1),
                           &handle->m_pStmt, &tail) != SQLITE_OK ||
        !handle->m_pStmt) {
        m_strLastError = sqlite3_errmsg(m_pDb);
        return 0;
    }
    if (!IsBlankTail(tail) || !sqlite3_stmt_readonly(handle->m_pStmt)) {
        m_strLastError = "Characters found after end of SQL statement.";
        return 0;
    }
    handle->m_pDb = m_pDb;
    const int columns = sqlite3_column_count(handle->m_pStmt);
    handle->m_arrColumns.reserve(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(handle->m_pStmt, i);
        handle->m_arrColumns.emplace_back(name ? name : "");
    }
    const int rc = sqlite3_step(handle->m_pStmt);
    if (rc == SQLITE_ROW) {
        handle->m_bEOF = false;
    } else if (rc == SQLITE_DONE) {
        handle->m_bEOF = true;
    } else {
        m_strLastError = sqlite3_errmsg(m_pDb);
        return 0;
    }
    holder = std::move(handle);
    return 1;
}

int CDbConnection::Execute(const char* sql) {
    if (!m_pDb) {
        m_strLastError = "Operation is not allowed when the object is closed.";
        ReportErrors(ErrExecute);
        return 0;
    }
    std::string translated;
    if (!CJetSql::Translate(sql ? sql : "", translated, m_strLastError)) {
        ReportErrors(ErrExecute);
        return 0;
    }
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_pDb, translated.c_str(), static_cast<int>(translated.size() + 1),
                                &stmt, &tail);
    if (rc == SQLITE_OK && stmt && !IsBlankTail(tail)) {
        sqlite3_finalize(stmt);
        m_strLastError = "Characters found after end of SQL statement.";
        ReportErrors(ErrExecute);
        return 0;
    }
    if (rc != SQLITE_OK) {
        m_strLastError = sqlite3_errmsg(m_pDb);
        sqlite3_finalize(stmt);
        ReportErrors(ErrExecute);
        return 0;
    }
    if (!stmt)
        return 1;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        m_strLastError = sqlite3_errmsg(m_pDb);
        sqlite3_finalize(stmt);
        ReportErrors(ErrExecute);
        return 0;
    }
    sqlite3_finalize(stmt);
    return 1;
}

void CDbConnection::Close() {
    if (!m_pDb)
        return;
    if (sqlite3_close(m_pDb) != SQLITE_OK) {
        m_strLastError = sqlite3_errmsg(m_pDb);
        ReportErrors(ErrClose);
        return;
    }
    m_pDb = nullptr;
}

void CDbConnection::ReportErrors(ErrorKind kind) {
    if (m_strLastError.empty()) {
        ShowMessage("数据库连接未知错误，无法捕捉具体错误信息!", "错误", MsgIcon::Information);
        return;
    }
    if (kind == ErrExecute)
        AppMessageBox(m_strLastError);
    else
        ShowMessage(m_strLastError, "连接失败", MsgIcon::Information);
}

int CDbConnection::BeginTrans() {
    if (!m_pDb)
        return 0;
    return sqlite3_exec(m_pDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK ? 1 : 0;
}

int CDbConnection::CommitTrans() {
    if (!m_pDb)
        return 0;
    if (sqlite3_exec(m_pDb, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return 1;
    m_strLastError = sqlite3_errmsg(m_pDb);
    return 0;
}

int CDbConnection::RollbackTrans() {
    if (!m_pDb)
        return 0;
    return sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK ? 1 : 0;
}

bool CDbConnection::InTransaction() const { return m_pDb && !sqlite3_get_autocommit(m_pDb); }

long long CDbConnection::GetLastInsertId() const {
    return m_pDb ? sqlite3_last_insert_rowid(m_pDb) : 0;
}
