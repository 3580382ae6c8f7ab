#include "tools/admin/CollectionCopier.h"
#include "ground/FileTarget.h"

#include "data/Schema.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"
#include "tools/publish/PgSchema.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <libpq-fe.h>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {

using Value = std::optional<std::string>;
using Row = std::vector<Value>;

struct Table {
    const char* name;
    const char* columns;
    std::vector<bool> integer; // which columns are integers
};

const Table kTables[] = {
    {"dorntree",
     "id,parid,name,xh,childs,oldid,updatetime",
     {true, true, false, true, true, false, false}},
    {"dornlaws",
     "lawid,topic,bumen,wenhao,datum,body,oldid,updatetime",
     {true, false, false, false, false, false, false, false}},
    {"dornlawas", "lawid,treeid,updatetime", {true, true, false}},
};

std::string Trim(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Why the server refused or broke off: the result's own message, else the connection's (a
// statement that could not be sent, a connection the server closed mid-copy), never nothing.
std::string PgReason(PGconn* connection, const PGresult* result) {
    std::string reason = result ? Trim(PQresultErrorMessage(result)) : std::string();
    if (reason.empty())
        reason = Trim(PQerrorMessage(connection));
    if (reason.empty())
        reason = PQstatus(connection) == CONNECTION_OK
                     ? "the PostgreSQL server gave no reason"
                     : "the connection to the PostgreSQL server was lost";
    return reason;
}

bool PgExec(PGconn* connection, const std::string& sql, std::string& error) {
    PGresult* result = PQexec(connection, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok)
        error = PgReason(connection, result);
    PQclear(result);
    return ok;
}

// A field of COPY's text format.
void CopyField(std::string& line, const Value& value) {
    if (!value) {
        line += "\\N";
        return;
    }
    for (const char c : *value) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}

// Reads every row of a table of the source, one at a time.
using RowSink = std::function<bool(const Row&)>;

class CSource {
public:
    virtual ~CSource() = default;
    virtual bool Rows(const std::string& table, const Table& layout, const RowSink& sink,
                      std::string& error) = 0;
    // The rows of a table, for progress; -1 when they cannot be counted.
    virtual long long Count(const std::string& table) = 0;
};

// Copies one table's rows through `sink`, telling `progress` of each.
bool CopyRows(CSource& source, const std::string& table, const Table& layout, const RowSink& sink,
              const CCollectionCopier::Progress& progress, std::string& error) {
    if (!progress)
        return source.Rows(table, layout, sink, error);
    const long long total = source.Count(table);
    long long done = 0;
    progress(table, 0, total);
    return source.Rows(
        table, layout,
        [&](const Row& row) {
            if (!sink(row))
                return false;
            progress(table, ++done, total);
            return true;
        },
        error);
}

class CSqliteSource : public CSource {
public:
    bool Open(const std::string& path, std::string& error) {
        if (sqlite3_open_v2(path.c_str(), &m_pDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            error = path + ": " + (m_pDb ? sqlite3_errmsg(m_pDb) : "cannot open");
            return false;
        }
        return sqlite3_exec(m_pDb, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~CSqliteSource() override { sqlite3_close(m_pDb); }
    bool Rows(const std::string& table, const Table& layout, const RowSink& sink,
              std::string& error) override {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = std::string("select ") + layout.columns + " from " + table;
        if (sqlite3_prepare_v2(m_pDb, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            error = table + ": " + sqlite3_errmsg(m_pDb);
            return false;
        }
        Row row(layout.integer.size());
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            for (size_t i = 0; i < row.size(); ++i) {
                const int column = static_cast<int>(i);
                if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
                    row[i].reset();
                else if (layout.integer[i])
                    row[i] = std::to_string(sqlite3_column_int64(stmt, column));
                else
                    row[i] = std::string(
                        reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                        static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
            }
            if (!sink(row)) {
                sqlite3_finalize(stmt);
                return false;
            }
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            error = table + ": " + sqlite3_errmsg(m_pDb);
        return rc == SQLITE_DONE;
    }
    long long Count(const std::string& table) override {
        sqlite3_stmt* stmt = nullptr;
        long long n = -1;
        if (sqlite3_prepare_v2(m_pDb, ("select count(*) from " + table).c_str(), -1, &stmt,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            n = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return n;
    }

private:
    sqlite3* m_pDb = nullptr;
};

class CPgSource : public CSource {
public:
    bool Open(const std::string& uri, std::string& error) {
        m_pConn = PQconnectdb(uri.c_str());
        if (PQstatus(m_pConn) != CONNECTION_OK) {
            error = Trim(PQerrorMessage(m_pConn));
            return false;
        }
        PQsetClientEncoding(m_pConn, "UTF8");
        return PgExec(m_pConn, "BEGIN ISOLATION LEVEL REPEATABLE READ", error);
    }
    ~CPgSource() override { PQfinish(m_pConn); }
    bool Rows(const std::string& table, const Table& layout, const RowSink& sink,
              std::string& error) override {
        const std::string sql = std::string("select ") + layout.columns + " from " + table;
        if (!PQsendQuery(m_pConn, sql.c_str()) || !PQsetSingleRowMode(m_pConn)) {
            error = table + ": " + PgReason(m_pConn, nullptr);
            return false;
        }
        bool ok = true;
        Row row(layout.integer.size());
        while (PGresult* result = PQgetResult(m_pConn)) {
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_SINGLE_TUPLE && ok) {
                for (size_t i = 0; i < row.size(); ++i) {
                    const int column = static_cast<int>(i);
                    if (PQgetisnull(result, 0, column))
                        row[i].reset();
                    else
                        row[i] = std::string(PQgetvalue(result, 0, column),
                                             static_cast<size_t>(PQgetlength(result, 0, column)));
                }
                ok = sink(row);
            } else if (status != PGRES_TUPLES_OK && status != PGRES_SINGLE_TUPLE) {
                error = table + ": " + PgReason(m_pConn, result);
                ok = false;
            }
            PQclear(result);
        }
        return ok;
    }
    long long Count(const std::string& table) override {
        PGresult* result = PQexec(m_pConn, ("select count(*) from " + table).c_str());
        const long long n =
            PQresultStatus(result) == PGRES_TUPLES_OK ? std::atoll(PQgetvalue(result, 0, 0)) : -1;
        PQclear(result);
        return n;
    }

private:
    PGconn* m_pConn = nullptr;
};

long long CopyToPostgres(CSource& source, const std::string& uri, bool replace, std::string& error,
                         const CCollectionCopier::Progress& progress) {
    PGconn* connection = PQconnectdb(uri.c_str());
    std::unique_ptr<PGconn, void (*)(PGconn*)> owner(connection, PQfinish);
    if (PQstatus(connection) != CONNECTION_OK) {
        error = Trim(PQerrorMessage(connection));
        return -1;
    }
    PQsetClientEncoding(connection, "UTF8");
    if (!CPgSchema::Create(connection, replace, error))
        return -1;
    PGresult* existing = PQexec(connection, "select (select count(*) from dornlaws) + "
                                            "(select count(*) from en_dornlaws) + "
                                            "(select count(*) from dorntree) + "
                                            "(select count(*) from en_dorntree)");
    const bool empty = PQresultStatus(existing) == PGRES_TUPLES_OK &&
                       std::string(PQgetvalue(existing, 0, 0)) == "0";
    PQclear(existing);
    if (!empty) {
        error = "the database holds a collection already (use --force to replace it)";
        return -1;
    }
    if (!PgExec(connection, "BEGIN; SET LOCAL tolvarin.keep_stamps = 'on'", error))
        return -1;
    long long rows = 0;
    for (const char* prefix : {"", "en_"}) {
        for (const Table& layout : kTables) {
            const std::string table = prefix + std::string(layout.name);
            PGresult* start = PQexec(
                connection, ("COPY " + table + " (" + layout.columns + ") FROM STDIN").c_str());
            const bool copying = PQresultStatus(start) == PGRES_COPY_IN;
            if (!copying)
                error = table + ": " + PgReason(connection, start);
            PQclear(start);
            if (!copying) {
                std::string ignored;
                PgExec(connection, "ROLLBACK", ignored);
                return -1;
            }
            // COPY's mode accepts no statement: a failing source ends it with an error.
            std::string line;
            bool sent = true;
            const bool read = CopyRows(
                source, table, layout,
                [&](const Row& row) {
                    line.clear();
                    for (size_t i = 0; i < row.size(); ++i) {
                        if (i)
                            line += '\t';
                        CopyField(line, row[i]);
                    }
                    line += '\n';
                    ++rows;
                    if (PQputCopyData(connection, line.data(), static_cast<int>(line.size())) == 1)
                        return true;
                    // The server went away mid-copy: its reason is the connection's.
                    sent = false;
                    error = table + ": " + PgReason(connection, nullptr);
                    return false;
                },
                progress, error);
            if (PQputCopyEnd(connection, read ? nullptr : "source failed") != 1 && read) {
                error = table + ": " + PgReason(connection, nullptr);
                sent = false;
            }
            bool copied = read && sent;
            while (PGresult* result = PQgetResult(connection)) {
                if (PQresultStatus(result) != PGRES_COMMAND_OK) {
                    // The server's own word on a failed copy says more than the client's.
                    if (copied || !sent)
                        error = table + ": " + PgReason(connection, result);
                    copied = false;
                }
                PQclear(result);
            }
            if (!copied && error.empty())
                error = table + ": " + PgReason(connection, nullptr);
            if (!copied) {
                std::string ignored;
                PgExec(connection, "ROLLBACK", ignored);
                return -1;
            }
        }
        for (const auto& [table, column] :
             {std::pair<std::string, const char*>{"dorntree", "id"}, {"dornlaws", "lawid"}}) {
            const std::string name = prefix + table;
            if (!PgExec(connection,
                        "select setval(pg_get_serial_sequence('" + name + "','" + column +
                            "'), coalesce(max(" + column + "),0)+1, false) from " + name,
                        error)) {
                std::string ignored;
                PgExec(connection, "ROLLBACK", ignored);
                return -1;
            }
        }
    }
    if (!CPgSchema::AdvanceClock(connection, error) || !PgExec(connection, "COMMIT", error))
        return -1;
    std::string ignored;
    PgExec(connection, "ANALYZE", ignored);
    return rows;
}

long long CopyToSqlite(CSource& source, const std::string& target, bool replace, std::string& error,
                       const CCollectionCopier::Progress& progress) {
    // A link is written through to its file, which must be a regular one.
    std::string path;
    if (!CFileTarget::Resolve(target, path, error))
        return -1;
    if (std::filesystem::exists(path) && !replace) {
        error = path + " exists (use --force to replace it)";
        return -1;
    }
    const std::string part = path + ".part" + std::to_string(getpid());
    if (!CSchema::CreateDatabase(part, true, error))
        return -1;
    sqlite3* db = nullptr;
    long long rows = 0;
    bool ok = sqlite3_open(part.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const char* prefix : {"", "en_"}) {
        for (const Table& layout : kTables) {
            if (!ok)
                break;
            const std::string table = prefix + std::string(layout.name);
            const size_t n = layout.integer.size();
            std::string marks;
            for (size_t i = 0; i < n; ++i)
                marks += i ? ",?" : "?";
            sqlite3_stmt* stmt = nullptr;
            const std::string sql =
                "insert into " + table + " (" + layout.columns + ") values (" + marks + ")";
            ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
            ok = ok &&
                 CopyRows(
                     source, table, layout,
                     [&](const Row& row) {
                         sqlite3_reset(stmt);
                         for (size_t i = 0; i < n; ++i) {
                             const int at = static_cast<int>(i) + 1;
                             if (!row[i])
                                 sqlite3_bind_null(stmt, at);
                             else if (layout.integer[i])
                                 sqlite3_bind_int64(stmt, at, std::stoll(*row[i]));
                             else
                                 sqlite3_bind_text(stmt, at, row[i]->data(),
                                                   static_cast<int>(row[i]->size()), SQLITE_STATIC);
                         }
                         ++rows;
                         return sqlite3_step(stmt) == SQLITE_DONE;
                     },
                     progress, error);
            sqlite3_finalize(stmt);
        }
    }
    if (ok)
        ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok && error.empty())
        error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot open");
    sqlite3_close(db);
    std::error_code ignored;
    if (ok) {
        std::filesystem::rename(part, path, ignored);
        ok = !ignored;
        if (!ok)
            error = path + ": " + ignored.message();
    }
    if (!ok) {
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(part + suffix, ignored);
        return -1;
    }
    return rows;
}

} // namespace

bool CCollectionCopier::IsPostgres(const std::string& name) {
    return name.rfind("postgresql://", 0) == 0 || name.rfind("postgres://", 0) == 0;
}

long long CCollectionCopier::Copy(const std::string& source, const std::string& target,
                                  bool replace, std::string& error, const Progress& progress) {
    std::unique_ptr<CSource> reader;
    if (IsPostgres(source)) {
        auto pg = std::make_unique<CPgSource>();
        if (!pg->Open(source, error))
            return -1;
        reader = std::move(pg);
    } else {
        if (!std::filesystem::exists(source)) {
            error = "no collection at " + source;
            return -1;
        }
        auto lite = std::make_unique<CSqliteSource>();
        if (!lite->Open(source, error))
            return -1;
        reader = std::move(lite);
    }
    return IsPostgres(target) ? CopyToPostgres(*reader, target, replace, error, progress)
                              : CopyToSqlite(*reader, target, replace, error, progress);
}

long long CCollectionCopier::ImportCorpus(const std::string& corpus, const std::string& edition,
                                          const std::string& target, bool replace,
                                          std::string& error, const ImportProgress& progress) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tolvarin-import-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "collection.db").string();
    long long laws = -1;
    {
        CCollectionWriter writer;
        writer.SetProgressHook(progress.write);
        if (CSchema::CreateDatabase(file, true, error) && writer.Open(file, error) &&
            writer.BeginEdition(edition == "en" ? "en_" : "", error)) {
            laws = CCorpusImporter::Import(corpus, writer, error, progress.read);
            if (laws >= 0 && !writer.EndEdition(error))
                laws = -1;
        }
    }
    if (laws >= 0 && Copy(file, target, replace, error, progress.copy) < 0)
        laws = -1;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return laws;
}
