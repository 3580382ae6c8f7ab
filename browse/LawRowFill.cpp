#include "browse/LawRowFill.h"

#include "data/DbRecordset.h"
#include "data/SqlStatement.h"

#include <algorithm>
#include <unordered_map>

bool CLawRowFill::Fill(CDbConnection& db, const std::string& lawTable,
                       const std::vector<CLawRow*>& rows) {
    bool read = true;
    for (size_t from = 0; from < rows.size(); from += kLawsPerStatement) {
        const size_t to = std::min(rows.size(), from + kLawsPerStatement);
        std::unordered_map<int, CLawRow*> byLaw;
        std::vector<int> lawids;
        for (size_t k = from; k < to; ++k) {
            rows[k]->m_bPending = false;
            if (byLaw.emplace(rows[k]->m_nLawId, rows[k]).second)
                lawids.push_back(rows[k]->m_nLawId);
        }
        CDbRecordset rs;
        if (!rs.Open(&db, "select lawid,topic,wenhao,bumen from " + lawTable + " where " +
                              InCondition("lawid", lawids))) {
            read = false;
            continue;
        }
        for (; !rs.IsEOF(); rs.MoveNext()) {
            int lawid = 0;
            rs.GetInt(lawid, "lawid");
            const auto found = byLaw.find(lawid);
            if (found == byLaw.end())
                continue;
            CLawRow& row = *found->second;
            rs.GetString(row.m_strTopic, "topic", -1);
            rs.GetString(row.m_strWenhao, "wenhao", -1);
            rs.GetString(row.m_strBumen, "bumen", -1);
        }
        read = read && !rs.HasFailed();
    }
    return read;
}
