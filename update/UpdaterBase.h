#pragma once

#include "data/DbConnection.h"

#include <chrono>
#include <string>
#include <vector>

class CSyncEvent;
class CUpdateProgressSink;

// The common base of the three updaters: the reply sink that FetchReply feeds, the
// progress report, the updater's own database connection and the batching of its writes.
//
// Writes are committed in batches; a batch never spans two editions and is committed at
// the end of every reply, so what was merged before a failure or a stop stays. A killed
// process loses at most the open batch, and the newest stored stamps never run ahead of
// what is stored, so the next run asks for the lost records again.
//
// A record that cannot be written (a refused statement, a full disk, a write lock that
// another program keeps) ends the merge: the open batch is rolled back and the reply goes
// no further, so no stamp moves past the lost record and the next run brings it again.
class CUpdaterBase {
public:
    CUpdaterBase();
    virtual ~CUpdaterBase();
    CUpdaterBase(const CUpdaterBase&) = delete;
    CUpdaterBase& operator=(const CUpdaterBase&) = delete;

    void SetNotifyWindow(CUpdateProgressSink* sink) { m_hNotifyWnd = sink; }
    // The run's stop event, which ends a wait for the write lock.
    void SetStopEvent(CSyncEvent* stopEvent) { m_pStopEvent = stopEvent; }
    // How long a batch waits for the write lock that another connection holds.
    void SetLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }

    // The decimal value of the line: optional leading white space and sign, then the
    // leading digits; 0 without digits.
    virtual void SetHeaderCount(const std::string& line);
    // Whether the reply header carries a stamp line after the count (categories).
    virtual bool HasHeaderStamp() const { return false; }
    virtual void SetHeaderStamp(const std::string& /*line*/) {}
    virtual void FeedLine(const std::string& line) = 0;
    // The reply ended normally (only the category stream acts on it).
    virtual void FinishReply() {}
    // Called by the reader before FinishReply when the reply ended normally.
    void ReplyEnded() { m_bReplyEnded = true; }
    // The reply of the edition is over, however it ended: commits what was merged (but see
    // m_bWholeStampGroups).
    void EndEdition();

    // True once a record could not be written and the open batch has been thrown away; the
    // reply must not go on, or later records would move the stored stamps past the lost
    // ones, and the stage fails.
    bool IsBroken() const { return m_bBroken; }
    // What to tell the user about it ("" when nothing more is to be said, e.g. after a stop).
    const std::string& FailureText() const { return m_strFailure; }
    // Ends the merge of the stage: rolls the open batch back and marks the updater broken.
    void Fail(const std::string& text);
    // True when a record has grown beyond what any law can hold (a field of many lines);
    // the reply ends with a format error instead of exhausting the memory.
    bool IsOverlong() const { return m_bOverlong; }

    // A reply of this updater was broken off by the transport while it was read (for any
    // edition of the stage). Its records only arrive with the next run, so a later stage of
    // this run must not go on from them: links to categories or laws still missing would be
    // skipped and, with the link stamp moving on, never asked for again.
    void SetReplyBrokenOff() { m_bReplyBrokenOff = true; }
    bool WasReplyBrokenOff() const { return m_bReplyBrokenOff; }

    // `count` bytes of the value line about to be fed were invalid in the reply's charset and
    // have become U+FFFD.
    void NoteReplacedBytes(size_t count, const std::string& charset);
    // The records merged with replaced bytes, one text each naming the record and the count.
    const std::vector<std::string>& ReplacedRecords() const { return m_replacedRecords; }

    int GetTotal() const { return m_nTotal; }
    int GetCount() const { return m_nCount; }
    CDbConnection& Connection() { return m_db; }

    // Decimal value of a text as SetHeaderCount reads it.
    static int ParseLeadingInt(const std::string& text);

protected:
    // For an updater that only reads replies (tests of the reply grammar): no database.
    struct NoDatabase {};
    explicit CUpdaterBase(NoDatabase) {}

    // The closing-style record grammar (laws and links): a line is an element line outside
    // any element or when it ends in ">"; any closing element ends the current field and
    // "</tree>" merges the record; "<tree>" starts a new one; an opening element of a field
    // of the stream selects that field; value lines go to StoreValue.
    void FeedClosingStyleLine(const std::string& line);
    // The field text of an element name, nullptr when the stream has no such field.
    virtual std::string* Field(const std::string& /*tag*/) { return nullptr; }
    // A value line for the field m_strTag names; the line replaces the field text.
    virtual void StoreValue(const std::string& line);
    virtual void ClearRecord() {}
    virtual void MergeRecord() {}

    // Whether replaced bytes may stand in the field's text: true for texts people read, false
    // for the fields that name or stamp a record (a server id or a date stored with U+FFFD
    // would make the record unknown to the server or move the stamps past it).
    virtual bool IsTextField(const std::string& /*tag*/) const { return false; }
    // A new record begins: forgets the replaced bytes of the last one.
    void ResetReplaced() {
        m_nRecordReplaced = 0;
        m_bKeyReplaced = false;
    }
    // Before a record's statements: false when a field that names or stamps the record holds
    // replaced bytes; the stage then fails at this record (`what` names it).
    bool CheckReplaced(const std::string& what);
    // After the record has been written: names it in the run's warning when bytes of it were
    // replaced.
    void NoteWrittenRecord(const std::string& what);
    // "分类" and the like with the edition: how a record is named to the user.
    static std::string RecordName(const char* kind, const std::string& id,
                                  const std::string& title);

    // Before a record's statements: opens a batch when none is open, waiting for the write
    // lock when another connection holds it. False when the record must not be merged (the
    // updater is broken).
    bool BeginRecord();
    // After a record's statements: notices a batch the database threw away, and commits the
    // batch when it is large or old enough.
    void EndRecord();
    // A statement of the record failed (its box has been shown): the merge ends here.
    void FailWrite();
    // After a failed statement of a record: values that the database refuses (a date that is
    // no date, `refusedDate`, or a value a constraint of the table refuses) are refused on
    // every run, so that record alone is skipped and the merge goes on (true); any other
    // failure ends the merge (FailWrite, false).
    bool SkipRefusedRecord(bool refusedDate);
    // Whether the database refuses the text as a date (an empty text is NULL, not refused).
    static bool IsRefusedDate(const std::string& text);
    void CommitBatch();
    void RollbackBatch();
    void Post(int message);

    // A stream whose requests go on from the newest stored stamp alone (the links) must not
    // store part of a group of records with one stamp: the rest of the group would never be
    // asked for again. With this set, a batch is committed only when the stamp changes or
    // the reply has ended normally; a reply that breaks off drops its unfinished group,
    // which the next run then brings again.
    bool m_bWholeStampGroups = false;
    bool m_bOverlong = false;

    CDbConnection m_db;
    CUpdateProgressSink* m_hNotifyWnd = nullptr;
    std::string m_strTag = "0";
    int m_nTotal = 0;
    int m_nCount = 0;

private:
    bool WaitForWriteLock();

    CSyncEvent* m_pStopEvent = nullptr;
    std::chrono::milliseconds m_lockWait{std::chrono::seconds(60)};
    std::string m_strFailure;
    std::vector<std::string> m_replacedRecords;
    std::string m_strReplacedCharset;
    size_t m_nRecordReplaced = 0;
    bool m_bKeyReplaced = false;
    bool m_bInBatch = false;
    bool m_bReplyEnded = false;
    bool m_bBroken = false;
    bool m_bReplyBrokenOff = false;
    int m_nBatched = 0;
    std::chrono::steady_clock::time_point m_batchStart;
};
