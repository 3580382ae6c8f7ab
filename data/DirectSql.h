#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

// Statements run directly on a connection, outside the statement builders: those of the
// derived tables (the search index, the citations) and of the searches that read them.
namespace direct_sql {

// Runs `sql` (one or more statements); false with the engine's reason in `error`.
bool Exec(sqlite3* db, const std::string& sql, std::string& error);
// The first column of the first row of `sql` as an integer; `fallback` when there is none.
// `ok` (when given) tells whether the statement ran.
std::int64_t QueryInt(sqlite3* db, const std::string& sql, std::int64_t fallback,
                      bool* ok = nullptr);
// `text` as an SQL literal in single quotes, its quotes doubled.
std::string Quoted(const std::string& text);

// Reads that follow while it lives see one state of the file: a read transaction, begun
// unless the connection is in one already, and ended with it.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3* db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    sqlite3* m_db;
    bool m_bOwn;
};

} // namespace direct_sql
