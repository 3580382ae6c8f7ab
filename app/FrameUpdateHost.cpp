#include "app/FrameUpdateHost.h"

#include "app/MainFrame.h"
#include "data/gui/MessageText.h"
#include "ground/FrameMessageTarget.h"
#include "ground/SyncEvent.h"
#include "update/gui/UpdateConfirmDlg.h"

#include <QApplication>
#include <QMetaObject>
#include <QStatusBar>

#include <condition_variable>
#include <memory>

CFrameUpdateHost::CFrameUpdateHost(CMainFrame* frame, CSyncEvent* stopEvent)
    : m_pFrame(frame), m_pStopEvent(stopEvent) {}

void CFrameUpdateHost::PostProgress(int message, int total, int count) {
    std::lock_guard lock(m_mutex);
    m_nMessage = message;
    m_nTotal = total;
    m_nCount = count;
    m_bPending = true;
    const auto now = std::chrono::steady_clock::now();
    if (count <= 1 || count >= total || now - m_lastPost >= std::chrono::milliseconds(40)) {
        m_lastPost = now;
        FlushProgress();
    }
}

void CFrameUpdateHost::PostStatus(const std::string& text) {
    if (text.empty())
        return; // the next progress report replaces the text
    {
        std::lock_guard lock(m_mutex);
        FlushProgress();
    }
    QPointer<CMainFrame> frame = m_pFrame;
    QMetaObject::invokeMethod(
        qApp,
        [frame, status = CMessageText::Translate(text)] {
            if (frame)
                frame->statusBar()->showMessage(status);
        },
        Qt::QueuedConnection);
}

void CFrameUpdateHost::FlushProgress() {
    if (!m_bPending)
        return;
    m_bPending = false;
    CMainFrame::PostMessage(static_cast<unsigned>(m_nMessage), m_nTotal, m_nCount);
}

void CFrameUpdateHost::StageEdition(int, int) {
    std::lock_guard lock(m_mutex);
    FlushProgress();
}

void CFrameUpdateHost::RunWarning(const std::string& text) {
    // Queued to the frame before the end of the run, which shows it.
    QPointer<CMainFrame> frame = m_pFrame;
    if (!frame)
        return;
    QMetaObject::invokeMethod(
        frame,
        [frame, warning = QString::fromStdString(text)] {
            if (frame)
                frame->SetUpdateWarning(warning);
        },
        Qt::QueuedConnection);
}

void CFrameUpdateHost::RunEnded(bool success) {
    std::lock_guard lock(m_mutex);
    FlushProgress();
    if (success || !m_pFrame)
        return;
    // Queued after the last progress text, so that it replaces it.
    QPointer<CMainFrame> frame = m_pFrame;
    const bool stopped = frame->m_bStopRequested.load() != 0;
    QMetaObject::invokeMethod(
        frame,
        [frame, stopped] {
            if (frame)
                frame->OnUpdateEnded(stopped);
        },
        Qt::QueuedConnection);
}

void CFrameUpdateHost::UpdateFinished() {
    {
        std::lock_guard lock(m_mutex);
        FlushProgress();
    }
    CMainFrame::PostMessage(WM_UPDATE_FINISHED, 0, 0);
}

bool CFrameUpdateHost::ConfirmUpdate() {
    struct Answer {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
        bool ok = false;
    };
    auto answer = std::make_shared<Answer>();
    QPointer<CMainFrame> frame = m_pFrame;
    const bool queued = QMetaObject::invokeMethod(
        qApp,
        [answer, frame] {
            bool ok = false;
            if (frame) {
                CUpdateConfirmDlg dlg(frame);
                ok = dlg.exec() == QDialog::Accepted;
            }
            std::lock_guard lock(answer->mutex);
            answer->ok = ok;
            answer->done = true;
            answer->cv.notify_all();
        },
        Qt::QueuedConnection);
    if (!queued)
        return false;
    // The worker waits for the user; a stop (the window going away) ends the wait.
    std::unique_lock lock(answer->mutex);
    while (!answer->done) {
        answer->cv.wait_for(lock, std::chrono::milliseconds(100));
        if (!answer->done && m_pStopEvent && m_pStopEvent->IsSet())
            return false;
    }
    return answer->ok;
}
