#pragma once

#include "display/VersionCompare.h"
#include "display/gui/PrintRun.h"

#include <QDialog>
#include <QPointer>
#include <QPrinter>

#include <memory>
#include <string>
#include <vector>

class CDbConnection;
class QLabel;
class QPushButton;
class QTextBrowser;

// "对照": two versions of a law side by side, the older on the left, article by article;
// added, removed and changed articles in their colours and the changed characters marked,
// with the next and previous change, their count, printing and PDF.
class CVersionCompareDlg : public QDialog {
    Q_OBJECT
public:
    // Reads both laws of `lawTable` on `db`; IsValid() is false when either cannot be read.
    CVersionCompareDlg(CDbConnection& db, const std::string& lawTable, int olderLawId,
                       int newerLawId, QWidget* parent = nullptr);

    bool IsValid() const { return m_bValid; }
    const std::vector<CCompareRow>& Rows() const { return m_rows; }
    int ChangeCount() const { return m_counts.Total(); }
    // The change selected (from 1), 0 before the first move.
    int CurrentChange() const { return m_nCurrent; }
    // Moves to the next (or previous) change, wrapping around; false when there is none.
    bool NextChange(bool backward = false);
    QTextBrowser* Browser() const { return m_pBrowser; }
    // The window shows the first rows at once and adds the rest a piece at a time from the
    // event loop; true once every row is there.
    bool IsComplete() const { return m_nRowsShown >= m_vRowHtml.size(); }
    const std::string& Html() const { return m_strHtml; }

    void Print();
    void ExportPdf();
    // Writes the comparison to a PDF file in the background.
    void ExportPdfTo(const QString& file);
    CPrintRun* GetPrintRun() const { return m_pPrintRun.data(); }

signals:
    void printFinished(bool ok);

private:
    void UpdateStatus();
    // Adds the next rows to the window (about `bytes` of HTML); false when none is left.
    bool AddRows(size_t bytes);
    void AddMore();
    // The HTML of the rows shown at once, and of each piece added after them.
    static constexpr size_t kFirstBytes = 24u << 10;
    static constexpr size_t kMoreBytes = 32u << 10;
    void ScrollToChange(int n);
    void StartPrintRun(QPrinter* printer, std::unique_ptr<QPrinter> owned);

    bool m_bValid = false;
    std::string m_strTitle;
    std::vector<CCompareRow> m_rows;
    CVersionCompare::CCounts m_counts;
    std::string m_strHtml;
    int m_nCurrent = 0;
    std::vector<std::string> m_vRowHtml;
    size_t m_nRowsShown = 0;
    int m_nChangesShown = 0;
    int m_nPendingChange = 0;
    QTextBrowser* m_pBrowser = nullptr;
    QLabel* m_pStatus = nullptr;
    QPushButton* m_pPrevious = nullptr;
    QPushButton* m_pNext = nullptr;
    QPrinter m_printer{QPrinter::HighResolution};
    QPointer<CPrintRun> m_pPrintRun;
};
