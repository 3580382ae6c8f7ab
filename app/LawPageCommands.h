#pragma once

#include <QObject>

class CCitedByButton;
class CLawOutline;
class CMainFrame;
class QAction;
class QMenu;

// The law page's reading commands beside the frame's own: Ctrl+F for the find bar, F3 and
// Shift+F3 through the red marks (the bar's while it is open), zoom (Ctrl++, Ctrl+-, Ctrl+0),
// "另存为 PDF", the print preview and the outline of the law's headings in a toolbar.
class CLawPageCommands : public QObject {
    Q_OBJECT
public:
    explicit CLawPageCommands(CMainFrame* frame);

    // The status bar's text after a find that marked `count` occurrences.
    static QString FindStatusText(int count);

    void OnFindNext(bool backward);

    CLawOutline* GetOutline() const { return m_pOutline; }
    CCitedByButton* GetCitedBy() const { return m_pCitedBy; }

private:
    QAction* Add(const QString& text, const QKeySequence& keys, QMenu* menu);
    QMenu* Menu(int commandId) const;

    CMainFrame* m_pFrame;
    CLawOutline* m_pOutline = nullptr;
    CCitedByButton* m_pCitedBy = nullptr;
};
