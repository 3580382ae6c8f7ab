#include "app/MainFrame.h"

#include "app/LawPageCommands.h"
#include "browse/gui/TolvarinView.h"
#include "data/SqlSelect.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/TextUtil.h"
#include "search/SearchComposer.h"
#include "search/gui/AdvancedSearchDlg.h"
#include "search/gui/FindDlg.h"
#include "search/gui/TitleSearchDlg.h"

#include <QStatusBar>

void CMainFrame::OnTitleSearch() {
    CTitleSearchDlg dlg(this);
    dlg.m_strTitle = m_strLastTitleSearch;
    dlg.m_nScope = CSearchComposer::kScopeCurrent;
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    CSqlSelect builder;
    CSearchComposer::FromEdition(theEditionConfig)
        .ComposeTitleSearch(builder, dlg.m_strTitle, dlg.m_nScope);
    m_strLastTitleSearch = dlg.m_strTitle;
    GetListView()->RunQuery(builder.Build());
}

void CMainFrame::OnAdvancedSearch() {
    CAdvancedSearchDlg dlg(this);
    dlg.m_nScope = CSearchComposer::kScopeCurrent;
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    CSqlSelect builder;
    CSearchComposer::FromEdition(theEditionConfig).ComposeAdvancedSearch(builder, dlg.GetValues());
    if (dlg.m_strContent.empty())
        GetListView()->RunQuery(builder.Build());
    else
        GetListView()->SearchBody(builder, dlg.m_strContent);
}

void CMainFrame::OnFindInText() {
    CFindDlg dlg(this);
    std::vector<std::string>& findWords = theEditionConfig.GetFindWords();
    const bool accepted = dlg.DoModal() == QDialog::Accepted;
    if (accepted)
        findWords = SplitWords(dlg.m_strWords);
    // Cancelling renders the law again too: that is how the marks of a find are removed.
    const int lawid = theEditionConfig.GetCurLawId();
    if (lawid != 0)
        GetLawView()->ShowLaw(lawid);
    findWords.clear();
    if (lawid != 0 && accepted)
        statusBar()->showMessage(CLawPageCommands::FindStatusText(GetLawView()->GetFindCount()));
}
