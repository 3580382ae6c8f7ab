#include "browse/gui/TolvarinView.h"

#include "browse/ListQueryJob.h"
#include "data/DbErrorText.h"
#include "data/SqlSelect.h"
#include "ground/EditionConfig.h"
#include "ground/TextUtil.h"
#include "search/BodySearch.h"
#include "search/SearchLimits.h"

void CTolvarinView::SearchBody(CSqlSelect& builder, const std::string& words) {
    std::vector<std::string>& searchWords = theEditionConfig.GetSearchWords();
    searchWords = CSearchLimits::Distinct(SplitWords(words));

    // The search runs on the law-list worker, one statement per window of laws; each
    // window's rows are shown as soon as it and the windows before it are searched. What
    // it needs is copied here: the worker reads no widget and no setting.
    ListTask task = [builder, words = searchWords,
                     lawTable = theEditionConfig.GetLawTable()](CListTaskContext& context) mutable {
        CBodySearch search(context.Connection(), lawTable, std::function<void()>());
        // The windows are shared among the processors; the rows still come in window order.
        search.SetWorkers(0);
        // Windows the full-text index shows to hold no law with the words are skipped.
        search.SetUseIndex(true);
        // Laws the index decides come with lawids and dates; the list reads the other
        // columns of the rows it shows.
        search.SetColumnsLater(true);
        search.SetWindowSink(
            [&context](std::vector<CLawRow>&& rows) { return context.Deliver(std::move(rows)); });
        search.SetStop([&context] { return context.Stopped(); });
        search.Run(builder, words);
        if (search.GetFailedWindowCount() > 0)
            context.Fail(CDbErrorText::Compose(
                             "搜索法规正文时，有 " + std::to_string(search.GetFailedWindowCount()) +
                                 " 组法规（每组最多 " + std::to_string(CBodySearch::kWindowSize) +
                                 " 条）读不出来，结果中可能缺少其中的法规。",
                             search.GetFailureCode(), search.GetFailure()),
                         search.GetFailureCode());
    };
    StartTask(std::move(task));
    m_nBodySearchToken = m_nRequestedToken;
    m_bBodyResults = true;
    // The rows come window by window, in no column's order.
    ClearSortArrow();
}
