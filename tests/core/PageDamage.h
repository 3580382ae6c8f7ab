#pragma once
// Damages a database file as a failing disk or a broken copy would: pages of one b-tree (a
// table or an index) overwritten with garbage. Deterministic: the same pages, the same bytes.

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// Overwrites `count` leaf pages of the b-tree `name` (in key order, the first at `share` of
// its leaves, 0.0 to 1.0) and answers their page numbers. Every connection to the file must
// be closed, or at least have nothing of it cached: the file is written behind their back.
inline std::vector<int> DamageLeafPages(const std::string& file, const std::string& name,
                                        double share, int count = 1) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open " + file);
    // Everything into the main file first: the garbage must not hide behind a newer copy of
    // the page in the write-ahead log.
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    int pageSize = 0;
    std::vector<int> leaves;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &stmt, nullptr);
    if (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        pageSize = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_prepare_v2(db,
                       "select pageno from dbstat where name=?1 and pagetype='leaf' order by path",
                       -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        leaves.push_back(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (leaves.empty() || pageSize <= 0)
        throw std::runtime_error("no leaf pages of " + name + " in " + file);
    size_t first = static_cast<size_t>(share * static_cast<double>(leaves.size()));
    if (first >= leaves.size())
        first = leaves.size() - 1;
    std::vector<int> damaged;
    FILE* f = std::fopen(file.c_str(), "r+b");
    if (!f)
        throw std::runtime_error("cannot write " + file);
    std::vector<unsigned char> garbage(static_cast<size_t>(pageSize));
    unsigned state = 12345;
    for (size_t i = first; i < leaves.size() && static_cast<int>(damaged.size()) < count; ++i) {
        for (unsigned char& byte : garbage) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<unsigned char>(state >> 16);
        }
        std::fseek(f, static_cast<long>(leaves[i] - 1) * pageSize, SEEK_SET);
        std::fwrite(garbage.data(), 1, garbage.size(), f);
        damaged.push_back(leaves[i]);
    }
    std::fclose(f);
    return damaged;
}
