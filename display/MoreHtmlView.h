#pragma once

#include <QTextBrowser>

#include <list>
#include <string>
#include <utility>

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

signals:
    void documentComplete(const QUrl& url);

protected:
    virtual void OnDownloadComplete();
    virtual void OnDocumentComplete(const QUrl& url);

    bool m_bPageRequested = false;

private:
    void LoadPage(const QUrl& url);
    void InstallImageHandler();
    void Render();

    std::string m_strCharset;
    std::string m_strTitle;
    QTextDocument* m_pHtmlDocument = nullptr;
    std::list<std::pair<std::string, std::string>> m_listBodyAttributes;
    std::string m_strScript;
    std::string m_strBodyHtml;
    bool m_bLoaded = false;
    class CLocalImageHandler* m_pImageHandler = nullptr;
};
