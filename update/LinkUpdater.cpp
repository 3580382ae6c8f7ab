#include "update/LinkUpdater.h"

#include "data/DbRecordset.h"
#include "data/SqlInsert.h"
#include "data/SqlSelect.h"
#include "data/SqlUpdate.h"
#include "ground/EditionConfig.h"
#include "update/UpdateProgressSink.h"

namespace {

// False when the table could not be read to its end.
bool LoadMap(CDbConnection& db, const std::string& sql, const char* idColumn,
             std::map<std::string, int>& map) {
    CDbRecordset rs;
    if (!rs.Open(&db, sql))
        return false;
    while (!rs.IsEOF()) {
        std::string oldid;
        int id = 0;
        rs.GetString(oldid, "oldid", -1);
        rs.GetInt(id, idColumn);
        // A row without a server id cannot be named by a server link.
        if (!oldid.empty())
            map[oldid] = id;
        rs.MoveNext();
    }
    return !rs.HasFailed();
}

} // namespace

void CLinkUpdater::BeginEdition() {
    LoadIdMaps();
    m_nCount = 0;
    m_strTag = "0";
    m_strGroupStamp.clear();
}

void CLinkUpdater::LoadIdMaps() {
    // Emptied first: an English link must never be translated through a Chinese row.
    m_mapTreeIds.clear();
    m_mapLawIds.clear();
    // Without a whole map the links of the missing rows would be skipped while the link
    // stamp moves on past them: the merge cannot start.
    if (!LoadMap(m_db, std::string("select oldid,id from ") + theUpdateEditionConfig.GetTreeTable(),
                 "id", m_mapTreeIds) ||
        !LoadMap(m_db,
                 std::string("select oldid,lawid from ") + theUpdateEditionConfig.GetLawTable(),
                 "lawid", m_mapLawIds)) {
        m_db.ReportErrors(CDbConnection::ErrExecute);
        FailWrite();
    }
}

std::string CLinkUpdater::GetNewestStamp() {
    CDbRecordset rs;
    const std::string sql = std::string("select top 1 updatetime from ") +
                            theUpdateEditionConfig.GetLinkTable() + " order by updatetime DESC";
    std::string stamp;
    if (rs.Open(&m_db, sql) && !rs.IsEOF())
        rs.GetString(stamp, "updatetime", 19);
    return stamp;
}

std::string* CLinkUpdater::Field(const std::string& tag) {
    if (tag == "lawid")
        return &m_strLawId;
    if (tag == "treeid")
        return &m_strTreeId;
    if (tag == "updatetime")
        return &m_strUpdateTime;
    return nullptr;
}

void CLinkUpdater::FeedLine(const std::string& line) {
    FeedClosingStyleLine(line);
}

void CLinkUpdater::ClearRecord() {
    m_strUpdateTime.clear();
    m_strLawId.clear();
    m_strTreeId.clear();
}

void CLinkUpdater::MergeRecord() {
    const auto law = m_mapLawIds.find(m_strLawId);
    const auto tree = m_mapTreeIds.find(m_strTreeId);
    const int lawId = law == m_mapLawIds.end() ? 0 : law->second;
    const int treeId = tree == m_mapTreeIds.end() ? 0 : tree->second;
    ++m_nCount;
    // Every field of a link names or stamps it: one with replaced bytes cannot be filed.
    if (!CheckReplaced(RecordName("分类链接", m_strLawId + "/" + m_strTreeId, "")))
        return;
    if (lawId == 0 || treeId == 0)
        return;
    const char* table = theUpdateEditionConfig.GetLinkTable();

    // The records of the stamps before this one are complete: they may be stored for good.
    if (m_strUpdateTime != m_strGroupStamp) {
        CommitBatch();
        m_strGroupStamp = m_strUpdateTime;
    }
    if (!BeginRecord())
        return;
    CSqlSelect select;
    select.AddColumn("lawid");
    select.SetTable(table);
    select.AddCondition(nullptr, "treeid", "=", treeId);
    select.AddCondition(" and ", "lawid", "=", lawId);
    CDbRecordset rs;
    if (!rs.Open(&m_db, select.Build())) {
        m_db.ReportErrors(CDbConnection::ErrExecute);
        FailWrite();
        return;
    }
    const bool exists = !rs.IsEOF();
    rs.Close();
    bool written = false;
    if (exists) {
        CSqlUpdate update;
        update.SetTable(table);
        update.AddValue("updatetime", m_strUpdateTime);
        update.AddCondition(nullptr, "treeid", "=", treeId);
        update.AddCondition(" and ", "lawid", "=", lawId);
        written = m_db.Execute(update.Build().c_str()) != 0;
    } else {
        CSqlInsert insert;
        insert.SetTable(table);
        insert.AddValue("lawid", lawId);
        insert.AddValue("treeid", treeId);
        insert.AddValue("updatetime", m_strUpdateTime);
        written = m_db.Execute(insert.Build().c_str()) != 0;
    }
    if (!written && !SkipRefusedRecord(IsRefusedDate(m_strUpdateTime)))
        return;
    EndRecord();
    if (IsBroken())
        return;
    Post(UpdateMsg::kLinkProgress);
}
