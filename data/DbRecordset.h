#pragma once

#include "data/DbFieldReader.h"

#include <memory>
#include <string>

class CDbConnection;
class CRecordsetHandle;

// The rows of one SELECT, read forward: Open; while !IsEOF() read fields, MoveNext; Close.
class CDbRecordset {
public:
    CDbRecordset();
    virtual ~CDbRecordset();
    CDbRecordset(const CDbRecordset&) = delete;
    CDbRecordset& operator=(const CDbRecordset&) = delete;

    int Open(CDbConnection* connection, const std::string& sql);
    void Close();
    // Nonzero past the last row, and when no recordset is open (so no loop can run on a
    // failed Open).
    int IsEOF() const;
    void MoveNext();
    bool IsOpen() const { return m_pHandle != nullptr; }
    // True when the engine failed to read a row, at Open or at MoveNext (a damaged or
    // unreadable file, an interrupted statement): the rows seen so far are not all the
    // statement would have delivered. A statement refused for its text is not a failed read.
    // Kept after Close until the next Open.
    // A value that could not be read counts the same.
    bool HasFailed() const { return GetFailureCode() != 0; }
    // The engine's text and result code of that failure.
    const std::string& GetFailure() const;
    int GetFailureCode() const;

    // Text of a field, trailing white space removed; limit > 0 cuts (at a character).
    int GetString(std::string& out, const char* field, int limit);
    int GetMemo(std::string& out, const char* field);
    int GetInt(int& out, const char* field);
    // True when the open recordset has a column of that name (no box when it has not).
    bool HasField(const char* field) const;

private:
    std::unique_ptr<CRecordsetHandle> m_pHandle;
    CDbFieldReader m_reader;
    int m_nFailure = 0;
    std::string m_strFailure;
};
