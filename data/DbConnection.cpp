#include "data/DbConnection.h"

#include "data/DbErrorText.h"
#include "data/HitFunctions.h"
#include "data/JetSql.h"
#include "data/LikeFunction.h"
#include "data/RecordsetHandle.h"
#include "data/SearchIndex.h"
#include "ground/MessageService.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
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

// The file as the user finds it: with its full path.
std::string FullPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

bool IsBlankTail(const char* tail) {
    if (!tail)
        return true;
    for (; *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            return false;
    return true;
}

// Whether this process may write `path` (through the engine's file system, as the engine
// itself would find out).
bool Writable(const std::string& path) {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    int result = 1;
    if (vfs && vfs->xAccess(vfs, path.c_str(), SQLITE_ACCESS_READWRITE, &result) != SQLITE_OK)
        return true;
    return result != 0;
}

// The file and its directory: the write-ahead log needs both.
bool OnReadOnlyLocation(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(path, ec);
    if (ec)
        return !Writable(path);
    return !Writable(file.string()) || !Writable(file.parent_path().string());
}

// A file name as an SQLite URI path.
std::string UriPath(const std::string& path) {
    std::string uri;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '%' || c == '?' || c == '#' || b < 0x21 || b == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            uri += hex;
        } else {
            uri += c;
        }
    }
    return uri;
}

// A collection on a read-only medium: the write-ahead log's shared-memory file cannot be
// made there, so the usual connection cannot read it. Nothing can change such a file, and
// the engine may read it without locks or a log. Answers nullptr with `error` set when that
// would not show the collection as it is.
sqlite3* OpenImmutable(const std::string& path, std::string& error) {
    std::error_code ec;
    const auto walSize = std::filesystem::file_size(path + "-wal", ec);
    if (!ec && walSize > 0) {
        // Changes still in the log would be passed over.
        error = "“" + path + "”位于只读位置，而它的一部分更改还在“" + path +
                "-wal”中，在这里无法完整读取。请把这两个文件复制到可写的位置再打开。";
        return nullptr;
    }
    const std::string uri = "file:" + UriPath(path) + "?immutable=1";
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(uri.c_str(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        error = std::string(db ? sqlite3_errmsg(db) : "out of memory") + ": " + path;
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

} // namespace

CDbConnection::CDbConnection() = default;

CDbConnection::~CDbConnection() {
    Close();
}

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
    // A quoted value runs to its closing quote, so that a file name may hold a ';'.
    if (start < connectionString.size() && connectionString[start] == '"') {
        const size_t close = connectionString.find('"', start + 1);
        if (close != std::string::npos)
            return connectionString.substr(start + 1, close - start - 1);
    }
    const size_t end = connectionString.find(';', start);
    std::string value =
        connectionString.substr(start, end == std::string::npos ? std::string::npos : end - start);
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
        ShowMessage("连接数据失败，请检查网络和数据库设置是否正确", "连接失败",
                    MsgIcon::Information);
        return Fail("no Data Source in the connection string");
    }
    if (IsAccessFile(path)) {
        m_strLastError = "“" + FullPath(path) +
                         "”是 Microsoft Access (Jet/ACE) 数据库文件，本程序只能打开 SQLite "
                         "格式的法规数据库。请先用 tolvarin-admin 建立或转换数据库。";
        ReportErrors(ErrConnect);
        return 0;
    }
    // The law tables' triggers write the search index through its tokenizer, so every
    // connection knows it.
    CSearchIndex::RegisterEverywhere();
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_strLastError = CDbErrorText::Compose("无法打开法规库 " + FullPath(path) + "。", rc,
                                               db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
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
        const int code = sqlite3_errcode(db) & 0xff;
        m_strLastError = CDbErrorText::Compose("无法读取法规库 " + FullPath(path) + "。", code,
                                               err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        sqlite3_close(db);
        db = nullptr;
        // A read-only location: read the collection there as it is.
        if ((code == SQLITE_CANTOPEN || code == SQLITE_READONLY) && OnReadOnlyLocation(path))
            db = OpenImmutable(path, m_strLastError);
        if (!db) {
            ReportErrors(ErrConnect);
            return 0;
        }
        sqlite3_busy_timeout(db, 10000);
    }
    // Opened for writing, the engine falls back to reading where the file cannot be written.
    m_bReadOnly = sqlite3_db_readonly(db, "main") == 1;
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    // The same like, matched faster: the law-text search reads every law through it.
    CLikeFunction::Register(db);
    // Ranking and snippets of the search box's law-text search.
    CHitFunctions::Register(db);
    m_pDb = db;
    m_strLastError.clear();
    return 1;
}

int CDbConnection::OpenRecordset(const std::string& sql, std::unique_ptr<CRecordsetHandle>& holder,
                                 const std::string& reconnect) {
    m_nLastReadFailure = 0;
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
        // A statement refused for its text is SQLITE_ERROR; anything else (a malformed
        // schema, an I/O error) is the file failing to be read.
        const int code = sqlite3_errcode(m_pDb) & 0xff;
        if (code != SQLITE_ERROR && code != SQLITE_OK)
            m_nLastReadFailure = code;
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
        m_nLastReadFailure = rc & 0xff;
        return 0;
    }
    holder = std::move(handle);
    return 1;
}

int CDbConnection::Execute(const char* sql) {
    m_nLastErrorCode = 0;
    if (!m_pDb) {
        m_strLastError = "Operation is not allowed when the object is closed.";
        ReportErrors(ErrExecute);
        return 0;
    }
    std::string translated;
    if (!CJetSql::Translate(sql ? sql : "", translated, m_strLastError)) {
        m_nLastErrorCode = SQLITE_ERROR;
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
        m_nLastErrorCode = SQLITE_ERROR;
        ReportErrors(ErrExecute);
        return 0;
    }
    if (rc != SQLITE_OK) {
        m_strLastError = sqlite3_errmsg(m_pDb);
        m_nLastErrorCode = sqlite3_extended_errcode(m_pDb);
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
        m_nLastErrorCode = sqlite3_extended_errcode(m_pDb);
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
    if (kind == ErrExecute) {
        // What failed and what to do in plain words, the engine's own text as the detail,
        // and on a line of its own the file it concerns.
        const std::string file = DataSourceOf(m_strConnection);
        AppMessageBox(CDbErrorText::Compose("写入法规库时出错，这一项更改没有保存。",
                                            m_nLastErrorCode, m_strLastError) +
                      (file.empty() ? std::string() : "\n（法规库 " + FullPath(file) + "）"));
    } else
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

bool CDbConnection::InTransaction() const {
    return m_pDb && !sqlite3_get_autocommit(m_pDb);
}

long long CDbConnection::GetLastInsertId() const {
    return m_pDb ? sqlite3_last_insert_rowid(m_pDb) : 0;
}
