#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <thread>

class QLabel;
class QStatusBar;
struct sqlite3;

// Keeps the collection's full-text index usable, in the background: a thread of its own
// with a connection of its own checks each edition's index when the collection opens
// (CSearchIndex::CheckOnOpen), makes again one that is damaged or made by an earlier version
// (CSearchIndex::IsOutdated), indexes the laws not yet in it in steps of one transaction
// each, and takes in the laws written since by any program. Searches stay correct meanwhile
// (the index covers the laws up to its mark, the rest is searched by the law texts; a
// damaged index is not used at all), and the status bar says so with the build's progress.
// Then the citations between the laws (CCitationTable) the same way.
// A build that cannot go on (the file is read-only, a write holds it too long) goes on at
// the next start.
class CSearchIndexBuilder : public QObject {
    Q_OBJECT
public:
    CSearchIndexBuilder(QStatusBar* statusBar, QObject* parent = nullptr);
    ~CSearchIndexBuilder() override;
    CSearchIndexBuilder(const CSearchIndexBuilder&) = delete;
    CSearchIndexBuilder& operator=(const CSearchIndexBuilder&) = delete;

    // Starts the check and the build, unless they are running.
    void Start();
    // Stops a running build and starts over, for a collection file opened in its place.
    void Restart();
    bool IsRunning() const { return m_bRunning.load(); }
    // The note the status bar shows while searches go without the index or it is built;
    // empty when none.
    QString GetNote() const;

signals:
    // An edition's index was completed.
    void indexCompleted();
    // The citations were built or brought up to date (CCitationTable).
    void citationsCompleted();
    // The check and the build have ended (for now).
    void finished();
    // The note in the status bar changed (empty: none shown).
    void noteChanged(const QString& note);

private:
    void Run();
    // Progress of the build in laws: the note in the status bar (shown while done < total).
    void Report(long long done, long long total);
    // Builds the citation tables that are missing or incomplete, after the index.
    void BuildCitations(sqlite3* handle);
    void ReportCitations(long long done, long long total);
    // The note in the status bar; empty hides it.
    void Note(const QString& text);

    QPointer<QStatusBar> m_pStatusBar;
    QPointer<QLabel> m_pNote;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bRunning{false};
};
