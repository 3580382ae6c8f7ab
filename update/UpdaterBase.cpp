#include "update/UpdaterBase.h"

#include "data/CollectionFile.h"
#include "data/JetSql.h"
#include "ground/EditionConfig.h"
#include "ground/SyncEvent.h"
#include "update/UpdateProgressSink.h"

#include <cctype>
#include <climits>
#include <sqlite3.h>
#include <thread>

namespace {
// A batch is committed after this many records or this much time, whichever comes first.
constexpr int kBatchRecords = 500;
constexpr auto kBatchTime = std::chrono::milliseconds(500);
// While another program holds the write lock, each attempt waits this long, so that a stop
// is taken at once.
constexpr int kLockAttemptMilliseconds = 200;
// The connection's usual wait for a lock held for a moment.
constexpr int kBusyTimeoutMilliseconds = 10000;

const char* const kWriteFailedText =
    "数据库写入失败，本次更新未完成；已写入的记录保留，下次更新会补齐其余记录。";
} // namespace

CUpdaterBase::CUpdaterBase() {
    m_db.Connect(GetConnectionString().c_str(), 0);
}

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

bool CUpdaterBase::BeginRecord() {
    if (m_bBroken)
        return false;
    if (m_bInBatch)
        return true;
    if (!m_db.IsOpen()) {
        Fail(kWriteFailedText);
        return false;
    }
    // Every record is written inside a batch: a statement outside one would be stored for
    // good while the records before it in the same batch are not.
    sqlite3* handle = m_db.GetConnectionHandle();
    sqlite3_busy_timeout(handle, kLockAttemptMilliseconds);
    bool begun = m_db.BeginTrans() != 0;
    if (!begun && (sqlite3_errcode(handle) & 0xFF) == SQLITE_BUSY)
        begun = WaitForWriteLock();
    sqlite3_busy_timeout(handle, kBusyTimeoutMilliseconds);
    if (!begun) {
        if (!m_bBroken) {
            std::string text = sqlite3_errmsg(handle);
            Fail(text + "\n" + kWriteFailedText);
        }
        return false;
    }
    m_bInBatch = true;
    m_nBatched = 0;
    m_batchStart = std::chrono::steady_clock::now();
    return true;
}

bool CUpdaterBase::WaitForWriteLock() {
    const auto deadline = std::chrono::steady_clock::now() + m_lockWait;
    const int seconds =
        static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(m_lockWait).count());
    if (m_hNotifyWnd)
        m_hNotifyWnd->PostStatus("数据库正被其他程序写入，正在等待（最多 " +
                                 std::to_string(seconds) + " 秒）...");
    sqlite3* handle = m_db.GetConnectionHandle();
    for (;;) {
        if (m_pStopEvent && m_pStopEvent->IsSet()) {
            Fail("");
            return false;
        }
        if (m_db.BeginTrans())
            break;
        if ((sqlite3_errcode(handle) & 0xFF) != SQLITE_BUSY)
            return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            Fail("数据库被其他程序占用，等待 " + std::to_string(seconds) +
                 " 秒后仍无法写入，本次更新未完成。请关闭正在写入 " + GetCollectionFile() +
                 " 的程序后再更新。");
            return false;
        }
    }
    if (m_hNotifyWnd)
        m_hNotifyWnd->PostStatus("");
    return true;
}

void CUpdaterBase::EndRecord() {
    if (!m_bInBatch)
        return;
    if (!m_db.InTransaction()) {
        // The database rolled the batch back on an error (disk full, I/O error, ...).
        m_bInBatch = false;
        Fail(kWriteFailedText);
        return;
    }
    if (m_bWholeStampGroups)
        return;
    if (++m_nBatched >= kBatchRecords ||
        std::chrono::steady_clock::now() - m_batchStart >= kBatchTime)
        CommitBatch();
}

void CUpdaterBase::FailWrite() {
    Fail(kWriteFailedText);
}

bool CUpdaterBase::IsRefusedDate(const std::string& text) {
    std::string canonical;
    return !text.empty() && !CJetSql::CanonicalDate(text, canonical);
}

bool CUpdaterBase::SkipRefusedRecord(bool refusedDate) {
    if (m_db.InTransaction() &&
        (refusedDate || (sqlite3_errcode(m_db.GetConnectionHandle()) & 0xFF) == SQLITE_CONSTRAINT))
        return true;
    FailWrite();
    return false;
}

void CUpdaterBase::Fail(const std::string& text) {
    if (!m_bBroken)
        m_strFailure = text;
    m_bBroken = true;
    RollbackBatch();
    if (m_db.InTransaction())
        m_db.RollbackTrans();
}

void CUpdaterBase::CommitBatch() {
    if (!m_bInBatch)
        return;
    m_bInBatch = false;
    if (!m_db.InTransaction()) {
        Fail(kWriteFailedText);
        return;
    }
    if (!m_db.CommitTrans()) {
        m_db.ReportErrors(CDbConnection::ErrExecute);
        m_db.RollbackTrans();
        Fail(kWriteFailedText);
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
    if (m_bBroken || (m_bWholeStampGroups && !m_bReplyEnded))
        RollbackBatch();
    else
        CommitBatch();
    m_bReplyEnded = false;
}

void CUpdaterBase::NoteReplacedBytes(size_t count, const std::string& charset) {
    if (m_strTag == "0")
        return; // an element line, which is ignored
    m_nRecordReplaced += count;
    m_strReplacedCharset = charset;
    if (!IsTextField(m_strTag))
        m_bKeyReplaced = true;
}

std::string CUpdaterBase::RecordName(const char* kind, const std::string& id,
                                     const std::string& title) {
    std::string name = theUpdateEditionConfig.GetEdition() == 0 ? "" : "英文版";
    name += kind;
    name += " " + id;
    if (!title.empty())
        name += "「" + title + "」";
    return name;
}

bool CUpdaterBase::CheckReplaced(const std::string& what) {
    if (!m_bKeyReplaced)
        return true;
    Fail("服务器的答复中，" + what + " 的编号、日期或时间含有不属于 " + m_strReplacedCharset +
         " 字符集的字节，无法保存；本次更新未完成。");
    return false;
}

void CUpdaterBase::NoteWrittenRecord(const std::string& what) {
    if (m_nRecordReplaced == 0)
        return;
    m_replacedRecords.push_back(what + "：" + std::to_string(m_nRecordReplaced) + " 个字节");
    ResetReplaced();
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
        if (line == "</tree>") {
            MergeRecord();
            ResetReplaced();
        }
        return;
    }
    if (line == "<tree>") {
        ClearRecord();
        ResetReplaced();
        m_strTag = "0";
        return;
    }
    if (line.front() == '<') {
        const std::string name = line.substr(1, line.size() - 2);
        if (Field(name))
            m_strTag = name;
    }
}
