#include "data/TreeNode.h"

#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/SqlInsert.h"
#include "data/SqlStatement.h"
#include "data/SqlUpdate.h"
#include "data/TreeLevels.h"

int CTreeNode::LevelOf(int id) {
    if (id <= 0)
        return 0;
    if (id % g_treeLevels[1].nStep == 0)
        return 1;
    if (id % g_treeLevels[2].nStep == 0)
        return 2;
    if (id % g_treeLevels[3].nStep == 0)
        return 3;
    if (id % g_treeLevels[4].nStep == 0)
        return 4;
    return 5;
}

void CTreeNode::SetNodeId(int id) {
    m_nNodeId = id;
    m_nLevel = LevelOf(id);
}

int CTreeNode::GetRangeEnd() const {
    // Computed wide: a negative id counts as the root and must not overflow.
    const long long end = static_cast<long long>(m_nNodeId) + g_treeLevels[m_nLevel].nStep;
    return static_cast<int>(end);
}

int CTreeNode::FindFreeChildId() {
    if (m_nLevel < 0 || m_nLevel >= 5)
        return -1;
    const TreeLevel& row = g_treeLevels[m_nLevel + 1];
    CDbRecordset rs;
    const std::string sql = "select id from " + m_strTable +
                            " where parid=" + std::to_string(m_nNodeId) + " order by id ASC";
    if (!m_pConnection || !rs.Open(m_pConnection, sql))
        return 0;
    long long candidate = m_nNodeId;
    for (int k = 1; k <= row.nSlots; ++k) {
        candidate += row.nStep;
        int id = 0;
        if (rs.IsEOF() || (rs.GetInt(id, "id"), id != candidate))
            // The end of the rows is a free slot; a failed read is not.
            return rs.HasFailed() ? 0 : static_cast<int>(candidate);
        rs.MoveNext();
    }
    return -1;
}

bool CTreeNode::ExistsByOldId(const std::string& oldid) {
    std::string sql = "select id from " + m_strTable + " where oldid=";
    QuoteText(sql, oldid);
    CDbRecordset rs;
    return m_pConnection && rs.Open(m_pConnection, sql) && !rs.IsEOF();
}

int CTreeNode::WriteChild(const std::string& name, int xh, const std::string& oldid,
                          const std::string& /*stamp*/) {
    if (!m_pConnection)
        return -1;
    std::string sql = "select id from " + m_strTable + " where oldid=";
    QuoteText(sql, oldid);
    CDbRecordset rs;
    if (!rs.Open(m_pConnection, sql))
        return -1;
    const bool exists = !rs.IsEOF();
    rs.Close();
    if (exists) {
        // A known category keeps its id and parent; only its texts change. No free slot is
        // needed for that.
        CSqlUpdate update;
        update.SetTable(m_strTable.c_str());
        update.AddValue("name", name);
        update.AddValue("xh", xh);
        update.AddValue("updatetime", "");
        update.AddCondition(nullptr, "oldid", "=", oldid);
        return m_pConnection->Execute(update.Build().c_str()) ? 1 : -1;
    }
    const int id = FindFreeChildId();
    if (id == 0)
        return -1;
    if (id < 0)
        return 0;
    CSqlInsert insert;
    insert.SetTable(m_strTable.c_str());
    insert.AddValue("id", id);
    insert.AddValue("parid", m_nNodeId);
    insert.AddValue("oldid", oldid);
    insert.AddValue("name", name);
    insert.AddValue("xh", xh);
    insert.AddValue("updatetime", "");
    if (!m_pConnection->Execute(insert.Build().c_str()))
        return -1;
    if (m_nNodeId != 0) {
        const std::string raise =
            "update " + m_strTable + " set childs=childs+1 where id=" + std::to_string(m_nNodeId);
        if (!m_pConnection->Execute(raise.c_str()))
            return -1;
    }
    return 1;
}
