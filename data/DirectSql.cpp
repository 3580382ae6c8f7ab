#include "data/DirectSql.h"

#include <sqlite3.h>

namespace direct_sql {

bool Exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK)
        return true;
    error = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    return false;
}

std::int64_t QueryInt(sqlite3* db, const std::string& sql, std::int64_t fallback, bool* ok) {
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

ReadTransaction::ReadTransaction(sqlite3* db)
    : m_db(db), m_bOwn(db && sqlite3_get_autocommit(db) &&
                       sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) {}

ReadTransaction::~ReadTransaction() {
    if (m_bOwn)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
}

} // namespace direct_sql
