#include "update/LawUpdater.h"

#include "data/DbRecordset.h"
#include "data/SqlInsert.h"
#include "data/SqlSelect.h"
#include "data/SqlUpdate.h"
#include "ground/EditionConfig.h"
#include "ground/TextUtil.h"
#include "update/UpdateProgressSink.h"

namespace {
// No law text comes near this; a body beyond it is a broken or hostile reply.
constexpr size_t kMaxBody = size_t(256) << 20;
} // namespace

void CLawUpdater::BeginEdition() {
    m_nCount = 0;
    m_strTag = "0";
}

std::string CLawUpdater::GetNewestStamp() {
    m_strNewestOldId.clear();
    CDbRecordset rs;
    const std::string sql = std::string("select top 1 updatetime,oldid,lawid from ") +
                            theUpdateEditionConfig.GetLawTable() +
                            " order by updatetime DESC,lawid DESC";
    std::string stamp;
    if (rs.Open(&m_db, sql) && !rs.IsEOF()) {
        rs.GetString(stamp, "updatetime", 19);
        rs.GetString(m_strNewestOldId, "oldid", -1);
    }
    return stamp;
}

void CLawUpdater::DecodeEntities(std::string& text) {
    ReplaceAll(text, "&rt;", ">");
    ReplaceAll(text, "&amp;", "&");
}

void CLawUpdater::ClearRecord() {
    m_strUpdateTime.clear();
    m_strLawId.clear();
    m_strTopic.clear();
    m_strBumen.clear();
    m_strWenhao.clear();
    m_strDatum.clear();
    m_strBody.clear();
    m_strHangye.clear();
}

std::string* CLawUpdater::Field(const std::string& tag) {
    if (tag == "lawid")
        return &m_strLawId;
    if (tag == "topic")
        return &m_strTopic;
    if (tag == "bumen")
        return &m_strBumen;
    if (tag == "wenhao")
        return &m_strWenhao;
    if (tag == "datum")
        return &m_strDatum;
    if (tag == "body")
        return &m_strBody;
    if (tag == "hangye")
        return &m_strHangye;
    if (tag == "updatetime")
        return &m_strUpdateTime;
    return nullptr;
}

void CLawUpdater::FeedLine(const std::string& line) {
    FeedClosingStyleLine(line);
}

// The title keeps its first line; the body collects all its lines, joined by line feeds.
void CLawUpdater::StoreValue(const std::string& line) {
    if (m_strTag == "topic") {
        if (m_strTopic.empty())
            m_strTopic = line;
    } else if (m_strTag == "body") {
        if (m_strBody.size() + line.size() >= kMaxBody) {
            m_bOverlong = true;
            return;
        }
        if (!m_strBody.empty()) {
            m_strBody += '\n';
            m_strBody += line;
        } else {
            m_strBody = line;
        }
    } else {
        CUpdaterBase::StoreValue(line);
    }
}

void CLawUpdater::MergeRecord() {
    ++m_nCount;
    if (m_strLawId.empty())
        return;
    std::string topic = m_strTopic, bumen = m_strBumen, wenhao = m_strWenhao, body = m_strBody;
    DecodeEntities(topic);
    DecodeEntities(bumen);
    DecodeEntities(wenhao);
    DecodeEntities(body);
    const char* table = theUpdateEditionConfig.GetLawTable();
    const std::string name = RecordName("法规", m_strLawId, topic);
    if (!CheckReplaced(name))
        return;

    if (!BeginRecord())
        return;
    CSqlSelect select;
    select.AddColumn("lawid");
    select.SetTable(table);
    select.AddCondition(nullptr, "oldid", "=", m_strLawId);
    CDbRecordset rs;
    if (!rs.Open(&m_db, select.Build())) {
        // Without the answer the law could be stored twice.
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
        update.AddValue("topic", topic);
        update.AddValue("bumen", bumen);
        update.AddValue("wenhao", wenhao);
        update.AddValue("body", body);
        update.AddValue("datum", m_strDatum);
        update.AddValue("updatetime", m_strUpdateTime);
        update.AddCondition(nullptr, "oldid", "=", m_strLawId);
        written = m_db.Execute(update.Build().c_str()) != 0;
    } else {
        CSqlInsert insert;
        insert.SetTable(table);
        insert.AddValue("topic", topic);
        insert.AddValue("bumen", bumen);
        insert.AddValue("wenhao", wenhao);
        insert.AddValue("body", body);
        insert.AddValue("datum", m_strDatum);
        insert.AddValue("updatetime", m_strUpdateTime);
        insert.AddValue("oldid", m_strLawId);
        written = m_db.Execute(insert.Build().c_str()) != 0;
    }
    if (!written && !SkipRefusedRecord(IsRefusedDate(m_strDatum) || IsRefusedDate(m_strUpdateTime)))
        return;
    EndRecord();
    if (IsBroken())
        return;
    Post(UpdateMsg::kLawProgress);
    NoteWrittenRecord(name);
}

bool CLawUpdater::IsTextField(const std::string& tag) const {
    return tag == "topic" || tag == "bumen" || tag == "wenhao" || tag == "body" || tag == "hangye";
}
