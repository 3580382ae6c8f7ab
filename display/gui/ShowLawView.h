#pragma once

#include "data/LawVersions.h"
#include "display/gui/MoreHtmlView.h"
#include "display/gui/PrintRun.h"

#include <QPointer>
#include <QPrinter>

#include <memory>
#include <vector>

class CDocumentDatabase;
class CFindBar;
class QTextDocument;

// The law text pane: shows one law at a time as a page built by CLawPage.
class CShowLawView : public CMoreHtmlView {
    Q_OBJECT
public:
    explicit CShowLawView(CDocumentDatabase* doc, QWidget* parent = nullptr);

    // Starts loading the blank page.
    void OnInitialUpdate();

    // Reads the law from the current edition on the document's connection and shows it;
    // lawid 0, a missing law or a failing query leave the page as it is. The same law shown
    // again keeps its scroll position; another law opens at its first find word (red) when
    // it has one, with `atFirstSearchWord` (a law chosen from a law-text search's results)
    // at its first search word (blue) when it has one, else at the top. The blue words are
    // marked either way. Answers false when nothing was shown.
    bool ShowLaw(int lawid, bool atFirstSearchWord = false);
    // The law on display (0 for none) and its edition.
    int GetShownLawId() const { return m_nShownLawId; }

    // How many occurrences of the find words the page shown marks in red.
    int GetFindCount() const { return m_nFindCount; }
    // Moves to the next (or previous) red mark, wrapping around, and selects it; false when
    // the page has none.
    bool FindNext(bool backward = false);
    // Selects the text between two positions and scrolls it a third of the way down.
    void SelectRange(int start, int end);
    // The find bar at the bottom of the page (hidden until opened).
    CFindBar* GetFindBar() const { return m_pFindBar; }

    // Scrolls the first mark of the body search (blue) or, with `find`, of the find words
    // (red) into view; false when the page has none.
    bool ScrollToFirstMark(bool find = false);

    // Zoom in steps of one point; remembered under the settings key kZoomKey.
    static constexpr const char* kZoomKey = "LawPage/Zoom";
    void ZoomBy(int steps);
    void ZoomReset();
    int GetZoom() const { return m_nZoom; }
    // The widest the text runs (pixels) before the margins grow on a wide window.
    int ReadableWidth() const;

    // The print dialog, then the law on display, the whole of it also when it is shown in
    // parts (an empty page when none). The printing runs in the background (CPrintRun).
    void OnFilePrint();
    // The print preview of the law on display, once its pages are made in the background.
    void OnPrintPreview();
    // "另存为 PDF": asks for a file named after the law's title and writes the law there.
    void OnExportPdf();
    // Writes the law on display to a PDF file in the background, as "另存为 PDF" does once
    // the file is chosen.
    void ExportPdfTo(const QString& file);
    // Prints the law on display without a dialog and before returning, from an off-screen
    // copy of the page.
    void PrintTo(QPrinter* printer);
    QPrinter* GetPrinter() { return &m_printer; }
    // The printing, preview or PDF export under way (null when none).
    CPrintRun* GetPrintRun() const { return m_pPrintRun.data(); }
    // The title of the law on display ("" for none).
    const std::string& GetShownTitle() const { return m_strShownTitle; }

    // Prints a body HTML as the law pane shows it (off screen, without a window), on a
    // printer or into a PDF writer.
    static void PrintBodyHtml(const std::string& bodyHtml, const QString& title,
                              QPagedPaintDevice* printer);

    // The address of the blank page among the program's resources.
    static QUrl BlankPageUrl();

    // Scrolls to the heading of article `articleKey` (CCitationParser::ArticleKey) of the
    // law shown and, with `text`, selects the first occurrence of `text` from there (from
    // the top for article 0). False when neither is found.
    bool ScrollToArticle(int articleKey, const QString& text = {});
    // The same once the next page given to the view is shown (a law being opened).
    void ScrollToArticleOnShow(int articleKey, const QString& text = {});

    // The tooltip of a citation link (its href): each law's title with the first few hundred
    // characters of the article cited. Empty for no such link.
    QString CitationTip(const QString& href) const;

    // The colours of the marks on a light page, and the ones used on a dark palette.
    static QColor MarkColor(bool find, bool dark);
    bool IsDarkPalette() const;

    // The versions of the law on display, newest first (empty when it has only one).
    const std::vector<CLawVersion>& GetShownVersions() const { return m_vVersions; }
    // The article under the caret, or the articles the selection runs over, with their
    // citation ("《title》第二百三十二条" and the text); "" when the caret stands in none.
    // `heading` receives the first article's heading.
    std::string ArticleCitation(std::string* heading = nullptr) const;
    // Scrolls the article with this heading ("第二百三十二条") to the top and puts the caret
    // there, once the page is shown when it is still being made; false when the page
    // shown has no such article.
    bool GoToArticle(const std::string& heading);

signals:
    // A version in the page's header was chosen.
    void versionRequested(int lawid);
    // "对照" beside an older version: compare it with the one on display.
    void compareRequested(int olderLawId, int newerLawId);
    // A printing, preview or PDF export has ended; `ok` is false when it was cancelled or
    // failed.
    void printFinished(bool ok);
    // A citation was chosen: show law `lawid` at article `article` (0: its top).
    void openLawAt(int lawid, int article, const QString& text);

protected:
    std::string AdaptBody(const std::string& html) const override;
    void OnPageShown() override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct CMark {
        int m_nStart;
        int m_nEnd;
    };
    std::vector<CMark> CollectMarks(bool find) const;
    void SelectMark(const CMark& mark);
    void UpdateMargins();
    void PlaceFindBar();
    void ApplyZoom();
    void StartPrintRun(QPrinter* printer, int mode, std::unique_ptr<QPrinter> owned = {});
    void OnCitation(const QUrl& url);
    // The title and text of a law of the current edition; false when it cannot be read.
    bool ReadLaw(int lawid, std::string& title, std::string& body) const;
    std::string VersionsHtml() const;
    void OnVersionAnchor(const QUrl& url);
    bool ScrollToArticle(const std::string& heading);

    CDocumentDatabase* m_pDoc;
    CFindBar* m_pFindBar = nullptr;
    QPrinter m_printer{QPrinter::HighResolution};
    QPointer<CPrintRun> m_pPrintRun;
    int m_nShownLawId = 0;
    int m_nShownEdition = -1;
    std::string m_strShownTitle;
    int m_nFindCount = 0;
    int m_nCurrentMark = -1;
    // What the page shown should scroll to once it is there: 0 none, 1 blue, 2 red.
    int m_nScrollOnShow = 0;
    int m_nZoom = 0;
    int m_nBasePointSize = 0;
    // The text of the law shown, as stored (the tooltips of its references to itself).
    std::string m_strShownBody;
    // Where the next page shown goes: an article (-1: nowhere) and a text in it.
    int m_nPendingArticle = -1;
    QString m_strPendingText;
    std::vector<CLawVersion> m_vVersions;
    // The article to go to once the page being made is shown.
    std::string m_strPendingArticle;
};
