#include "data/Schema.h"

#include "data/CitationTable.h"
#include "data/DbConnection.h"
#include "data/SearchIndex.h"
#include "ground/AppConstants.h"

#include <filesystem>
#include <set>
#include <sqlite3.h>

namespace {

// Date columns hold "%Y-%m-%d %H:%M:%S" text or NULL, nothing else.
const char* const kDateCheck =
    " GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'";

std::string DateColumn(const std::string& name) {
    return name + " DATETIME CHECK (" + name + " IS NULL OR " + name + kDateCheck + ")";
}

} // namespace

std::string CSchema::EditionDdl(const std::string& p) {
    std::string ddl;
    ddl += "CREATE TABLE " + p +
           "dorntree (id INTEGER PRIMARY KEY, parid INTEGER NOT NULL DEFAULT 0, "
           "name TEXT, xh INTEGER DEFAULT 0, childs INTEGER NOT NULL DEFAULT 0, oldid TEXT, " +
           DateColumn("updatetime") + ");\n";
    ddl += "CREATE TABLE " + p +
           "dornlaws (lawid INTEGER PRIMARY KEY AUTOINCREMENT, topic TEXT, "
           "wenhao TEXT, bumen TEXT, " +
           DateColumn("datum") +
           ", body LONGTEXT, reid INTEGER, "
           "oldid TEXT, " +
           DateColumn("updatetime") + ");\n";
    ddl += "CREATE TABLE " + p + "dornlawas (lawid INTEGER NOT NULL, treeid INTEGER NOT NULL, " +
           DateColumn("updatetime") + ");\n";
    ddl += "CREATE INDEX " + p + "dorntree_parid ON " + p + "dorntree (parid, xh);\n";
    ddl += "CREATE INDEX " + p + "dorntree_oldid ON " + p + "dorntree (oldid);\n";
    ddl += "CREATE INDEX " + p + "dorntree_updatetime ON " + p + "dorntree (updatetime, id);\n";
    ddl += "CREATE INDEX " + p + "dornlaws_oldid ON " + p + "dornlaws (oldid);\n";
    // Covers the law list, so listing never touches the rows that hold the law texts.
    ddl += "CREATE INDEX " + p + "dornlaws_list ON " + p +
           "dornlaws (datum, lawid, topic, wenhao, bumen);\n";
    ddl += "CREATE INDEX " + p + "dornlaws_updatetime ON " + p + "dornlaws (updatetime, lawid);\n";
    ddl += "CREATE INDEX " + p + "dornlawas_treeid ON " + p + "dornlawas (treeid, lawid);\n";
    ddl += "CREATE INDEX " + p + "dornlawas_lawid ON " + p + "dornlawas (lawid);\n";
    ddl += "CREATE INDEX " + p + "dornlawas_updatetime ON " + p + "dornlawas (updatetime);\n";
    return ddl;
}

bool CSchema::CreateDatabase(const std::string& path, bool overwrite, std::string& error) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        if (!overwrite) {
            error = path + " already exists (use --force to replace it)";
            return false;
        }
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            std::filesystem::remove(path + suffix, ec);
    }
    CSearchIndex::RegisterEverywhere();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return false;
    }
    // Pages of 64 KB hold a law text of average length within its row's page, so the
    // body search reads it without following a chain of overflow pages.
    const std::string ddl =
        "PRAGMA page_size=65536;\nPRAGMA journal_mode=WAL;\nBEGIN;\n" + EditionDdl("") +
        EditionDdl("en_") + CSearchIndex::Ddl("dornlaws", CSearchIndex::kComplete) +
        CSearchIndex::Ddl("en_dornlaws", CSearchIndex::kComplete) +
        CCitationTable::Ddl("dornlaws", CCitationTable::kComplete) +
        CCitationTable::Ddl("en_dornlaws", CCitationTable::kComplete) + "COMMIT;\n";
    char* err = nullptr;
    const bool ok = sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, &err) == SQLITE_OK;
    if (!ok)
        error = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    sqlite3_close(db);
    return ok;
}

namespace {

struct TableColumns {
    const char* table;
    std::initializer_list<const char*> columns;
};

// The columns of each table role that some statement of the program names.
const TableColumns kCollectionTables[] = {
    {"dorntree", {"id", "parid", "name", "xh", "childs", "oldid", "updatetime"}},
    {"dornlaws",
     {"lawid", "topic", "wenhao", "bumen", "datum", "body", "reid", "oldid", "updatetime"}},
    {"dornlawas", {"lawid", "treeid", "updatetime"}},
};

} // namespace

bool CSchema::CheckCollection(sqlite3* db, std::string& missing) {
    missing.clear();
    if (!db) {
        missing = "dorntree";
        return false;
    }
    for (const char* prefix : {"", "en_"}) {
        for (const TableColumns& role : kCollectionTables) {
            const std::string table = std::string(prefix) + role.table;
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, "select name from pragma_table_info(?1)", -1, &stmt,
                                   nullptr) != SQLITE_OK) {
                sqlite3_finalize(stmt);
                missing = table;
                return false;
            }
            sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
            std::set<std::string> present;
            int rc = SQLITE_OK;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                const auto* name = sqlite3_column_text(stmt, 0);
                if (name)
                    present.insert(reinterpret_cast<const char*>(name));
            }
            sqlite3_finalize(stmt);
            if (rc != SQLITE_DONE || present.empty()) {
                missing = table;
                return false;
            }
            for (const char* column : role.columns) {
                // Column names compare without regard to case, as the engine does.
                bool found = false;
                for (const std::string& name : present)
                    found = found || sqlite3_stricmp(name.c_str(), column) == 0;
                if (!found) {
                    missing = table + "." + column;
                    return false;
                }
            }
        }
    }
    return true;
}

bool CSchema::CheckCollection(CDbConnection& db, std::string& missing) {
    return CheckCollection(db.GetConnectionHandle(), missing);
}

std::string CSchema::NoCollectionText(const std::string& missing) {
    return std::string(kDatabaseFileName) + " 中没有法规库（缺少 " + missing + "）。";
}
