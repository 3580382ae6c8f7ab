#include "update/UpdaterBase.h"

#include "app/AppConstants.h"
#include "update/UpdateProgressSink.h"

#include <cctype>
#include <climits>

namespace {
// A batch is committed after this many records or this much time, whichever comes first.
constexpr int kBatchRecords = 500;
constexpr auto kBatchTime = std::chrono::milliseconds(500);
} // namespace

CUpdaterBase::CUpdaterBase() { m_db.Connect(kConnectionString, 0); }

CUpdaterBase::~CUpdaterBase() {
    EndEdition();
}

int CUpdaterBase::ParseLeadingInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX; // a count beyond the integer range is clamped, never wrapped
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

void CUpdaterBase::SetHeaderCount(const std::string& line) {
    m_nTotal = ParseLeadingInt(line);
}

void CUpdaterBase::BeginRecord() {
    if (m_bInBatch || !m_db.IsOpen())
        return;
    // When no transaction can be had (another writer holds the file for long), every
    // statement commits on its own.
    if (m_db.BeginTrans()) {
        m_bInBatch = true;
        m_nBatched = 0;
        m_batchStart = std::chrono::steady_clock::now();
    }
}

void CUpdaterBase::EndRecord() {
    if (!m_bInBatch)
        return;
    if (!m_db.InTransaction()) {
        // The database rolled the batch back on an error (disk full, I/O error, ...).
        m_bInBatch = false;
        m_bBroken = true;
        return;
    }
    if (m_bWholeStampGroups)
        return;
    if (++m_nBatched >= kBatchRecords ||
        std::chrono::steady_clock::now() - m_batchStart >= kBatchTime)
        CommitBatch();
}

void CUpdaterBase::CommitBatch() {
    if (!m_bInBatch)
        return;
    m_bInBatch = false;
    if (!m_db.InTransaction()) {
        m_bBroken = true;
        return;
    }
    if (!m_db.CommitTrans()) {
        m_db.ReportErrors(CDbConnection::ErrExecute);
        m_db.RollbackTrans();
        m_bBroken = true;
    }
}

void CUpdaterBase::RollbackBatch() {
    if (!m_bInBatch)
        return;
    m_bInBatch = false;
    if (m_db.InTransaction())
        m_db.RollbackTrans();
}

void CUpdaterBase::EndEdition() {
    if (m_bWholeStampGroups && !m_bReplyEnded)
        RollbackBatch();
    else
        CommitBatch();
    m_bReplyEnded = false;
}

void CUpdaterBase::Post(int message) {
    if (m_hNotifyWnd)
        m_hNotifyWnd->PostProgress(message, m_nTotal, m_nCount);
}

void CUpdaterBase::StoreValue(const std::string& line) {
    if (std::string* field = Field(m_strTag))
        *field = line;
}

void CUpdaterBase::FeedClosingStyleLine(const std::string& line) {
    const bool element = m_strTag == "0" || (!line.empty() && line.back() == '>');
    if (!element) {
        StoreValue(line);
        return;
    }
    if (line.size() < 3 || line.back() != '>')
        return;
    if (line[0] == '<' && line[1] == '/') {
        m_strTag = "0";
        if (line == "</tree>")
            MergeRecord();
        return;
    }
    if (line == "<tree>") {
        ClearRecord();
        m_strTag = "0";
        return;
    }
    if (line.front() == '<') {
        const std::string name = line.substr(1, line.size() - 2);
        if (Field(name))
            m_strTag = name;
    }
}
