#include "data/DbRecordset.h"

#include "app/TextUtil.h"
#include "data/DbConnection.h"
#include "data/RecordsetHandle.h"

#include <sqlite3.h>

CDbRecordset::CDbRecordset() = default;

CDbRecordset::~CDbRecordset() { Close(); }

int CDbRecordset::Open(CDbConnection* connection, const std::string& sql) {
    Close();
    if (!connection)
        return 0;
    std::unique_ptr<CRecordsetHandle> holder;
    if (!connection->OpenRecordset(sql, holder, std::string()))
        return 0;
    m_pHandle = std::move(holder);
    m_reader.Bind(m_pHandle.get(), connection);
    return 1;
}

void CDbRecordset::Close() {
    m_reader.Bind(nullptr, nullptr);
    m_pHandle.reset();
}

bool CDbRecordset::HasFailed() const { return m_pHandle && !m_pHandle->m_strError.empty(); }

int CDbRecordset::IsEOF() const { return (!m_pHandle || m_pHandle->m_bEOF) ? -1 : 0; }

void CDbRecordset::MoveNext() {
    if (!m_pHandle || m_pHandle->m_bEOF)
        return;
    const int rc = sqlite3_step(m_pHandle->m_pStmt);
    if (rc == SQLITE_ROW)
        return;
    if (rc != SQLITE_DONE)
        m_pHandle->m_strError = sqlite3_errmsg(m_pHandle->m_pDb);
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

int CDbRecordset::GetInt(int& out, const char* field) { return m_reader.GetInt(out, field); }
