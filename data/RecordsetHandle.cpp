#include "data/RecordsetHandle.h"

#include <sqlite3.h>
#include <strings.h>

CRecordsetHandle::~CRecordsetHandle() {
    if (m_pStmt)
        sqlite3_finalize(m_pStmt);
}

int CRecordsetHandle::FindColumn(const char* name) const {
    if (!name)
        return -1;
    for (size_t i = 0; i < m_arrColumns.size(); ++i)
        if (strcasecmp(m_arrColumns[i].c_str(), name) == 0)
            return static_cast<int>(i);
    return -1;
}
