#include "TestDatabase.h"

#include "data/Schema.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string Prefix(int edition) {
    return edition == 1 ? "en_" : "";
}

} // namespace

CTestDatabase::CTestDatabase(bool create) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvarin-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_strDir = pattern;
    m_strOldDir = std::filesystem::current_path().string();
    std::filesystem::current_path(m_strDir);
    if (!create)
        return;
    std::string error;
    if (!CSchema::CreateDatabase(m_strDir + "/db1.mdb", false, error))
        throw std::runtime_error(error);
    if (sqlite3_open(std::string(m_strDir + "/db1.mdb").c_str(), &m_pDb) != SQLITE_OK)
        throw std::runtime_error("cannot open the test database");
    sqlite3_busy_timeout(m_pDb, 10000);
}

CTestDatabase::~CTestDatabase() {
    sqlite3_close(m_pDb);
    std::error_code ec;
    std::filesystem::current_path(m_strOldDir, ec);
    std::filesystem::remove_all(m_strDir, ec);
}

void CTestDatabase::Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(m_pDb, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string text = err ? err : "error";
        sqlite3_free(err);
        throw std::runtime_error(text + ": " + sql);
    }
}

int CTestDatabase::AddLaw(int edition, const std::string& topic, const std::string& datum,
                          const std::string& wenhao, const std::string& bumen,
                          const std::string& body) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "insert into " + Prefix(edition) +
                            "dornlaws (topic, datum, wenhao, bumen, body) values (?,?,?,?,?)";
    sqlite3_prepare_v2(m_pDb, sql.c_str(), -1, &stmt, nullptr);
    const std::string* values[] = {&topic, &datum, &wenhao, &bumen, &body};
    for (int i = 0; i < 5; ++i) {
        if (i == 1 && datum.empty())
            sqlite3_bind_null(stmt, 2);
        else
            sqlite3_bind_text(stmt, i + 1, values[i]->c_str(), -1, SQLITE_TRANSIENT);
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        const std::string text = sqlite3_errmsg(m_pDb);
        sqlite3_finalize(stmt);
        throw std::runtime_error(text);
    }
    sqlite3_finalize(stmt);
    return static_cast<int>(sqlite3_last_insert_rowid(m_pDb));
}

void CTestDatabase::AddCategory(int edition, int id, int parid, const std::string& name, int xh,
                                int childs) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "insert into " + Prefix(edition) +
                            "dorntree (id, parid, name, xh, childs) values (?,?,?,?,?)";
    sqlite3_prepare_v2(m_pDb, sql.c_str(), -1, &stmt, nullptr);
    sqlite3_bind_int(stmt, 1, id);
    sqlite3_bind_int(stmt, 2, parid);
    sqlite3_bind_text(stmt, 3, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 4, xh);
    sqlite3_bind_int(stmt, 5, childs);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
}

void CTestDatabase::Link(int edition, int lawid, int treeid) {
    Exec("insert into " + Prefix(edition) + "dornlawas (lawid, treeid) values (" +
         std::to_string(lawid) + "," + std::to_string(treeid) + ")");
}
