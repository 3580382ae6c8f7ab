#pragma once

#include <QObject>

#include <atomic>
#include <thread>

class QStatusBar;
struct sqlite3;

// Indexes a collection that has no full-text index yet, or one made by an earlier version
// (CSearchIndex::IsOutdated), once, in the background: a thread of its own with a connection
// of its own adds the laws in steps of one transaction each and reports its progress in the
// status bar; then the citations between the laws (CCitationTable) the same way. Searches stay
// correct meanwhile (the index covers the laws up to its mark, the rest is searched as before); a
// build that cannot go on (the file is read-only, a write holds it too long) goes on at the next
// start.
class CSearchIndexBuilder : public QObject {
    Q_OBJECT
public:
    CSearchIndexBuilder(QStatusBar* statusBar, QObject* parent = nullptr);
    ~CSearchIndexBuilder() override;
    CSearchIndexBuilder(const CSearchIndexBuilder&) = delete;
    CSearchIndexBuilder& operator=(const CSearchIndexBuilder&) = delete;

    // Starts the build when an edition's index is missing or incomplete.
    void Start();
    bool IsRunning() const { return m_bRunning.load(); }

signals:
    // An edition's index was completed.
    void indexCompleted();
    // The citations were built or brought up to date (CCitationTable).
    void citationsCompleted();

private:
    void Run();
    void Report(long long done, long long total);
    // Builds the citation tables that are missing or incomplete, after the index.
    void BuildCitations(sqlite3* handle);
    void ReportCitations(long long done, long long total);

    QStatusBar* m_pStatusBar;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bRunning{false};
};
