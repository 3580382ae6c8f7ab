#include "app/MainFrame.h"

// Placeholders until the search commands are in place.
void CMainFrame::OnTitleSearch() {}
void CMainFrame::OnAdvancedSearch() {}
void CMainFrame::OnFindInText() {}
