#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The program's user manual in a window of its own (one for the program, raised when asked
// for again). Its addresses outside the manual go to the desktop's browser or mail program.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // The manual among the program's resources.
    static QUrl ManualUrl();
    // Shows the one help window, creating it when needed; answers it.
    static CHelpWindow* ShowManual(QWidget* parent);
    // The window if one is open, else nullptr.
    static CHelpWindow* Instance();

    QTextBrowser* Browser() const { return m_pBrowser; }

private:
    explicit CHelpWindow(QWidget* parent);
    void OnAnchor(const QUrl& url);

    QTextBrowser* m_pBrowser;
};
