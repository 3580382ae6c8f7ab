#include "browse/TolvarinView.h"

#include "app/EditionConfig.h"
#include "app/TextUtil.h"
#include "app/TolvarinDoc.h"
#include "search/BodySearch.h"

#include <QApplication>
#include <QCursor>

void CTolvarinView::SearchBody(CSqlSelect& builder, const std::string& words) {
    ClearRows();
    std::vector<std::string>& searchWords = theEditionConfig.GetSearchWords();
    searchWords = SplitWords(words);

    // The search runs here on the GUI thread, one statement per window of laws.
    if (CTolvarinDoc* doc = GetDocument()) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        CBodySearch search(doc->m_db, theEditionConfig.GetLawTable(),
                           [doc] { doc->ConnectDatabase(); });
        // The windows are shared among the processors; the rows still come in window order.
        search.SetWorkers(0);
        AppendRows(search.Run(builder, searchWords));
        QApplication::restoreOverrideCursor();
    }
    if (GetRowCount() == 0)
        AddNoRecordsRow();
}
