#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The program's user manual in a window of its own (one for the program, raised when asked
// for again). Its addresses outside the manual go to the desktop's browser or mail program.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // The manual's pages among the program's resources, in the interface's language: its
    // contents, or the page `page` (a file name such as "find.html").
    static QUrl ManualUrl(const QString& page = QString());
    // The language of the manual's pages: "en" for English, anything else for Chinese.
    static void SetLanguage(const QString& code);
    // Shows the one help window, creating it when needed, at `page` (the contents when
    // empty); answers it.
    static CHelpWindow* ShowManual(QWidget* parent, const QString& page = QString());
    // The window if one is open, else nullptr.
    static CHelpWindow* Instance();

    QTextBrowser* Browser() const { return m_pBrowser; }

private:
    explicit CHelpWindow(QWidget* parent);
    void OnAnchor(const QUrl& url);

    QTextBrowser* m_pBrowser;
};
