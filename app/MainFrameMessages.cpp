// The frame's messages from worker threads, its close handling and its saved state.
#include "app/CollectionInfoDlg.h"
#include "app/FrameMessageEvent.h"
#include "app/MainFrame.h"
#include "app/TolvarinDoc.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "ground/EditionConfig.h"
#include "ground/FrameMessageTarget.h"
#include "ground/MessageService.h"
#include "reader/gui/Reader.h"
#include "search/gui/SearchBox.h"
#include "search/gui/SearchIndexBuilder.h"
#include "update/UpdateSettings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

namespace {

const char* const kBarStateKey = "Control Bar State/State";
const char* const kStatusBarKey = "Control Bar State/StatusBar";
const char* const kPlacementKey = "Settings/WindowPlacement";

QString ProgressText(const QString& what, std::intptr_t total, std::intptr_t done) {
    return what + QStringLiteral(" ... ( %1/%2 )")
                      .arg(static_cast<qlonglong>(done))
                      .arg(static_cast<qlonglong>(total));
}

} // namespace

bool CMainFrame::event(QEvent* e) {
    if (e->type() == CFrameMessageEvent::EventType()) {
        const auto* message = static_cast<CFrameMessageEvent*>(e);
        OnFrameMessage(message->m_nMessage, message->m_wParam, message->m_lParam);
        return true;
    }
    return QMainWindow::event(e);
}

void CMainFrame::OnFrameMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case WM_UPDATE_FINISHED:
        OnUpdateFinished();
        break;
    case WM_TREE_PROGRESS:
        statusBar()->showMessage(ProgressText(tr("正在下载目录信息"), wParam, lParam));
        break;
    case WM_LAW_PROGRESS:
        statusBar()->showMessage(ProgressText(tr("正在下载法规信息"), wParam, lParam));
        break;
    case WM_LINK_PROGRESS:
        statusBar()->showMessage(ProgressText(tr("正在下载分类信息"), wParam, lParam));
        break;
    case WM_CLOSE:
        close();
        break;
    default:
        break;
    }
}

void CMainFrame::OnUpdateFinished() {
    const int edition = theEditionConfig.GetEdition();
    if (m_pLeftView) {
        for (int e : {0, 1}) {
            theEditionConfig.SetEdition(e);
            m_pLeftView->ShowTree(e);
            m_pLeftView->FillTree();
        }
    }
    theEditionConfig.SetEdition(edition);
    if (m_pLeftView)
        m_pLeftView->ShowTree(edition);
    // The laws the run wrote wait in the search index's log (searched by their texts until
    // then): the builder takes them in.
    if (auto* box = qobject_cast<CSearchBox*>(menuBar()->cornerWidget(Qt::TopRightCorner));
        box && box->GetIndexBuilder())
        box->GetIndexBuilder()->Start();
    // A list that found nothing before the run lists again: the run may have brought laws.
    if (m_pListView && (m_pListView->GetRowCount() == 0 || m_pListView->GetRow(0).m_nLawId == 0))
        m_pListView->ShowCategory(theEditionConfig.GetCurTreeId());
    const QString warning = m_strUpdateWarning;
    m_strUpdateWarning.clear();
    statusBar()->showMessage(tr("下载完成！ ") + warning);
    CCollectionInfoDlg::RecordUpdate(
        QString::fromStdString(CTolvarinDoc::ReadUpdateSettings().m_strServer));
    m_bDownloading = 0;
    m_bStopRequested = 0;
    m_pStopEvent->Reset();
    UpdateCommandStates();
    if (warning.isEmpty())
        AppMessageBox(tr("下载完成!").toStdString(), MsgIcon::Information);
    else
        AppMessageBox((tr("下载完成!") + "\n\n" + warning).toStdString(), MsgIcon::Warning);
}

void CMainFrame::OnUpdateEnded(bool stopped) {
    // The last progress text would read as if the run were still going on.
    // What was merged with replaced bytes stays: the run ends naming it.
    const QString warning = m_strUpdateWarning;
    m_strUpdateWarning.clear();
    if (stopped)
        statusBar()->showMessage(tr("更新已停止，已下载的内容已保存") +
                                 (warning.isEmpty() ? QString() : " " + warning));
    else if (!warning.isEmpty())
        statusBar()->showMessage(warning);
    UpdateCommandStates();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    SaveFrameState();
    if (m_bDownloading.load()) {
        e->ignore();
        AppMessageBox(tr("正在下载中，请终止后再退出...").toStdString(), MsgIcon::Warning);
        return;
    }
    if (RequestClose() > 0) {
        // The last listing to end posts WM_CLOSE, which brings us back here. A closing
        // window takes no more rows.
        if (m_pListView)
            m_pListView->StopListing();
        StopListQuery();
        e->ignore();
        return;
    }
    e->accept();
    emit frameClosed();
}

void CMainFrame::SaveFrameState() {
    QSettings settings;
    settings.setValue(QLatin1String(kBarStateKey), saveState());
    settings.setValue(QLatin1String(kStatusBarKey), !statusBar()->isHidden());
    settings.setValue(QLatin1String(kPlacementKey), saveGeometry());
    if (m_pReader)
        m_pReader->SaveState();
    settings.sync();
}

void CMainFrame::RestoreFrameState(int nCmdShow) {
    Q_UNUSED(nCmdShow);
    QSettings settings;
    const QByteArray placement = settings.value(QLatin1String(kPlacementKey)).toByteArray();
    if (placement.isEmpty() || !restoreGeometry(placement)) {
        // First start: a sensible size in the middle of the screen.
        QSize size(1024, 720);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            size = size.boundedTo(area.size());
            move(area.center() - QPoint(size.width() / 2, size.height() / 2));
        }
        resize(size);
    }
    const QByteArray bars = settings.value(QLatin1String(kBarStateKey)).toByteArray();
    if (!bars.isEmpty())
        restoreState(bars);
    statusBar()->setVisible(settings.value(QLatin1String(kStatusBarKey), true).toBool());
    show();
    if (m_pReader)
        m_pReader->RestoreState();
    UpdateCommandStates();
}

void CMainFrame::ForgetLayout() {
    QSettings settings;
    for (const char* key : {kBarStateKey, kStatusBarKey, kPlacementKey})
        settings.remove(QLatin1String(key));
    CReader::ForgetLayout();
}
