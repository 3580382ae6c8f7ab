#include "data/DbRecordset.h"

#include "data/DbConnection.h"
#include "data/RecordsetHandle.h"
#include "ground/TextUtil.h"

#include <sqlite3.h>

CDbRecordset::CDbRecordset() = default;

CDbRecordset::~CDbRecordset() {
    Close();
}

int CDbRecordset::Open(CDbConnection* connection, const std::string& sql) {
    Close();
    m_nFailure = 0;
    m_strFailure.clear();
    if (!connection)
        return 0;
    std::unique_ptr<CRecordsetHandle> holder;
    if (!connection->OpenRecordset(sql, holder, std::string())) {
        if (connection->GetLastReadFailure() != 0) {
            m_nFailure = connection->GetLastReadFailure();
            m_strFailure = connection->GetLastError();
        }
        return 0;
    }
    m_pHandle = std::move(holder);
    m_reader.Bind(m_pHandle.get(), connection);
    return 1;
}

void CDbRecordset::Close() {
    if (m_pHandle && m_pHandle->m_nError != 0 && m_nFailure == 0) {
        m_nFailure = m_pHandle->m_nError;
        m_strFailure = m_pHandle->m_strError;
    }
    m_reader.Bind(nullptr, nullptr);
    m_pHandle.reset();
}

const std::string& CDbRecordset::GetFailure() const {
    return m_nFailure == 0 && m_pHandle && m_pHandle->m_nError != 0 ? m_pHandle->m_strError
                                                                    : m_strFailure;
}

int CDbRecordset::GetFailureCode() const {
    return m_nFailure == 0 && m_pHandle ? m_pHandle->m_nError : m_nFailure;
}

int CDbRecordset::IsEOF() const {
    return (!m_pHandle || m_pHandle->m_bEOF) ? -1 : 0;
}

void CDbRecordset::MoveNext() {
    if (!m_pHandle || m_pHandle->m_bEOF)
        return;
    const int rc = sqlite3_step(m_pHandle->m_pStmt);
    if (rc == SQLITE_ROW)
        return;
    if (rc != SQLITE_DONE && m_pHandle->m_nError == 0) {
        m_pHandle->m_strError = sqlite3_errmsg(m_pHandle->m_pDb);
        m_pHandle->m_nError = rc & 0xff;
    }
    m_pHandle->m_bEOF = true;
}

int CDbRecordset::GetString(std::string& out, const char* field, int limit) {
    const int result = m_reader.GetText(out, field, limit);
    TrimRight(out);
    return result;
}

int CDbRecordset::GetMemo(std::string& out, const char* field) {
    return m_reader.GetMemo(out, field);
}

int CDbRecordset::GetInt(int& out, const char* field) {
    return m_reader.GetInt(out, field);
}

bool CDbRecordset::HasField(const char* field) const {
    return m_pHandle && m_pHandle->FindColumn(field) >= 0;
}
