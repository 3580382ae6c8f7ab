#include "update/TreeUpdater.h"

#include "data/DbRecordset.h"
#include "data/SqlStatement.h"
#include "ground/EditionConfig.h"
#include "update/UpdateProgressSink.h"

CTreeUpdater::CTreeUpdater() {
    m_node.SetConnection(&m_db);
}

void CTreeUpdater::BeginEdition() {
    m_node.SetTable(theUpdateEditionConfig.GetTreeTable());
    m_nCount = 0;
    m_strStamp.clear();
    m_strTag = "0";
    ClearRecord();
}

std::string CTreeUpdater::GetNewestStamp() {
    m_strNewestOldId.clear();
    CDbRecordset rs;
    const std::string sql = std::string("select top 1 updatetime,oldid,id from ") +
                            theUpdateEditionConfig.GetTreeTable() +
                            " order by updatetime DESC,id DESC";
    std::string stamp;
    if (rs.Open(&m_db, sql) && !rs.IsEOF()) {
        rs.GetString(stamp, "updatetime", 19);
        rs.GetString(m_strNewestOldId, "oldid", -1);
    }
    return stamp;
}

void CTreeUpdater::ClearRecord() {
    m_strUpdateTime.clear();
    m_strName.clear();
    m_strXh.clear();
    m_strParId.clear();
    m_strId.clear();
}

std::string* CTreeUpdater::Field(const std::string& tag) {
    if (tag == "id")
        return &m_strId;
    if (tag == "name")
        return &m_strName;
    if (tag == "parid")
        return &m_strParId;
    if (tag == "xh")
        return &m_strXh;
    if (tag == "updatetime")
        return &m_strUpdateTime;
    return nullptr;
}

void CTreeUpdater::FeedLine(const std::string& line) {
    // Opening style: a line is an element line outside any element or when it begins with "<".
    const bool element = m_strTag == "0" || (!line.empty() && line.front() == '<');
    if (!element) {
        if (std::string* field = Field(m_strTag))
            *field = line;
        return;
    }
    if (line == "<tree>") {
        ClearRecord();
        ResetReplaced();
        m_strTag = "0";
    } else if (line == "</tree>") {
        MergeRecord();
        ClearRecord();
        ResetReplaced();
        m_strTag = "0";
    } else if (line.size() > 2 && line.front() == '<' && line.back() == '>') {
        const bool closing = line[1] == '/';
        const std::string name = line.substr(closing ? 2 : 1, line.size() - (closing ? 3 : 2));
        if (Field(name))
            m_strTag = closing ? "0" : name;
    }
}

void CTreeUpdater::MergeRecord() {
    const std::string name = RecordName("分类", m_strId, m_strName);
    if (!CheckReplaced(name) || !BeginRecord())
        return;
    int parent = 0;
    if (!m_strParId.empty()) {
        std::string sql = std::string("select id from ") + theUpdateEditionConfig.GetTreeTable() +
                          " where oldid=";
        QuoteText(sql, m_strParId);
        CDbRecordset rs;
        if (!rs.Open(&m_db, sql)) {
            // Filed at the top level instead, the category would stay there for good.
            m_db.ReportErrors(CDbConnection::ErrExecute);
            FailWrite();
            return;
        }
        if (!rs.IsEOF())
            rs.GetInt(parent, "id");
    }
    m_node.SetNodeId(parent);
    if (m_node.WriteChild(m_strName, ParseLeadingInt(m_strXh), m_strId, m_strUpdateTime) < 0 &&
        !SkipRefusedRecord(false))
        return;
    EndRecord();
    if (IsBroken())
        return;
    ++m_nCount;
    Post(UpdateMsg::kTreeProgress);
    NoteWrittenRecord(name);
}

void CTreeUpdater::FinishReply() {
    if (m_strStamp.empty() || !BeginRecord())
        return;
    std::string sql =
        std::string("update ") + theUpdateEditionConfig.GetTreeTable() + " set updatetime=";
    QuoteText(sql, m_strStamp);
    sql += " where updatetime is null";
    // A stamp the table refuses leaves the rows without one: they are asked for again.
    if (!m_db.Execute(sql.c_str()) && !SkipRefusedRecord(IsRefusedDate(m_strStamp)))
        return;
    EndRecord();
}
