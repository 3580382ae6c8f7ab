#include "browse/TolvarinView.h"

#include "app/EditionConfig.h"
#include "app/MainFrame.h"
#include "app/MessageService.h"
#include "app/TextUtil.h"
#include "app/TolvarinDoc.h"
#include "search/BodySearch.h"

#include <QApplication>
#include <QCursor>
#include <QStatusBar>

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
        // Windows the full-text index shows to hold no law with the words are skipped.
        search.SetUseIndex(true);
        AppendRows(search.Run(builder, searchWords));
        QApplication::restoreOverrideCursor();
        if (search.GetFailedWindowCount() > 0) {
            if (GetRowCount() == 0)
                AddNoRecordsRow();
            if (m_pFrame)
                m_pFrame->statusBar()->showMessage(
                    QStringLiteral("搜索结果不完整：读取数据库时出错"));
            ShowMessage("搜索法规正文时，有 " + std::to_string(search.GetFailedWindowCount()) +
                            " 组法规（每组最多 " + std::to_string(CBodySearch::kWindowSize) +
                            " 条）读不出来，结果中可能缺少其中的法规。\n数据库文件 db1.mdb "
                            "可能已经损坏：" +
                            search.GetFailure(),
                        "读取失败", MsgIcon::Warning);
        }
    }
    if (GetRowCount() == 0)
        AddNoRecordsRow();
    // The rows come window by window, in no column's order.
    ClearSortArrow();
}
