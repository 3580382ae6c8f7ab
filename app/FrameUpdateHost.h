#pragma once

#include "update/UpdateRunHost.h"

#include <QPointer>

#include <chrono>
#include <mutex>

class CMainFrame;
class CSyncEvent;

// The main window as host of an update run: progress and the end go to the frame as
// posted frame messages, the confirmation is shown on the GUI thread while the category
// worker waits for the answer.
class CFrameUpdateHost : public CUpdateRunHost {
public:
    CFrameUpdateHost(CMainFrame* frame, CSyncEvent* stopEvent);

    void PostProgress(int message, int total, int count) override;
    void PostStatus(const std::string& text) override;
    bool ConfirmUpdate() override;
    void UpdateFinished() override;
    void StageEdition(int stage, int edition) override;
    void RunWarning(const std::string& text) override;
    void RunEnded(bool success) override;

private:
    // Progress comes once per record; the status bar gets at most one report every 40 ms,
    // and always the first and the last of an edition.
    void FlushProgress();

    QPointer<CMainFrame> m_pFrame;
    CSyncEvent* m_pStopEvent;
    std::mutex m_mutex;
    int m_nMessage = 0;
    int m_nTotal = 0;
    int m_nCount = 0;
    bool m_bPending = false;
    std::chrono::steady_clock::time_point m_lastPost;
};
