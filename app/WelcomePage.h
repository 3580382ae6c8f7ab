#pragma once

#include <QStringList>
#include <QTextBrowser>

// The law pane's page while the program has no collection: where it looked, and three ways
// to get one (open a file, make one from the laws shipped with the program, fetch one with
// the online update).
class CWelcomePage : public QTextBrowser {
    Q_OBJECT
public:
    struct Content {
        QStringList m_arrLooked;  // every path looked at
        QString m_strRejected;    // a file that is there but holds no collection
        QString m_strReason;      // why not
        QString m_strUserFile;    // where a new collection is made
        QString m_strShippedLaws; // the shipped laws; empty when not installed
        QString m_strServer;      // the update server
        QString m_strBusy;        // a collection is being made: what is going on
    };

    explicit CWelcomePage(QWidget* parent = nullptr);

    void SetContent(const Content& content);
    const Content& GetContent() const { return m_content; }

    // The page as HTML (for tests and the screenshot).
    static QString Html(const Content& content);

    // The links' addresses.
    static constexpr const char* kOpenLink = "tolvarin:open";
    static constexpr const char* kMakeLink = "tolvarin:make";
    static constexpr const char* kUpdateLink = "tolvarin:update";

signals:
    void openRequested();
    void makeRequested();
    void updateRequested();

private:
    void OnAnchor(const QUrl& url);

    Content m_content;
};
