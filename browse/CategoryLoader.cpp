#include "browse/CategoryLoader.h"

#include "data/DbRecordset.h"

#include <algorithm>

std::vector<CCategoryItem> CCategoryLoader::LoadChildren(int parid) {
    std::vector<CCategoryItem> items;
    m_strFailure.clear();
    m_nFailureCode = 0;
    std::vector<int> path{parid};
    Fill(parid, items, path);
    return items;
}

void CCategoryLoader::Fill(int parid, std::vector<CCategoryItem>& out, std::vector<int>& path) {
    CDbRecordset rs;
    const std::string sql = "select * from " + m_strTable +
                            " where parid=" + std::to_string(parid) + " order by xh DESC";
    if (!rs.Open(&m_db, sql)) {
        if (rs.HasFailed() && m_strFailure.empty()) {
            m_strFailure = rs.GetFailure();
            m_nFailureCode = rs.GetFailureCode();
        }
        return;
    }
    while (!rs.IsEOF()) {
        CCategoryItem item;
        int childs = 0;
        rs.GetString(item.m_strName, "name", -1);
        rs.GetInt(item.m_nId, "id");
        rs.GetInt(childs, "childs");
        rs.MoveNext();
        // Children are read depth first while this recordset stays open.
        const bool cycle = std::find(path.begin(), path.end(), item.m_nId) != path.end();
        if (childs > 0 && !cycle && static_cast<int>(path.size()) <= kMaxDepth) {
            path.push_back(item.m_nId);
            Fill(item.m_nId, item.m_children, path);
            path.pop_back();
        }
        out.push_back(std::move(item));
    }
    if (rs.HasFailed() && m_strFailure.empty()) {
        m_strFailure = rs.GetFailure();
        m_nFailureCode = rs.GetFailureCode();
    }
    rs.Close();
}
