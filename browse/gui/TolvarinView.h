#pragma once

#include "browse/LawRow.h"
#include "browse/ListQueryJob.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CLawListModel;
class CListQueryChannel;
class CBrowseFrame;
class CDocumentDatabase;
class CSqlSelect;
class QListView;
class QStackedWidget;
class QTableView;

// The law list: one row per law (title, date, document number, department) over a model,
// shown as a report or as icons. Category listings and search statements are filled by the
// query worker; the list takes the worker's batches on the GUI thread and drops those of a
// superseded request.
class CTolvarinView : public QWidget {
    Q_OBJECT
public:
    enum class Style { LargeIcon, SmallIcon, List, Report };

    CTolvarinView(CDocumentDatabase* doc, CBrowseFrame* frame, QWidget* parent = nullptr);
    ~CTolvarinView() override;

    CDocumentDatabase* GetDocument() const { return m_pDoc; }

    // First listing (all laws of the current edition) and the date order arrow.
    void OnInitialUpdate();

    // Lists the laws under a category of the current edition; 0 lists them all.
    void ShowCategory(int categoryId);
    // Hands a statement with the columns lawid, topic, datum, wenhao, bumen to the worker.
    // `bodyResults`: the statement is a law-text search, and a law chosen from its rows opens
    // at the first of its blue words.
    void RunQuery(const std::string& sql, bool bodyResults = false);
    // The advanced search with words for the law text: `builder` is filled but not built.
    // Runs on the worker as a listing does; the rows come window by window.
    void SearchBody(CSqlSelect& builder, const std::string& words);

    // Synchronous filling on the GUI thread. ClearRows also stops a running listing and
    // drops whatever it still delivers.
    void ClearRows();
    // Stops a running listing and drops whatever it still delivers; the rows shown stay.
    void StopListing();
    void AppendRows(const std::vector<CLawRow>& rows);
    void AddNoRecordsRow();
    int GetRowCount() const;
    const CLawRow& GetRow(int row) const;

    // The rows are a law-text search's results (RunQuery's `bodyResults`, SearchBody).
    bool HoldsBodyResults() const { return m_bBodyResults; }

    // A worker listing has been requested and has not ended yet.
    bool IsListing() const { return m_nRequestedToken != 0; }

    // Header click: sorts by the column, ascending unless the previous click was on the same
    // column, then the other way.
    void SortByColumn(int column);
    int GetSortColumn() const;
    // Hides the header's sort arrow: the rows are in no column's order (ranked, or window
    // by window).
    void ClearSortArrow();
    bool IsSortAscending() const;

    void SetStyle(Style style);
    Style GetStyle() const { return m_style; }
    // Lines the icons up on their grid (icon styles only).
    void ArrangeIcons();

    // The click on a row: shows the law and remembers it as the edition's last law.
    void OnRowClicked(int row);
    // Makes the row of a law shown by other means (Back, the favourites) the current and
    // selected one, showing nothing; the selection stays when the law has no row or its row
    // is current already.
    void SelectLaw(int lawid);

    // The widths of the columns between the icon and the last one, which stretches to the
    // list's edge. Until the user drags a divider the list shares a wide window's room among
    // them itself; UserColumnWidths is empty then.
    void SetColumnWidths(const std::vector<int>& widths);
    std::vector<int> UserColumnWidths() const;

    bool HasSelection() const;
    // Copies the selected rows as tab-separated text; false when none is selected.
    bool CopySelection();

    CLawListModel* GetModel() const { return m_pModel; }
    QTableView* GetTable() const { return m_pTable; }
    QListView* GetIconView() const { return m_pIcons; }
    // The widget that has the keyboard focus in the current style.
    QWidget* GetFocusWidget() const;

    // The last worker listing failed part-way, or its statement was refused: the engine's
    // text, empty when it did not.
    const std::string& GetListingFailure() const { return m_listingFailure.m_strError; }
    // The last worker listing's statement was refused: nothing was listed (and the list does
    // not claim that nothing was found).
    bool WasListingRefused() const {
        return !m_listingFailure.m_strError.empty() && m_listingFailure.m_bRefused;
    }

signals:
    // The current worker listing has ended and its rows are all shown.
    void listingFinished();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void OnListEvent(class CListEvent* e);
    void ResetSortArrow();
    // Tells the user, in the status bar and a box, that the listing was cut short.
    void ReportListingFailure();
    // The same for a listing whose statement the engine refused.
    void ReportListingRefused();
    // The same for a body search that could not read some of its windows.
    void ReportBodySearchFailure();
    // Hands a task to the worker in place of a statement.
    void StartTask(ListTask task);
    // What every request does first: the old rows go, the cursor shows work.
    void BeginRequest();
    QList<int> SelectedRows() const;
    void FitColumns();
    void UpdateRowHeight();

    CDocumentDatabase* m_pDoc;
    CBrowseFrame* m_pFrame;
    CLawListModel* m_pModel;
    QStackedWidget* m_pStack;
    QTableView* m_pTable;
    QListView* m_pIcons;
    std::shared_ptr<CListQueryChannel> m_pChannel;
    // The token of the listing the list waits for (0: none) and of the one it shows.
    std::uint64_t m_nRequestedToken = 0;
    std::uint64_t m_nShownToken = 0;
    // The listing requested is a body search (its failure is worded as one).
    std::uint64_t m_nBodySearchToken = 0;
    int m_nLastClickColumn = -1;
    bool m_bLastClickAscending = true;
    int m_nLastShownRow = -1;
    // A key press is being handled by a view: a current-row change is the user's move.
    bool m_bKeyMove = false;
    bool m_bBodyResults = false;
    // The user has dragged a column divider (now or in an earlier session).
    bool m_bUserColumnWidths = false;
    bool m_bFittingColumns = false;
    Style m_style = Style::Report;
    CListFailure m_listingFailure;
};
