#include "browse/LawRowFill.h"

#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/SearchIndex.h"
#include "data/SqlStatement.h"

#include <algorithm>
#include <unordered_map>

bool CLawRowFill::Fill(CDbConnection& db, const std::string& lawTable,
                       const std::vector<CLawRow*>& rows) {
    bool read = true;
    // The law table's index by lawid with the list's columns, where the collection has it:
    // the rows that hold the texts are not read.
    const std::string table =
        CSearchIndex::HasListByIdIndex(db.GetConnectionHandle(), lawTable)
            ? lawTable + " indexed by " + CSearchIndex::ListByIdIndex(lawTable)
            : lawTable;
    // Many rows (a sort of a long list): one pass over the laws from the lowest lawid to the
    // highest costs less than looking each up.
    if (rows.size() > kOnePassFrom) {
        std::vector<CLawRow*> sorted(rows);
        std::sort(sorted.begin(), sorted.end(),
                  [](const CLawRow* a, const CLawRow* b) { return a->m_nLawId < b->m_nLawId; });
        for (CLawRow* row : sorted)
            row->m_bPending = false;
        CDbRecordset rs;
        if (!rs.Open(&db, "select lawid,topic,wenhao,bumen from " + table +
                              " where lawid>=" + std::to_string(sorted.front()->m_nLawId) +
                              " and lawid<=" + std::to_string(sorted.back()->m_nLawId) +
                              " order by lawid"))
            return false;
        size_t at = 0;
        for (; !rs.IsEOF() && at < sorted.size(); rs.MoveNext()) {
            int lawid = 0;
            rs.GetInt(lawid, "lawid");
            while (at < sorted.size() && sorted[at]->m_nLawId < lawid)
                ++at;
            // A law listed twice gets its columns in each row.
            for (; at < sorted.size() && sorted[at]->m_nLawId == lawid; ++at) {
                CLawRow& row = *sorted[at];
                rs.GetString(row.m_strTopic, "topic", -1);
                rs.GetString(row.m_strWenhao, "wenhao", -1);
                rs.GetString(row.m_strBumen, "bumen", -1);
            }
        }
        return !rs.HasFailed();
    }
    for (size_t from = 0; from < rows.size(); from += kLawsPerStatement) {
        const size_t to = std::min(rows.size(), from + kLawsPerStatement);
        // A law listed twice gets its columns in each row.
        std::unordered_map<int, std::vector<CLawRow*>> byLaw;
        std::vector<int> lawids;
        for (size_t k = from; k < to; ++k) {
            rows[k]->m_bPending = false;
            std::vector<CLawRow*>& same = byLaw[rows[k]->m_nLawId];
            if (same.empty())
                lawids.push_back(rows[k]->m_nLawId);
            same.push_back(rows[k]);
        }
        CDbRecordset rs;
        if (!rs.Open(&db, "select lawid,topic,wenhao,bumen from " + table + " where " +
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
            for (CLawRow* row : found->second) {
                rs.GetString(row->m_strTopic, "topic", -1);
                rs.GetString(row->m_strWenhao, "wenhao", -1);
                rs.GetString(row->m_strBumen, "bumen", -1);
            }
        }
        read = read && !rs.HasFailed();
    }
    return read;
}
