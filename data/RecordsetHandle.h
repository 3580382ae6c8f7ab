#pragma once

#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// What a recordset holder holds: one prepared SELECT stepped forward, its current row and
// the column names for lookups by name.
class CRecordsetHandle {
public:
    CRecordsetHandle() = default;
    ~CRecordsetHandle();
    CRecordsetHandle(const CRecordsetHandle&) = delete;
    CRecordsetHandle& operator=(const CRecordsetHandle&) = delete;

    // Column index of a field name (ASCII case-insensitive), -1 when the result lacks it.
    int FindColumn(const char* name) const;

    sqlite3_stmt* m_pStmt = nullptr;
    sqlite3* m_pDb = nullptr;
    bool m_bEOF = true;
    std::string m_strError; // the engine's text of a failed step or value read, if any
    int m_nError = 0;       // and its result code
    std::vector<std::string> m_arrColumns;
    // Per column, how its declared type reads (kept by the field reader; -1 not yet known).
    std::vector<signed char> m_arrFieldTypes;
};
