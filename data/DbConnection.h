#pragma once

#include <memory>
#include <string>

struct sqlite3;
class CRecordsetHandle;

// One open connection to the law database (an SQLite file named by the connection string's
// Data Source). Operations answer 1 for success and 0 for failure and never throw; failures
// are shown through the message service as the program's boxes, or are silent by rule.
// A connection is used by one thread at a time.
class CDbConnection {
public:
    enum ErrorKind { ErrConnect, ErrClose, ErrExecute };

    CDbConnection();
    virtual ~CDbConnection();
    CDbConnection(const CDbConnection&) = delete;
    CDbConnection& operator=(const CDbConnection&) = delete;

    // Ensures a connection: with force 0 an open connection is reused as it is.
    int Connect(const char* connectionString, int force);
    // Opens a SELECT into `holder`. A statement the engine refuses answers 0 silently.
    int OpenRecordset(const std::string& sql, std::unique_ptr<CRecordsetHandle>& holder,
                      const std::string& reconnect);
    // Runs one INSERT or UPDATE (or other statement without rows).
    int Execute(const char* sql);
    void Close();
    void ReportErrors(ErrorKind kind);

    sqlite3* GetConnectionHandle() const { return m_pDb; }
    bool IsOpen() const { return m_pDb != nullptr; }
    // The open connection can only read: the file lies on a read-only medium or in a place
    // this process may not write (the collection is browsed and searched, not updated).
    bool IsReadOnly() const { return m_pDb != nullptr && m_bReadOnly; }
    const std::string& GetConnectionString() const { return m_strConnection; }
    // The engine's text of the last failure on this connection.
    const std::string& GetLastError() const { return m_strLastError; }
    // Why the last OpenRecordset failed: 0 when the statement was refused for its text (or
    // there was no connection), else the engine's result code of a failed read (a damaged
    // or unreadable file, an interrupted statement).
    int GetLastReadFailure() const { return m_nLastReadFailure; }

    // Transactions, for writers that commit in batches. Silent; answer 1 or 0.
    int BeginTrans();
    int CommitTrans();
    int RollbackTrans();
    bool InTransaction() const;

    // Row id given to the last row inserted on this connection.
    long long GetLastInsertId() const;

    // The file named by "Data Source=" in a connection string (empty when none).
    static std::string DataSourceOf(const std::string& connectionString);

private:
    int Fail(const std::string& text);

    sqlite3* m_pDb = nullptr;
    bool m_bCreated = false; // Connect was called at least once
    bool m_bReadOnly = false;
    std::string m_strConnection;
    std::string m_strLastError;
    int m_nLastReadFailure = 0;
    int m_nLastErrorCode = 0; // the engine's result code of the last failed Execute
};
