#pragma once

#include <QTextBrowser>

#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QTextDocument;

// Hosts a page of the program's own resources and writes content into its body. The page
// is loaded once (asynchronously, like a browser navigation); until it has loaded, content
// is dropped. After every load the title, script and character set are set empty, the body
// is emptied and the stored body attributes are applied. Nothing a page refers to is loaded
// and links are not followed.
class CMoreHtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit CMoreHtmlView(QWidget* parent = nullptr);
    ~CMoreHtmlView() override;

    // Sets the body's inner HTML; false when no document is loaded yet.
    bool SetBodyHtml(const std::string& html);
    void SetTitle(const std::string* title);
    void SetCharset(const std::string* charset);
    void SetScript(const std::string* script);
    void SetBodyAttribute(const std::string& name, const std::string& value);
    void ApplyDocumentSettings();

    // Starts loading a page of the program's resources ("qrc:/html/145.html").
    void Navigate2(const QUrl& url);

    bool IsPageRequested() const { return m_bPageRequested; }
    bool HasDocument() const { return m_pHtmlDocument != nullptr; }
    const std::string& GetBodyHtml() const { return m_strBodyHtml; }

    // Resources a page may use: the program's own only.
    QVariant loadResource(int type, const QUrl& name) override;

    // A page whose HTML exceeds this is parsed on a worker thread; its beginning is shown at
    // once and the whole replaces it when ready.
    static constexpr size_t kBackgroundBytes = 1u << 20;
    // A page whose HTML exceeds this is shown in parts of about this size, with links from
    // each part to the next and the previous: the window's memory and the time it takes to
    // lay a part out stay bounded whatever the size of the law.
    static constexpr size_t kPartBytes = 2u << 20;
    int PartCount() const { return static_cast<int>(m_vPartStarts.size()); }
    int CurrentPart() const { return m_nPart; }
    // Shows part `index` (from 0) of a long page, from its top.
    void ShowPart(int index);
    // The body as the view shows it: the whole page, or the part shown of a long one.
    std::string ShownBodyHtml() const;
    // True while a page is being parsed on a worker thread.
    bool IsLoading() const { return m_nPendingSerial != 0; }
    // Worker threads still parsing, of any view (also of superseded pages).
    static int RunningParsers();

    // The text position at the top of the view, and scrolling a position to the top.
    int TopPosition() const;
    void ScrollToPosition(int position);
    // A jump (an article, a heading): the position's line goes near the top with the line
    // before it still in view, so the reader sees where the text came from.
    void JumpToPosition(int position);
    // The text position the reader looks at after such a jump: the line below the one of
    // context at the top.
    int ReadingPosition() const;
    // The top of the line that holds a text position, in the document's pixels (-1 for
    // none).
    int LineTop(int position) const;

signals:
    void documentComplete(const QUrl& url);
    // A page handed to SetBodyHtml is now the view's document (at once, or after its parse on
    // a worker thread).
    void pageShown();

protected:
    bool event(QEvent* e) override;
    // Adjusts the HTML of the body before it is parsed (the dark palette's mark colours).
    virtual std::string AdaptBody(const std::string& html) const { return html; }
    // Called when the page from SetBodyHtml has become the view's document.
    virtual void OnPageShown() {}
    // Keeps the text position at the top of the view when the next page is shown (the same
    // text rendered again with other marks).
    void KeepScrollOnNextPage() { m_bKeepScroll = true; }

    virtual void OnDownloadComplete();
    virtual void OnDocumentComplete(const QUrl& url);

    bool m_bPageRequested = false;

private:
    void LoadPage(const QUrl& url);
    void InstallImageHandler();
    void Render();
    void Install(QTextDocument* doc, bool keepScroll, int topPosition);
    void OnAnchor(const QUrl& url);

    struct CBuildChannel;

    std::string m_strCharset;
    std::string m_strTitle;
    QTextDocument* m_pHtmlDocument = nullptr;
    std::list<std::pair<std::string, std::string>> m_listBodyAttributes;
    std::string m_strScript;
    std::string m_strBodyHtml;
    // The body prepared for the view, and where each of its parts starts (empty when the page
    // is shown whole).
    std::string m_strPrepared;
    bool m_bPrepared = false;
    std::vector<size_t> m_vPartStarts;
    int m_nPart = 0;
    bool m_bLoaded = false;
    bool m_bKeepScroll = false;
    int m_nPendingTop = 0;
    bool m_bPendingKeep = false;
    unsigned m_nRenderSerial = 0;
    unsigned m_nPendingSerial = 0;
    std::shared_ptr<CBuildChannel> m_pChannel;
    class CLocalImageHandler* m_pImageHandler = nullptr;
};
