// The frame's own commands: editions, the update's stop, the list's view styles, printing,
// copying and moving between the panes.
#include "app/MainFrame.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QTreeWidget>

void CMainFrame::OnEdition(int edition) {
    if (theEditionConfig.GetEdition() != edition) {
        theEditionConfig.SetEdition(edition);
        if (m_pLeftView)
            m_pLeftView->ShowTree(edition);
        if (m_pListView)
            m_pListView->ShowCategory(theEditionConfig.GetCurTreeId());
    }
    UpdateCommandStates();
}

void CMainFrame::OnUpdateStop() {
    if (m_bDownloading.load())
        m_pStopEvent->Set();
    m_bStopRequested = 1;
    UpdateCommandStates();
}

void CMainFrame::OnViewStyle(int id) {
    if (!m_pListView)
        return;
    switch (id) {
    case ID_VIEW_SMALLICON:
        m_pListView->SetStyle(CTolvarinView::Style::SmallIcon);
        break;
    case ID_VIEW_LARGEICON:
        m_pListView->SetStyle(CTolvarinView::Style::LargeIcon);
        break;
    case ID_VIEW_LIST:
        m_pListView->SetStyle(CTolvarinView::Style::List);
        break;
    case ID_VIEW_DETAILS:
        m_pListView->SetStyle(CTolvarinView::Style::Report);
        break;
    case ID_VIEW_LINEUP:
        m_pListView->ArrangeIcons();
        break;
    default:
        break;
    }
    UpdateCommandStates();
}

void CMainFrame::OnFilePrint() {
    if (m_pLawView)
        m_pLawView->OnFilePrint();
}

void CMainFrame::OnFilePrintSetup() {
    if (!m_pLawView)
        return;
    QPageSetupDialog dialog(m_pLawView->GetPrinter(), this);
    dialog.setWindowTitle(tr("打印设置"));
    dialog.exec();
}

void CMainFrame::OnEditCopy() {
    QWidget* focus = QApplication::focusWidget();
    const bool lawFocus =
        m_pLawView && focus && (focus == m_pLawView || m_pLawView->isAncestorOf(focus));
    const bool lawSelection = m_pLawView && m_pLawView->textCursor().hasSelection();
    const bool listSelection = m_pListView && m_pListView->HasSelection();
    if (lawSelection && (lawFocus || !listSelection))
        m_pLawView->copy();
    else if (listSelection)
        m_pListView->CopySelection();
}

void CMainFrame::OnNextPane(bool forward) {
    QList<QWidget*> panes;
    if (m_pLeftView)
        panes.push_back(m_pLeftView->GetCurrentTree());
    if (m_pListView)
        panes.push_back(m_pListView->GetFocusWidget());
    if (m_pLawView)
        panes.push_back(m_pLawView);
    if (panes.isEmpty())
        return;
    int current = -1;
    for (int i = 0; i < panes.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == panes[i] || panes[i]->isAncestorOf(focus)))
            current = i;
    }
    const int count = static_cast<int>(panes.size());
    const int next = current < 0 ? 0 : (current + (forward ? 1 : count - 1)) % count;
    panes[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}
